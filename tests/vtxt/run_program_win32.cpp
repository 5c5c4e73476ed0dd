#include <windows.h>

#include "orka/text/wide.h"
#include "support/temp_dir.h"
#include "vtxt/run_program.h"

namespace vtxt_test {
namespace {

// The build gives the program's Unix path; wine shows the Unix root as Z:.
std::string windowsPath(std::string path) {
  if (path.empty() || path[0] != '/') return path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return "Z:" + path;
}

std::wstring quotedArgument(const std::string& arg) { return L"\"" + orka::widen(arg) + L"\""; }

HANDLE inheritable(const std::string& path, bool forWriting) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(orka::widen(path).c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ,
                     &inherit, forWriting ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const std::string& scratch) {
  using testing_support::TempDir;
  std::string in = scratch + "\\stdin", out = scratch + "\\stdout", err = scratch + "\\stderr";
  { std::ofstream(std::filesystem::u8path(in), std::ios::binary) << input; }
  std::string exe = windowsPath(program);
  std::wstring commandLine = quotedArgument(exe);
  for (const std::string& a : args) commandLine += L" " + quotedArgument(a);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inheritable(in, false);
  startup.hStdOutput = inheritable(out, true);
  startup.hStdError = inheritable(err, true);
  PROCESS_INFORMATION process{};
  ProgramResult result;
  // No console of its own: a password can only come from a file.
  if (CreateProcessW(orka::widen(exe).c_str(), &commandLine[0], nullptr, nullptr, TRUE, DETACHED_PROCESS,
                     nullptr, nullptr, &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.exitCode = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(startup.hStdInput);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  result.out = TempDir::readFile(out);
  result.err = TempDir::readFile(err);
  return result;
}

}  // namespace vtxt_test
