#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "orka/errors/error.h"
#include "orka/files/file.h"
#include "orka/files/path_ops.h"
#include "orka/files/wide_path.h"
#include "orka/files/safe_write.h"
#include "orka/streams/file_stream.h"
#include "orka/text/wide.h"
#include "safe_writers.h"
#include "support/temp_dir.h"

namespace orka {
namespace {

using testing_support::TempDir;

TEST(Windows, TestsRunWithTheJapaneseAnsiCodePage) { EXPECT_EQ(GetACP(), 932u); }

DWORD attributesOf(const std::string& path) { return GetFileAttributesW(widen(path).c_str()); }

TEST(Windows, AHiddenFileIsReplacedAndStaysHidden) {
  TempDir dir;
  std::string direct = dir.write("direct.vtxt", "old");
  std::string safe = dir.write("safe.vtxt", "old");
  for (const std::string& p : {direct, safe})
    ASSERT_TRUE(SetFileAttributesW(widen(p).c_str(), FILE_ATTRIBUTE_HIDDEN));

  {
    FileWriteStream w(direct);
    w.write("new", 3);
  }
  writeFileSafely(safe, writeNew);
  for (const std::string& p : {direct, safe}) {
    EXPECT_TRUE(attributesOf(p) & FILE_ATTRIBUTE_HIDDEN) << p;
    EXPECT_EQ(TempDir::readFile(p), "new");
  }
}

// The names of the files (not folders) in `folder`.
std::vector<std::wstring> filesIn(const std::string& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(widen(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// The temporary name is longer than a short document name: near the limit it
// only fits in the long form of the path.
TEST(Windows, ADocumentAtThePathLimitCanBeSaved) {
  TempDir dir;
  std::string folder = dir.path();
  while (folder.size() < 245) {
    folder += "\\" + std::string(std::min<size_t>(40, 245 - folder.size()), 'd');
    ASSERT_TRUE(CreateDirectoryW(widen(folder).c_str(), nullptr)) << folder;
  }
  std::string path = folder + "\\" + std::string(MAX_PATH - 1 - folder.size() - 1, 'a');
  ASSERT_EQ(path.size(), MAX_PATH - 1u);
  writeFileSafely(path, writeNew);  // a new document
  writeFileSafely(path, writeNew);  // and over an existing one
  EXPECT_EQ(TempDir::readFile(path), "new");
  EXPECT_EQ(filesIn(folder).size(), 1u);

  // Past the limit the system calls take the long form too.
  const std::string longer = folder + "\\" + std::string(60, 'b');
  writeFileSafely(longer, writeNew);
  FileReadStream in(longer);
  char got[4] = {};
  EXPECT_EQ(in.read(got, 4), 3u);
  EXPECT_STREQ(got, "new");
}

TEST(Windows, PathsAreMadeAbsoluteAtAnyLength) {
  const std::string here = narrow(fullPathName(L"."));
  ASSERT_FALSE(here.empty());
  const std::string longName(300, 'n');
  const std::pair<std::string, std::string> cases[] = {
      {"a.vtxt", here + "\\a.vtxt"},
      {"sub\\..\\b.vtxt", here + "\\b.vtxt"},
      {longName, here + "\\" + longName},  // past MAX_PATH
  };
  for (const auto& [path, absolute] : cases) {
    std::string got;
    EXPECT_TRUE(detail::fullPath(path, &got)) << path;
    EXPECT_EQ(got, absolute) << path;
  }
}

// Replacing keeps what belongs to the file rather than to its contents.
TEST(Windows, ReplacingKeepsTheAlternateStreamsOfTheDocument) {
  TempDir dir;
  std::string path = dir.write("doc.vtxt", "old");
  HANDLE h = CreateFileW(widen(path + ":origin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) GTEST_SKIP() << "this file system has no alternate streams";
  DWORD put;
  WriteFile(h, "zone", 4, &put, nullptr);
  CloseHandle(h);
  // Wine makes a file of that name beside the document instead.
  if (filesIn(dir.path()).size() != 1) GTEST_SKIP() << "alternate streams are separate files here";
  writeFileSafely(path, writeNew);
  EXPECT_EQ(TempDir::readFile(path), "new");
  EXPECT_EQ(TempDir::readFile(path + ":origin"), "zone");
}

TEST(Windows, SavingThroughASymbolicLinkReplacesItsTargetAndKeepsTheLink) {
  TempDir dir;
  std::string real = dir.write("real.vtxt", "old");
  std::string link = dir.path("link.vtxt");
  if (!CreateSymbolicLinkW(widen(link).c_str(), widen(real).c_str(), 0x2 /* unprivileged create */) &&
      !CreateSymbolicLinkW(widen(link).c_str(), widen(real).c_str(), 0))
    GTEST_SKIP() << "symbolic links cannot be made here";
  const DWORD attributes = attributesOf(link);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    GTEST_SKIP() << "this system makes links it cannot read back";
  writeFileSafely(link, writeNew);
  EXPECT_TRUE(attributesOf(link) & FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(TempDir::readFile(real), "new");
}

TEST(Windows, TheRootOfADriveHasNoParent) {
  try {
    Dir("C:\\", false).parentDir();
    ADD_FAILURE();
  } catch (const FileError& e) {
    EXPECT_EQ(e.code(), FileError::kNoParent);
    EXPECT_TRUE(e.path().empty());
  }
}

TEST(Windows, CreatingOnAMissingDriveNamesItsRoot) {
  DWORD drives = GetLogicalDrives();
  char letter = 0;
  for (char c = 'Q'; c <= 'Y' && !letter; ++c)
    if (!(drives & (1u << (c - 'A')))) letter = c;
  ASSERT_NE(letter, 0);
  std::string root = std::string(1, letter) + ":\\";
  try {
    Dir(root + "one\\two", true);
    ADD_FAILURE();
  } catch (const FileError& e) {
    EXPECT_EQ(e.code(), FileError::kCreateDirFailed);
    EXPECT_EQ(e.path(), root);
    EXPECT_EQ(e.message(), "ディレクトリの作成に失敗しました。\n\n" + root);
  }
}

TEST(Windows, JapaneseFileNamesWork) {
  TempDir dir;
  std::string path = dir.path("日本語の文書.vtxt");
  {
    FileWriteStream w(path);
    w.write("abc", 3);
  }
  File f(path);
  EXPECT_EQ(f.size(), 3u);
  FileReadStream r(path);
  EXPECT_EQ(r.size(), 3u);
}

}  // namespace
}  // namespace orka
