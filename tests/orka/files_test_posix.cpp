#include <gtest/gtest.h>

#include <signal.h>
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
