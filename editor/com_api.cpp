#include "editor/com_api.h"

#include <objbase.h>

#include <cstdio>

namespace {

class SystemComApi : public ComApi {
 public:
  HRESULT initialize() override { return CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  HRESULT initializeSecurity() override {
    return CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  }
  void uninitialize() override { CoUninitialize(); }
};

}  // namespace

ComApi& systemComApi() {
  static SystemComApi api;
  return api;
}

ComSession::ComSession(ComApi& api) : api_(api) {
  hr = api_.initialize();
  if (FAILED(hr)) return;
  flags |= kInitialized;
  hr = api_.initializeSecurity();
  if (SUCCEEDED(hr)) flags |= kSecurityInitialized;
}

ComSession::~ComSession() {
  if (flags & kInitialized) api_.uninitialize();
}

std::string ComSession::failureMessage() const {
  char code[16];
  std::snprintf(code, sizeof code, "%lx", static_cast<unsigned long>(hr));
  if (!(flags & kInitialized)) return std::string("COMの初期化に失敗しました：") + code;
  return std::string("セキュリティ情報の初期化に失敗しました：") + code;
}
