#include "editor/document/password_text.h"

#include <optional>

#include "framework/wnd.h"
#include "orka/crypto/wipe.h"
#include "orka/text/codepage.h"
#include "orka/text/wide.h"

namespace {

// The field's text in a buffer that is wiped on the way out.
class FieldText {
 public:
  explicit FieldText(HWND field) : wide_(fw::wideWindowTextOf(field)) {}
  ~FieldText() { orka::secureWipe(wide_); }
  FieldText(const FieldText&) = delete;
  FieldText& operator=(const FieldText&) = delete;

  // The ANSI bytes by the password rule; nothing when a character has no
  // form in the code page.
  std::optional<std::string> byRule() const {
    std::string utf8 = orka::narrow(wide_);
    std::optional<std::string> bytes = orka::codePagePassword(utf8, orka::ansiCodePage());
    orka::secureWipe(utf8);
    return bytes;
  }

  // The ANSI bytes as the system converts them, whatever the characters.
  std::string bySystem() const { return orka::wideToAnsi(wide_); }

 private:
  std::wstring wide_;
};

}  // namespace

std::string typedPassword(HWND field) {
  const FieldText text(field);
  std::optional<std::string> bytes = text.byRule();
  if (!bytes) return text.bySystem();
  // Copied, not moved: a short string moved from keeps its characters in
  // place, and this one would go unwiped with the optional.
  std::string password(*bytes);
  orka::secureWipe(*bytes);
  return password;
}

std::optional<std::string> exactPassword(HWND field) { return FieldText(field).byRule(); }
