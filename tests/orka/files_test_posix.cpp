#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "orka/errors/error.h"
#include "orka/files/file.h"
#include "orka/files/safe_write.h"
#include "safe_writers.h"
#include "support/temp_dir.h"

namespace orka {
namespace {

TEST(FilesPosix, TheRootHasNoParent) {
  try {
    Dir("/", false).parentDir();
    ADD_FAILURE();
  } catch (const FileError& e) {
    EXPECT_EQ(e.code(), FileError::kNoParent);
    EXPECT_EQ(e.message(), "親ディレクトリは存在しません。");
    EXPECT_TRUE(e.path().empty());
  }
}

TEST(FilesPosix, RemovingATreeTakesItsLinksButNotWhatTheyPointTo) {
  namespace fs = std::filesystem;
  testing_support::TempDir dir;
  Dir(dir.path("kept"), true);
  std::string keptFile = dir.write("kept/precious.txt", "keep");
  Dir(dir.path("tree"), true);
  fs::create_directory_symlink(fs::u8path(dir.path("kept")), fs::u8path(dir.path("tree/to-folder")));
  fs::create_symlink(fs::u8path(keptFile), fs::u8path(dir.path("tree/to-file")));

  Dir(dir.path("tree"), false).remove();
  EXPECT_FALSE(fs::exists(fs::u8path(dir.path("tree"))));
  EXPECT_EQ(dir.read("kept/precious.txt"), "keep");
}

TEST(FilesPosix, SavingThroughASymbolicLinkReplacesItsTargetAndKeepsTheLink) {
  namespace fs = std::filesystem;
  testing_support::TempDir dir;
  Dir(dir.path("real"), true);
  dir.write("real/doc.vtxt", "old");
  fs::create_symlink("real/doc.vtxt", fs::u8path(dir.path("hop.vtxt")));
  fs::create_symlink(fs::u8path(dir.path("hop.vtxt")), fs::u8path(dir.path("link.vtxt")));
  writeFileSafely(dir.path("link.vtxt"), writeNew);
  EXPECT_TRUE(fs::is_symlink(fs::u8path(dir.path("link.vtxt"))));
  EXPECT_TRUE(fs::is_symlink(fs::u8path(dir.path("hop.vtxt"))));
  EXPECT_EQ(dir.read("real/doc.vtxt"), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::u8path(dir.path("real"))), fs::directory_iterator()), 1);
}

// A link planted at the name a save tries would lead the document's bytes
// into whatever file it points to; the save takes the next name instead,
// and its file is the user's alone while it is written.
TEST(FilesPosix, TheTemporaryFileIsPrivateAndNeverWrittenThroughALink) {
  namespace fs = std::filesystem;
  testing_support::TempDir dir;
  const std::string victim = dir.write("victim", "precious");
  const std::string path = dir.write("doc.vtxt", "old");
  const std::string next = nextTemporaryName(path);
  fs::create_symlink(fs::u8path(victim), fs::u8path(next));
  mode_t mode = 0;
  writeFileSafely(path, [&mode](std::unique_ptr<FileWriteStream> s) {
    struct stat st;
    if (stat(s->fullPath().c_str(), &st) == 0) mode = st.st_mode & 0777;
    return writeNew(std::move(s));
  });
  EXPECT_EQ(mode, 0600u);
  EXPECT_EQ(dir.read("victim"), "precious");
  EXPECT_EQ(dir.read("doc.vtxt"), "new");
  EXPECT_TRUE(fs::is_symlink(fs::u8path(next)));
}

// Only plain files are leftovers of a save: a link at such a name is left
// with what it points to, and so is a pipe.
TEST(FilesPosix, TheCleanUpOfLeftoversRemovesPlainFilesOnly) {
  namespace fs = std::filesystem;
  testing_support::TempDir dir;
  const std::string victim = dir.write("victim", "precious");
  const std::string gone = ".~doc.vtxt.4294967290-";  // no process has this number
  fs::create_symlink(fs::u8path(victim), fs::u8path(dir.path(gone + "1.tmp")));
  ASSERT_EQ(mkfifo(dir.path(gone + "2.tmp").c_str(), 0600), 0);
  dir.write(gone + "3.tmp", "half");
  writeFileSafely(dir.write("doc.vtxt", "old"), writeNew);
  EXPECT_TRUE(fs::is_symlink(fs::u8path(dir.path(gone + "1.tmp"))));
  EXPECT_TRUE(fs::is_fifo(fs::u8path(dir.path(gone + "2.tmp"))));
  EXPECT_FALSE(fs::exists(fs::u8path(dir.path(gone + "3.tmp"))));
  EXPECT_EQ(dir.read("victim"), "precious");
}

// A save still running in another process keeps its temporary file.
TEST(FilesPosix, ATemporaryFileOfARunningProcessIsLeftAlone) {
  testing_support::TempDir dir;
  pid_t other = fork();
  if (other == 0) {
    pause();
    _exit(0);
  }
  ASSERT_GT(other, 0);
  const std::string running = ".~doc.vtxt." + std::to_string(other) + "-0.tmp";
  dir.write(running, "being written");
  writeFileSafely(dir.write("doc.vtxt", "old"), writeNew);
  kill(other, SIGKILL);
  waitpid(other, nullptr, 0);
  EXPECT_EQ(dir.read(running), "being written");
}

}  // namespace
}  // namespace orka
