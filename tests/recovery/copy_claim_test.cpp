// Claims on recovery copies: one holder at a time, seen from every process
// of the session, and gone with a holder that is killed.
#include "editor/recovery/copy_claim.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "orka/text/wide.h"

namespace {

using tolvane::CopyClaim;

// A name no other run of the tests uses.
std::string uniqueCopyName(const char* what) {
  return what + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()) + ".tvr";
}

template <typename Condition>
bool within(DWORD milliseconds, Condition condition) {
  for (DWORD waited = 0; !condition(); waited += 50) {
    if (waited >= milliseconds) return false;
    Sleep(50);
  }
  return true;
}

TEST(CopyClaim, OneHolderAtATimeUntilItIsReleased) {
  const std::string name = uniqueCopyName("one");
  EXPECT_FALSE(CopyClaim::heldElsewhere(name));
  std::optional<CopyClaim> first = CopyClaim::take(name);
  ASSERT_TRUE(first);
  EXPECT_TRUE(CopyClaim::heldElsewhere(name));
  EXPECT_FALSE(CopyClaim::take(name)) << "taken twice in one process";
  EXPECT_FALSE(CopyClaim::heldElsewhere(uniqueCopyName("other")));

  CopyClaim moved = std::move(*first);
  first.reset();
  EXPECT_TRUE(CopyClaim::heldElsewhere(name)) << "moving keeps the claim";
  { CopyClaim gone = std::move(moved); }
  EXPECT_FALSE(CopyClaim::heldElsewhere(name));
  EXPECT_TRUE(CopyClaim::take(name));
}

// copy_claim_holder, beside the test program, takes the claim and waits.
TEST(CopyClaim, AnotherProcessesClaimIsSeenAndGoesWhenItIsKilled) {
  const std::string name = uniqueCopyName("child");
  std::wstring program(MAX_PATH, L'\0');
  program.resize(GetModuleFileNameW(nullptr, &program[0], MAX_PATH));
  program = program.substr(0, program.find_last_of(L'\\') + 1) + L"copy_claim_holder.exe";
  std::wstring commandLine = L"\"" + program + L"\" " + orka::widen(name);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  ASSERT_TRUE(CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &child));
  EXPECT_TRUE(within(30000, [&] { return CopyClaim::heldElsewhere(name); }));
  EXPECT_FALSE(CopyClaim::take(name));

  TerminateProcess(child.hProcess, 9);
  WaitForSingleObject(child.hProcess, 30000);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  EXPECT_TRUE(within(10000, [&] { return !CopyClaim::heldElsewhere(name); }));
  EXPECT_TRUE(CopyClaim::take(name));
}

}  // namespace
