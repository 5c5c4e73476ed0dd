#include "editor/document/password_text.h"

#include <vector>

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

  // The ANSI bytes, converted with `flags`; *lossy tells whether some
  // character had no exact place (null: do not ask).
  std::string toAnsi(DWORD flags, BOOL* lossy) const {
    if (length_ <= 0) return std::string();
    int n = WideCharToMultiByte(CP_ACP, flags, wide_.data(), length_, nullptr, 0, nullptr, lossy);
    std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, flags, wide_.data(), length_, bytes.data(), n, nullptr, lossy);
    return bytes;
  }

 private:
  std::vector<wchar_t> wide_;
  int length_ = 0;
};

}  // namespace

std::string typedPassword(HWND field) { return FieldText(field).toAnsi(0, nullptr); }

std::optional<std::string> exactPassword(HWND field) {
  BOOL lossy = FALSE;
  std::string bytes = FieldText(field).toAnsi(WC_NO_BEST_FIT_CHARS, &lossy);
  if (!lossy) return bytes;
  wipePassword(bytes);
  return std::nullopt;
}

void wipePassword(std::string& password) {
  if (!password.empty()) SecureZeroMemory(password.data(), password.size());
  password.clear();
}
