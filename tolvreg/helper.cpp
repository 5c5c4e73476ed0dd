#include "tolvreg/helper.h"

#include <optional>

#include "tolvreg/assoc_request.h"
#include "tolvreg/association.h"
#include "tolvreg/registry_steps.h"

namespace tolvreg {
namespace {

// The tokens that become registry paths must name the editor's own
// association; anything else would let whoever starts the helper write or
// delete elsewhere with administrator rights.
bool describesTheEditor(const AssocRequest& request) {
  return equalsFixed(request.vendorKey, kVendorKey) && equalsFixed(request.applicationId, kApplicationId) &&
         equalsFixed(request.extension, kExtension);
}

bool endsWith(std::wstring_view text, std::wstring_view tail) {
  return text.size() > tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// A drive path ("C:\") or a network path ("\\server"): a relative one would
// be looked up wherever the shell happens to be.
bool isAbsolute(std::wstring_view path) {
  const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  return (path.size() > 2 && path[1] == L':' && separator(path[2])) ||
         (path.size() > 2 && separator(path[0]) && separator(path[1]));
}

// The program of `"<program>" "%1"`; nothing for any other command.
std::optional<std::wstring> openedProgram(std::wstring_view command) {
  const std::wstring_view file = L"\" \"%1\"";
  if (command.empty() || command[0] != L'"' || !endsWith(command, file)) return std::nullopt;
  const std::wstring_view program = command.substr(1, command.size() - 1 - file.size());
  if (program.find(L'"') != std::wstring_view::npos || !isAbsolute(program)) return std::nullopt;
  return std::wstring(program);
}

// The program of `<program>,1`; nothing for another form or icon index.
std::optional<std::wstring> iconProgram(std::wstring_view icon) {
  const std::wstring_view index = L",1";
  if (!endsWith(icon, index)) return std::nullopt;
  const std::wstring_view program = icon.substr(0, icon.size() - index.size());
  if (program.find(L'"') != std::wstring_view::npos || !isAbsolute(program)) return std::nullopt;
  return std::wstring(program);
}

wchar_t asciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// Both paths come from the same system calls on the same folder, so letters
// beyond ASCII already agree in case; a mismatch there refuses the line,
// which is the safe side.
bool samePath(std::wstring_view a, std::wstring_view b) {
  if (a.empty() || a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
  return true;
}

// Everything the association makes the system show or run must be the
// editor's own: otherwise any program of the user could have every user's
// documents opened by a program of its choosing once the elevation prompt
// is approved.
bool registersTheEditor(const AssocRequest& request, HelperHost& host) {
  if (!equalsFixed(request.displayName, kDisplayName) || !equalsFixed(request.description, kDescription) ||
      !equalsFixed(request.typeName, kTypeName))
    return false;
  std::wstring folder = host.programFolder();
  if (folder.empty()) return false;
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  const std::wstring editor = host.longPath(folder + wideFixed(kEditorProgram));
  const std::optional<std::wstring> opened = openedProgram(request.openCommand);
  const std::optional<std::wstring> icon = iconProgram(request.icon);
  return opened && icon && samePath(host.longPath(*opened), editor) && samePath(host.longPath(*icon), editor);
}

}  // namespace

ExitCode runHelper(std::wstring_view commandLine, HelperHost& host) {
  const std::optional<AssocRequest> request = parseAssocRequest(commandLine);
  if (!request || !describesTheEditor(*request) ||
      (request->mode == AssocRequest::Mode::kRegister && !registersTheEditor(*request, host))) {
    host.warnNotToRunDirectly();
    return kExitInvalidCommandLine;
  }
  const RegistryVariant variant = variantForMajorVersion(host.majorVersion());
  const bool done = request->mode == AssocRequest::Mode::kRegister
                        ? registerAssociation(host.registry(), *request, variant)
                        : removeAssociation(host.registry(), *request, variant);
  return done ? kExitSuccess : kExitRegistryFailure;
}

}  // namespace tolvreg
