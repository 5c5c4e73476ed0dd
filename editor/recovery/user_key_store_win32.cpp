#include <windows.h>

#include <dpapi.h>

#include "editor/recovery/user_key_store.h"

namespace tolvane {

namespace {

// Mixed into the sealing so that a blob another program sealed for the same
// user never opens as our key.
const char kEntropy[] = "Tolvane recovery key 1";

DATA_BLOB entropy() {
  DATA_BLOB blob;
  blob.cbData = sizeof kEntropy - 1;
  blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(kEntropy));
  return blob;
}

class DataProtection : public KeyWrapper {
 public:
  bool wrap(const RecoveryKey::Bytes& key, std::vector<unsigned char>* blob) const override {
    DATA_BLOB in{static_cast<DWORD>(key.size()), const_cast<BYTE*>(key.data())};
    DATA_BLOB salt = entropy();
    DATA_BLOB out{0, nullptr};
    if (!CryptProtectData(&in, L"Tolvane recovery key", &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &out))
      return false;
    blob->assign(out.pbData, out.pbData + out.cbData);
    LocalFree(out.pbData);
    return true;
  }

  bool unwrap(const std::vector<unsigned char>& blob, RecoveryKey::Bytes* key) const override {
    DATA_BLOB in{static_cast<DWORD>(blob.size()), const_cast<BYTE*>(blob.data())};
    DATA_BLOB salt = entropy();
    DATA_BLOB out{0, nullptr};
    if (!CryptUnprotectData(&in, nullptr, &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
      return false;
    const bool fits = out.cbData == key->size();
    if (fits) CopyMemory(key->data(), out.pbData, key->size());
    // The system's buffer held the key in the clear; LocalFree would keep its bytes.
    SecureZeroMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return fits;
  }
};

}  // namespace

const KeyWrapper& systemKeyWrapper() {
  static const DataProtection wrapper;
  return wrapper;
}

}  // namespace tolvane
