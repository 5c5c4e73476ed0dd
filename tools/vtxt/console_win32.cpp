// The console on Windows.  Redirected streams are read and written through
// their handles, byte for byte; a real console is written with WriteConsoleW
// and read with ReadConsoleW, so that UTF-8 text shows (and is typed) right
// whatever the console's code page.  Passwords come from CONIN$ with echo
// turned off.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>

#include "orka/files/dll_search_win32.h"
#include "orka/text/wide.h"
#include "tools/vtxt/console.h"

namespace vtxt {
namespace {

bool isConsole(HANDLE h) {
  DWORD mode;
  return h && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode);
}

bool writeBytes(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD piece = bytes.size() > (1u << 20) ? (1u << 20) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(h, bytes.data(), piece, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

bool writeConsole(HANDLE h, std::string_view utf8) {
  std::wstring wide = orka::widen(utf8);
  std::wstring_view rest = wide;
  while (!rest.empty()) {
    DWORD piece = rest.size() > 8192 ? 8192 : static_cast<DWORD>(rest.size());
    DWORD written = 0;
    if (!WriteConsoleW(h, rest.data(), piece, &written, nullptr) || written == 0) return false;
    rest.remove_prefix(written);
  }
  return true;
}

bool writeText(HANDLE h, std::string_view utf8) {
  return isConsole(h) ? writeConsole(h, utf8) : writeBytes(h, utf8);
}

class WindowsConsole : public Console {
 public:
  WindowsConsole() {
    // Nothing of ours goes through the C runtime's streams, but should
    // anything else, it must not turn LF into CR LF either.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
  }

  bool readInput(std::string* bytes) override {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (isConsole(in)) return readConsole(in, bytes);
    char buffer[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(in, buffer, sizeof buffer, &got, nullptr)) return GetLastError() == ERROR_BROKEN_PIPE;
      if (got == 0) return true;
      bytes->append(buffer, got);
    }
  }

  bool writeOutput(std::string_view bytes, bool isText) override {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    return isText ? writeText(out, bytes) : writeBytes(out, bytes);
  }

  void writeError(std::string_view text) override { writeText(GetStdHandle(STD_ERROR_HANDLE), text); }

  std::optional<std::string> askPassword(std::string_view prompt) override {
    HANDLE in = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    std::optional<std::string> answer;
    DWORD mode;
    if (in != INVALID_HANDLE_VALUE && GetConsoleMode(in, &mode)) {
      if (out != INVALID_HANDLE_VALUE) writeConsole(out, prompt);
      SetConsoleMode(in, (mode | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) & ~DWORD{ENABLE_ECHO_INPUT});
      std::wstring line;
      wchar_t c;
      DWORD got = 0;
      while (ReadConsoleW(in, &c, 1, &got, nullptr) && got == 1 && c != L'\n') {
        if (c != L'\r') line += c;
      }
      SetConsoleMode(in, mode);
      if (out != INVALID_HANDLE_VALUE) writeConsole(out, "\r\n");
      answer = orka::narrow(line);
      SecureZeroMemory(&line[0], line.size() * sizeof(wchar_t));
    }
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    return answer;
  }

 private:
  // Reads typed text up to Ctrl+Z (the console's end of input).
  static bool readConsole(HANDLE in, std::string* bytes) {
    std::wstring text;
    wchar_t buffer[4096];
    for (;;) {
      DWORD got = 0;
      if (!ReadConsoleW(in, buffer, 4096, &got, nullptr)) return false;
      if (got == 0) break;
      std::wstring_view piece(buffer, got);
      size_t end = piece.find(L'\x1A');
      text.append(piece.substr(0, end));
      if (end != std::wstring_view::npos) break;
    }
    bytes->append(orka::narrow(text));
    return true;
  }
};

}  // namespace

std::unique_ptr<Console> systemConsole() { return std::make_unique<WindowsConsole>(); }

std::vector<std::string> programArguments(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return args;
  for (int i = 1; i < count; ++i) args.push_back(orka::narrow(wide[i]));
  LocalFree(wide);
  return args;
}

SystemSession::SystemSession() {
  orka::restrictDllSearchToSystem();
  started_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  // The machine serial number comes from WMI, which needs impersonation.
  if (started_)
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                         RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
}

SystemSession::~SystemSession() {
  if (started_) CoUninitialize();
}

}  // namespace vtxt
