#include <gtest/gtest.h>

#include <filesystem>

#include "orka/errors/error.h"
#include "orka/files/file.h"
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

}  // namespace
}  // namespace orka
