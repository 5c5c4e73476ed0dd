// The helper's command line: nine tokens that describe one file association.
//
// The editor builds the line and the helper reads it back here.  Parsing is
// pure and portable; it never touches the registry.  A line that does not
// yield nine acceptable tokens gives no request at all, so the caller can
// refuse it before anything is written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvreg {

struct AssocRequest {
  enum class Mode { kRegister, kRemove };

  Mode mode = Mode::kRegister;
  std::wstring vendorKey;      // a key name under HKLM\SOFTWARE
  std::wstring applicationId;  // registered application name
  std::wstring displayName;
  std::wstring description;
  std::wstring extension;    // starts with "."
  std::wstring openCommand;  // the shell's open verb, "%1" for the file
  std::wstring typeName;     // what Explorer shows as the file type
  std::wstring icon;         // "path,index"

  // The file type's key name under HKEY_CLASSES_ROOT, e.g. "Tolvane.vtxt".
  std::wstring fileTypeId() const { return applicationId + extension; }
};

// Tokens are separated by white space and may be enclosed in double quotes
// or apostrophes (no escapes; quotes of the other kind inside are ordinary).
// The first token must be "0" (register) or "1" (remove), no token may be
// empty and the extension must start with a dot; tokens after the ninth are
// ignored.  Returns nothing when the line is not acceptable.
std::optional<AssocRequest> parseAssocRequest(std::wstring_view commandLine);

}  // namespace tolvreg
