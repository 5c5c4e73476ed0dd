#include "editor/document/password_text.h"

#include <optional>
#include <utility>
#include <vector>

#include "editor/document/secret_memory.h"
#include "orka/text/codepage.h"
#include "orka/text/wide.h"

namespace {

// The field's text in a buffer that is wiped on the way out.
class FieldText {
 public:
  explicit FieldText(HWND field) {
    const int length = field ? GetWindowTextLengthW(field) : 0;
    if (length <= 0) return;
    wide_.assign(static_cast<size_t>(length) + 1, L'\0');
    length_ = GetWindowTextW(field, wide_.data(), length + 1);
  }
  ~FieldText() {
    if (!wide_.empty()) SecureZeroMemory(wide_.data(), wide_.size() * sizeof(wchar_t));
  }
  FieldText(const FieldText&) = delete;
  FieldText& operator=(const FieldText&) = delete;

  // The ANSI bytes by the password rule; nothing when a character has no
  // form in the code page.
  std::optional<std::string> byRule() const {
    std::string utf8 = orka::narrow(std::wstring_view(wide_.data(), static_cast<size_t>(length_)));
    std::optional<std::string> bytes = orka::codePagePassword(utf8, orka::ansiCodePage());
    wipeString(utf8);
    return bytes;
  }

  // The ANSI bytes as the system converts them, whatever the characters.
  std::string bySystem() const {
    if (length_ <= 0) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, wide_.data(), length_, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide_.data(), length_, bytes.data(), n, nullptr, nullptr);
    return bytes;
  }

 private:
  std::vector<wchar_t> wide_;
  int length_ = 0;
};

}  // namespace

std::string typedPassword(HWND field) {
  const FieldText text(field);
  if (std::optional<std::string> bytes = text.byRule()) return std::move(*bytes);
  return text.bySystem();
}

std::optional<std::string> exactPassword(HWND field) { return FieldText(field).byRule(); }
