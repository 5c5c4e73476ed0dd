// Errors of the support library.
//
// Every failure of the library (and of the program's own code) is thrown as
// an orka::Error by value and caught by reference.  An error carries a code,
// a kind and a complete, ready-to-show Japanese message (UTF-8).  Messages
// that name a file are the table text, which ends in two line feeds, followed
// directly by the path, so that the path stands two lines below the sentence
// in a message box.  Error objects are plain values: copying one copies all
// of its fields.
#pragma once

#include <string>

namespace orka {

class Error {
 public:
  // Kinds.
  enum Kind { kFree = 0, kStream = 1, kFile = 2, kStreamWithPath = 4 };

  // An error with a free message: code 2, kind 0, the text unchanged.
  explicit Error(std::string message);
  virtual ~Error();

  int code() const { return code_; }
  int kind() const { return kind_; }
  const std::string& message() const { return message_; }

 protected:
  Error(int code, int kind, std::string message);

 private:
  int code_;
  int kind_;
  std::string message_;
};

class StreamError : public Error {
 public:
  enum Code {
    kOpenFailed = 0,
    kNotFound = 1,
    kReadFailed = 2,
    kFileOperationFailed = 3,
    kShortInput = 4,
    kSeekFailed = 5,
    kWriteFailed = 6,
    kNoOutputSpace = 7,  // a document whose text is longer than the editor holds
    kUnsupported = 8,
    kIoError = 9,  // reserved
    kInvalidStream = 10,
    kCompressorInitFailed = 11,
    kCompressFailed = 12,
    // The data is damaged, or was enciphered under another key: the two
    // cannot be told apart, since a wrong key only yields damaged data.
    kDamagedOrWrongKey = 13,
  };

  // Without a path: kind 1.  With a path: kind 4, the path after the text.
  explicit StreamError(int code);
  StreamError(int code, std::string path);

  // The path the error is about; empty when none is named.
  const std::string& path() const { return path_; }

  // The table text of a code (without any path); empty for unknown codes.
  static const char* text(int code);

 private:
  std::string path_;
};

class FileError : public Error {
 public:
  enum Code {
    kNotDirectory = 0,
    kCreateDirFailed = 1,
    kRemoveDirFailed = 2,
    kDeleteFailed = 3,
    kTempDirFailed = 4,  // reserved
    kNoParent = 5,
    kBadFileName = 6,
    kNotFile = 7,
  };

  // Kind 2.  The error without a path exists for kNoParent.
  explicit FileError(int code);
  FileError(int code, std::string path);

  const std::string& path() const { return path_; }

  static const char* text(int code);

 private:
  std::string path_;
};

}  // namespace orka
