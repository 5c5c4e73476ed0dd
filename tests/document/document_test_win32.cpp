// What only Windows has: the hidden attribute and the WMI serial number.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <functional>

#include "document/document.h"
#include "document/document_files.h"
#include "document/machine_serial.h"
#include "orka/errors/error.h"
#include "orka/text/wide.h"
#include "support/temp_dir.h"

namespace {

using document_test::namesIn;
using document_test::textOf;
using testing_support::TempDir;

TEST(DocumentWin32, SavingOverAHiddenDocumentKeepsItHidden) {
  TempDir dir;
  tolvane::DocumentKey key = tolvane::makeDocumentKey("pw");
  std::string path = dir.path("hidden.vtxt");
  tolvane::writeDocument(path, key, "old", 3);
  std::wstring wide = orka::widen(path);
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN));
  tolvane::writeDocument(path, key, "new", 3);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(textOf(*tolvane::readDocument(path, key)), "new");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"hidden.vtxt"});
}

TEST(DocumentWin32, AFileOpenElsewhereIsNeitherReadNorReplaced) {
  TempDir dir;
  tolvane::DocumentKey key = tolvane::makeDocumentKey("pw");
  std::string path = dir.path("busy.vtxt");
  tolvane::writeDocument(path, key, "old", 3);
  std::string before = TempDir::readFile(path);
  HANDLE other = CreateFileW(orka::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  auto code = [](const std::function<void()>& f) {
    try {
      f();
    } catch (const orka::StreamError& e) {
      return e.code();
    }
    return -1;
  };
  EXPECT_EQ(code([&] { tolvane::writeDocument(path, key, "new", 3); }), orka::StreamError::kOpenFailed);
  EXPECT_EQ(code([&] { tolvane::readDocument(path, key); }), orka::StreamError::kOpenFailed);
  CloseHandle(other);
  EXPECT_EQ(TempDir::readFile(path), before);
  EXPECT_EQ(namesIn(dir.path()).size(), 1u);
}

TEST(DocumentWin32, WmiSerialNumberIsReadOnceAndKept) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
                       nullptr, EOAC_NONE, nullptr);
  tolvane::setMachineSerialSource(nullptr);
  const char* first = tolvane::machineSerialNumber();
  ASSERT_NE(first, nullptr);
  std::string serial = first;
  EXPECT_FALSE(serial.empty());
  EXPECT_EQ(tolvane::platformMachineSerial(), serial) << "as WMI reports it, byte for byte";
  EXPECT_EQ(tolvane::machineSerialNumber(), first) << "the cached text";
  EXPECT_EQ(tolvane::makeDocumentKey(""),
            tolvane::makeDocumentKey(std::string_view(first, serial.size() + 1)));
  CoUninitialize();
}

}  // namespace
