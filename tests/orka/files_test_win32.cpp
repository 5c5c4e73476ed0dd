#include <windows.h>

#include <gtest/gtest.h>

#include "orka/errors/error.h"
#include "orka/files/file.h"
#include "orka/files/safe_write.h"
#include "orka/streams/file_stream.h"
#include "orka/text/wide.h"
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
  writeFileSafely(safe, [](std::unique_ptr<FileWriteStream> s) {
    s->write("new", 3);
    s->flush(true);
  });
  for (const std::string& p : {direct, safe}) {
    EXPECT_TRUE(attributesOf(p) & FILE_ATTRIBUTE_HIDDEN) << p;
    EXPECT_EQ(TempDir::readFile(p), "new");
  }
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
