#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "orka/errors/error.h"
#include "orka/files/file.h"
#include "orka/files/file_faults.h"
#include "orka/files/path_ops.h"
#include "orka/files/safe_write.h"
#include "orka/streams/file_stream.h"
#include "support/read_only.h"
#include "safe_writers.h"
#include "support/temp_dir.h"

namespace orka {
namespace {

using testing_support::makeReadOnly;
using testing_support::TempDir;
namespace fs = std::filesystem;

template <typename F>
StreamError streamErrorOf(F f) {
  try {
    f();
  } catch (const StreamError& e) {
    return e;
  }
  ADD_FAILURE() << "no StreamError";
  return StreamError(-1);
}

template <typename F>
FileError fileErrorOf(F f) {
  try {
    f();
  } catch (const FileError& e) {
    return e;
  }
  ADD_FAILURE() << "no FileError";
  return FileError(-1);
}

TEST(FileStreams, AMissingFileAndAMissingFolderFailDifferently) {
  TempDir dir;
  std::string missingFile = dir.path("absent.vtxt");
  StreamError notFound = streamErrorOf([&] { FileReadStream s(missingFile); });
  EXPECT_EQ(notFound.code(), StreamError::kNotFound);
  EXPECT_EQ(notFound.kind(), 4);
  EXPECT_EQ(notFound.message(), "ファイルが見つかりません。\n\n" + missingFile);

  std::string inMissingFolder = dir.path("no-such-folder/absent.vtxt");
  StreamError openFailed = streamErrorOf([&] { FileReadStream s(inMissingFolder); });
  EXPECT_EQ(openFailed.code(), StreamError::kOpenFailed);
  EXPECT_EQ(openFailed.message(), "ファイルのオープンに失敗しました。\n\n" + inMissingFolder);
  EXPECT_EQ(streamErrorOf([&] { FileWriteStream s(inMissingFolder); }).code(), StreamError::kOpenFailed);
}

TEST(FileStreams, ADirectoryOrAReadOnlyFileCannotBeOpenedForWriting) {
  TempDir dir;
  EXPECT_EQ(streamErrorOf([&] { FileWriteStream s(dir.path()); }).code(), StreamError::kOpenFailed);
  std::string locked = dir.write("locked.vtxt", "keep me");
  makeReadOnly(locked);
  EXPECT_EQ(streamErrorOf([&] { FileWriteStream s(locked); }).code(), StreamError::kOpenFailed);
  EXPECT_EQ(dir.read("locked.vtxt"), "keep me");
}

TEST(FileStreams, WritingTruncatesAndReadingSeesExactlyTheBytes) {
  TempDir dir;
  std::string path = dir.write("doc.bin", std::string(1000, 'x'));
  {
    FileWriteStream w(path);
    w.write("hello", 5);
    EXPECT_EQ(w.tell(), 5u);
    EXPECT_EQ(w.size(), 5u);
    w.flush(false);
  }
  FileReadStream r(path);
  EXPECT_EQ(r.size(), 5u);
  char buffer[16];
  EXPECT_EQ(r.read(buffer, 0), 0u);
  EXPECT_EQ(r.read(buffer, sizeof buffer), 5u);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  EXPECT_EQ(r.read(buffer, sizeof buffer), 0u);
  EXPECT_TRUE(r.atEnd());
}

TEST(FileStreams, OnlyOneOpenerAtATime) {
  TempDir dir;
  std::string path = dir.write("busy.vtxt", "abc");
  FileReadStream holder(path);
  EXPECT_EQ(streamErrorOf([&] { FileReadStream s(path); }).code(), StreamError::kOpenFailed);
  EXPECT_EQ(streamErrorOf([&] { FileWriteStream s(path); }).code(), StreamError::kOpenFailed);
}

TEST(FileStreams, SkipPastTheEndIsAllowedAndSizeKeepsThePosition) {
  TempDir dir;
  std::string path = dir.write("ten.bin", "0123456789");
  FileReadStream r(path);
  r.skip(4);
  EXPECT_EQ(r.size(), 10u);
  EXPECT_EQ(r.tell(), 4u);
  r.skip(20);
  EXPECT_EQ(r.tell(), 24u);
  EXPECT_FALSE(r.atEnd());
  r.seek(0, kSeekBegin);
  r.skip(0x80000000u);  // more than a signed offset holds
  EXPECT_EQ(r.tell(), 0x80000000u);
  r.seek(-2, kSeekEnd);
  char buffer[4];
  EXPECT_EQ(r.read(buffer, 4), 2u);
  EXPECT_EQ(std::string(buffer, 2), "89");
  EXPECT_EQ(streamErrorOf([&] { r.seek(-100, kSeekCurrent); }).code(), StreamError::kSeekFailed);
}

TEST(FileStreams, ErrorsAfterOpeningNameTheAbsolutePath) {
  TempDir dir;
  fs::current_path(fs::u8path(dir.path()));
  dir.write("rel.bin", "x");
  FileReadStream r("rel.bin");
  EXPECT_EQ(r.fullPath(), File(dir.path("rel.bin")).path());
  fs::current_path(fs::temp_directory_path());
}

TEST(Files, AFileObjectOfADirectoryOrAMissingFile) {
  TempDir dir;
  FileError notFile = fileErrorOf([&] { File f(dir.path()); });
  EXPECT_EQ(notFile.code(), FileError::kNotFile);
  EXPECT_EQ(notFile.kind(), 2);

  File missing(dir.path("missing.vtxt"));
  EXPECT_EQ(missing.size(), 0u);
  EXPECT_EQ(missing.lastWriteTime().year, 0);
  EXPECT_EQ(missing.lastWriteTime().month, 0);
  missing.remove();  // nothing to remove is not an error

  File present(dir.write("present.vtxt", "12345"));
  EXPECT_EQ(present.size(), 5u);
  EXPECT_GE(present.lastWriteTime().year, 2020);
  present.remove();
  EXPECT_FALSE(fs::exists(fs::u8path(dir.path("present.vtxt"))));
}

TEST(Files, ADirectoryObjectOfAFile) {
  TempDir dir;
  std::string file = dir.write("plain.txt", "x");
  FileError e = fileErrorOf([&] { Dir d(file, false); });
  EXPECT_EQ(e.code(), FileError::kNotDirectory);
  EXPECT_EQ(e.message(), "ディレクトリではありません。\n\n" + File(file).path());
}

TEST(Files, CreateMakesTheWholeChainAndRemoveEmptiesItDepthFirst) {
  TempDir dir;
  std::string deep = dir.path("a/b/c");
  Dir created(deep, true);
  EXPECT_TRUE(fs::is_directory(fs::u8path(deep)));
  File inside(dir.path("a/b/c/d/file.vtxt"));
  inside.create();  // makes d
  EXPECT_TRUE(fs::is_directory(fs::u8path(dir.path("a/b/c/d"))));
  dir.write("a/b/c/d/file.vtxt", "1");
  dir.write("a/top.txt", "2");

  Dir(dir.path("a"), false).remove();
  EXPECT_FALSE(fs::exists(fs::u8path(dir.path("a"))));
  Dir(dir.path("a"), false).remove();  // already gone: nothing to do
}

TEST(Files, AReadOnlyFileInsideStopsTheRemoval) {
  TempDir dir;
  Dir(dir.path("x/y"), true);
  std::string locked = dir.write("x/y/locked.txt", "keep");
  makeReadOnly(locked);
  FileError e = fileErrorOf([&] { Dir(dir.path("x"), false).remove(); });
  EXPECT_EQ(e.code(), FileError::kDeleteFailed);
  EXPECT_EQ(e.path(), File(locked).path());
  EXPECT_TRUE(fs::exists(fs::u8path(locked)));
}

TEST(Files, TheParentOfAFileIsItsFolder) {
  TempDir dir;
  File f(dir.path("sub/name.vtxt"));
  EXPECT_EQ(f.parentDir().path(), Dir(dir.path("sub"), false).path());
}

TEST(SafeWrite, ACompleteWriteReplacesTheFile) {
  TempDir dir;
  std::string path = dir.write("doc.vtxt", "old contents");
  writeFileSafely(path, writeNew);
  EXPECT_EQ(dir.read("doc.vtxt"), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::u8path(dir.path())), fs::directory_iterator()), 1);
}

TEST(SafeWrite, AFailureHalfwayLeavesTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  std::string path = dir.write("doc.vtxt", "old contents");
  StreamError e = streamErrorOf([&] {
    writeFileSafely(path, [](std::unique_ptr<FileWriteStream> s) -> std::unique_ptr<DataWriteStream> {
      s->write("partial", 7);
      throw StreamError(StreamError::kWriteFailed, s->fullPath());
    });
  });
  EXPECT_EQ(e.code(), StreamError::kWriteFailed);
  EXPECT_EQ(e.path(), path) << "the user saved the document, not a temporary file";
  EXPECT_EQ(dir.read("doc.vtxt"), "old contents");
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::u8path(dir.path())), fs::directory_iterator()), 1);
}

TEST(SafeWrite, AReadOnlyOrBusyTargetFailsToOpenAndStaysIntact) {
  TempDir dir;
  std::string locked = dir.write("locked.vtxt", "keep");
  makeReadOnly(locked);
  auto writer = [](std::unique_ptr<FileWriteStream> s) -> std::unique_ptr<DataWriteStream> {
    s->write("x", 1);
    return s;
  };
  EXPECT_EQ(streamErrorOf([&] { writeFileSafely(locked, writer); }).code(), StreamError::kOpenFailed);
  EXPECT_EQ(dir.read("locked.vtxt"), "keep");

  std::string busy = dir.write("busy.vtxt", "keep");
  FileReadStream holder(busy);
  EXPECT_EQ(streamErrorOf([&] { writeFileSafely(busy, writer); }).code(), StreamError::kOpenFailed);
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::u8path(dir.path())), fs::directory_iterator()), 2);
}

std::set<std::string> namesIn(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(fs::u8path(dir.path()))) names.insert(e.path().filename().u8string());
  return names;
}

// Interrupted saves leave temporary files; the next save of the same file
// removes those whose writer is gone, and nothing else.
TEST(SafeWrite, ASaveRemovesTheLeftoversOfInterruptedSavesOfTheSameFile) {
  TempDir dir;
  std::string path = dir.write("doc.vtxt", "old");
  const std::string gone = "4294967290";  // no process has this number
  const std::string self = std::to_string(detail::processId());
  for (const std::string& name : {".~doc.vtxt." + gone + "-7.tmp", ".~doc.vtxt." + gone + "-8.tmp",
                                  ".~doc.vtxt." + self + "-99999.tmp",  // a save of ours still running
                                  ".~other.vtxt." + gone + "-1.tmp",    // another document's
                                  ".~doc.vtxt.x" + gone + "-1.tmp", ".~doc.vtxt." + gone + "-1.tmp.bak"})
    dir.write(name, "half");
  writeFileSafely(path, writeNew);
  EXPECT_EQ(namesIn(dir), (std::set<std::string>{"doc.vtxt", ".~doc.vtxt." + self + "-99999.tmp",
                                                 ".~other.vtxt." + gone + "-1.tmp", ".~doc.vtxt.x" + gone + "-1.tmp",
                                                 ".~doc.vtxt." + gone + "-1.tmp.bak"}));
  EXPECT_EQ(dir.read("doc.vtxt"), "new");
}

// A name of 250 characters still gets a temporary name the file system takes.
TEST(SafeWrite, AVeryLongNameStillSaves) {
  TempDir dir;
  std::string name = std::string(240, 'n') + "\xE6\x96\x87.vtxt";  // a character cut by the shortening
  std::string path = dir.write(name, "old");
  writeFileSafely(path, writeNew);
  EXPECT_EQ(dir.read(name), "new");
  EXPECT_EQ(namesIn(dir), std::set<std::string>{name});
}

// In a shared folder anyone may take the names a save will try: a taken
// name is passed over and left as it is, and so many of them end the save.
TEST(SafeWrite, TakenTemporaryNamesArePassedOverUpToALimit) {
  struct Case {
    unsigned long taken;
    bool saves;
  };
  for (const Case c : {Case{3, true}, Case{100, false}}) {
    TempDir dir;
    const std::string path = dir.write("doc.vtxt", "old");
    const std::string first = nextTemporaryName(path);
    dir.write("doc.vtxt", "old");
    fs::create_directory(fs::u8path(first));  // a folder takes a name too
    for (unsigned long i = 1; i < c.taken; ++i) std::ofstream(fs::u8path(temporaryNameAfter(first, i))) << "planted";

    std::string error;
    try {
      writeFileSafely(path, writeNew);
    } catch (const Error& e) {
      error = e.message();
    }
    EXPECT_EQ(error, c.saves ? "" : "一時ファイルを作成できません。同じ名前のファイルが既にあります。\n\n" +
                                        temporaryNameAfter(first, c.taken - 1));
    EXPECT_EQ(dir.read("doc.vtxt"), c.saves ? "new" : "old");
    for (unsigned long i = 1; i < c.taken; ++i)
      EXPECT_EQ(TempDir::readFile(temporaryNameAfter(first, i)), "planted") << i;
    EXPECT_EQ(namesIn(dir).size(), c.taken + 1);
  }
}

// A replacement may give up after the old file is gone (ReplaceFileW does):
// the temporary file is then the only copy of the document.
TEST(SafeWrite, AReplacementThatLostTheTargetKeepsTheTemporaryFileAndNamesIt) {
  TempDir dir;
  const std::string path = dir.write("doc.vtxt", "old");
  const std::string temp = nextTemporaryName(path);
  dir.write("doc.vtxt", "old");
  detail::setFaultHook([](detail::FileStep step) {
    return step == detail::FileStep::kReplace ? detail::StepOutcome::kPartial : detail::StepOutcome::kProceed;
  });
  std::string error;
  try {
    writeFileSafely(path, writeNew);
  } catch (const StreamError&) {
    ADD_FAILURE() << "reported as a failure to write the document";
  } catch (const Error& e) {
    error = e.message();
  }
  detail::setFaultHook(nullptr);
  EXPECT_EQ(error, "ファイルの置き換えに失敗しました。保存した内容は次のファイルに残っています。\n\n" + temp);
  EXPECT_EQ(TempDir::readFile(temp), "new");
  EXPECT_EQ(namesIn(dir), std::set<std::string>{fs::u8path(temp).filename().u8string()});
}

TEST(SafeWrite, ANewFileInAMissingFolderFailsToOpen) {
  TempDir dir;
  std::string path = dir.path("missing/doc.vtxt");
  auto e = streamErrorOf([&] { writeFileSafely(path, [](std::unique_ptr<FileWriteStream> s) { return s; }); });
  EXPECT_EQ(e.code(), StreamError::kOpenFailed);
  EXPECT_EQ(e.path(), path);
}

}  // namespace
}  // namespace orka
