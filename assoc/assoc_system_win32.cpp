// The association's system side on Windows: Tolvreg started through the
// shell (so that its manifest brings up the elevation prompt), the version
// the program is allowed to see, and the default-programs object.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "assoc/association.h"
#include "orka/errors/error.h"
#include "orka/text/wide.h"
#include "settings/program_file.h"

namespace assoc {
namespace {

// Releases a process handle however the wait ends.
class ProcessHandle {
 public:
  explicit ProcessHandle(HANDLE handle) : handle_(handle) {}
  ~ProcessHandle() {
    if (handle_) CloseHandle(handle_);
  }
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

class Win32AssocSystem final : public AssocSystem {
 public:
  std::string editorPath() override { return programPath(); }

  std::string shortPath(const std::string& path) override {
    const std::wstring wide = orka::widen(path);
    const DWORD needed = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (needed == 0) return std::string();
    std::wstring shortForm(needed, L'\0');
    const DWORD length = GetShortPathNameW(wide.c_str(), shortForm.data(), needed);
    if (length == 0 || length >= needed) return std::string();
    shortForm.resize(length);
    return orka::narrow(shortForm);
  }

  uint32_t runAssocHelper(const std::string& parameters) override {
    const std::wstring helper = orka::widen(fileBesideProgram("Tolvreg.exe").path());
    const std::wstring wideParameters = orka::widen(parameters);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // No system error box: the command reports the failure in its own words.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = helper.c_str();
    info.lpParameters = wideParameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info) || reinterpret_cast<INT_PTR>(info.hInstApp) <= 32)
      throw orka::Error("関連付け補助ツールの起動に失敗しました。");
    ProcessHandle process(info.hProcess);
    // The shell may hand the start to a running instance and give no handle:
    // then there is nothing to wait for and no exit code to read.
    DWORD exitCode = 0;
    if (!process.get() || WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.get(), &exitCode))
      throw orka::Error("関連付けの結果が不明です。");
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return exitCode;
  }

  WindowsVersion windowsVersion() override {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // deprecated, but it answers as the manifest allows
#endif
    if (!GetVersionExW(&info)) return {};
    return {info.dwMajorVersion, info.dwMinorVersion};
  }

  bool setAppAsDefaultAll(const std::string& applicationId) override {
    IApplicationAssociationRegistration* registration = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ApplicationAssociationRegistration, nullptr,
                                CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                IID_IApplicationAssociationRegistration,
                                reinterpret_cast<void**>(&registration))))
      return false;
    const HRESULT result = registration->SetAppAsDefaultAll(orka::widen(applicationId).c_str());
    registration->Release();
    return SUCCEEDED(result);
  }
};

}  // namespace

AssocSystem& systemAssoc() {
  static Win32AssocSystem system;
  return system;
}

}  // namespace assoc
