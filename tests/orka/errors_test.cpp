#include "orka/errors/error.h"

#include <gtest/gtest.h>

namespace orka {
namespace {

TEST(Errors, FreeMessageIsCodeTwoKindZeroAndKeepsTheText) {
  Error e("暗号キーの作成に失敗しました。");
  EXPECT_EQ(e.code(), 2);
  EXPECT_EQ(e.kind(), 0);
  EXPECT_EQ(e.message(), "暗号キーの作成に失敗しました。");
}

TEST(Errors, StreamErrorWithPathPutsThePathTwoLinesBelow) {
  StreamError e(StreamError::kNotFound, "C:\\doc.vtxt");
  EXPECT_EQ(e.kind(), 4);
  EXPECT_EQ(e.message(), "ファイルが見つかりません。\n\nC:\\doc.vtxt");
  EXPECT_EQ(e.path(), "C:\\doc.vtxt");
}

TEST(Errors, StreamErrorWithoutPathIsKindOne) {
  StreamError e(StreamError::kInvalidStream);
  EXPECT_EQ(e.kind(), 1);
  EXPECT_EQ(e.message(), "無効なストリームを使用しました。。");
  EXPECT_TRUE(e.path().empty());
}

TEST(Errors, FileErrorsAreKindTwo) {
  FileError noParent(FileError::kNoParent);
  EXPECT_EQ(noParent.kind(), 2);
  EXPECT_EQ(noParent.message(), "親ディレクトリは存在しません。");
  FileError named(FileError::kNotFile, "/tmp/x");
  EXPECT_EQ(named.message(), "ファイルではありません。\n\n/tmp/x");
}

TEST(Errors, CaughtByBaseReferenceKeepsEverything) {
  try {
    throw StreamError(StreamError::kDamagedOrWrongKey);
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), 13);
    EXPECT_EQ(e.message(), "データの展開に失敗しました。");
    EXPECT_NE(dynamic_cast<const StreamError*>(&e), nullptr);
  }
}

}  // namespace
}  // namespace orka
