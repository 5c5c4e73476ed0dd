#include <gtest/gtest.h>

#include "orka/errors/error.h"
#include "orka/files/file.h"

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

}  // namespace
}  // namespace orka
