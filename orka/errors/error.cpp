#include "orka/errors/error.h"

#include <iterator>
#include <utility>

namespace orka {
namespace {

const char* const kStreamTexts[] = {
    "ファイルのオープンに失敗しました。\n\n", "ファイルが見つかりません。\n\n",
    "ファイルの読み込みに失敗しました。\n\n", "ファイル操作に失敗しました。\n\n",
    "入力に必要なデータが足りません。",       "ストリームのシークに失敗しました。",
    "ファイルの書き込みに失敗しました。\n\n", "出力に必要なデータ領域がありません。",
    "この機能はサポートされていません。",     "データの入出力に何らかのエラーが発生しました。",
    "無効なストリームを使用しました。。",  // the doubled full stop is the message's own
    "圧縮ライブラリの初期化に失敗しました。", "データの圧縮に失敗しました。",
    "データの展開に失敗しました。",
};

const char* const kFileTexts[] = {
    "ディレクトリではありません。\n\n",
    "ディレクトリの作成に失敗しました。\n\n",
    "ディレクトリの削除に失敗しました。\n\n",
    "ファイルの削除に失敗しました。\n\n",
    "テンポラリディレクトリの作成に失敗しました。",
    "親ディレクトリは存在しません。",
    "ファイル名が正しくありません。\n\n",
    "ファイルではありません。\n\n",
};

template <size_t N>
const char* lookup(const char* const (&table)[N], int code) {
  return code >= 0 && static_cast<size_t>(code) < N ? table[code] : "";
}

}  // namespace

Error::Error(std::string message) : Error(2, kFree, std::move(message)) {}
Error::Error(int code, int kind, std::string message)
    : code_(code), kind_(kind), message_(std::move(message)) {}
Error::~Error() = default;

StreamError::StreamError(int code) : Error(code, kStream, text(code)) {}
StreamError::StreamError(int code, std::string path)
    : Error(code, kStreamWithPath, text(code) + path), path_(std::move(path)) {}
const char* StreamError::text(int code) { return lookup(kStreamTexts, code); }

FileError::FileError(int code) : Error(code, kFile, text(code)) {}
FileError::FileError(int code, std::string path)
    : Error(code, kFile, text(code) + path), path_(std::move(path)) {}
const char* FileError::text(int code) { return lookup(kFileTexts, code); }

}  // namespace orka
