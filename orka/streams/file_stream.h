// Streams over one file.
//
// A file stream is open from construction to destruction: reading opens an
// existing file, writing creates it or truncates an existing one, and both
// open it exclusively.  An open failure throws StreamError 1 (file not found)
// or 0 (anything else, a missing folder included), naming the caller's path;
// later failures name the absolute path.  File streams buffer nothing:
// buffering belongs to the filters above them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "orka/files/native_file.h"
#include "orka/streams/stream.h"

namespace orka {

// The file handle and the absolute path shared by both file streams.
class FileStreamBase {
 public:
  const std::string& fullPath() const { return fullPath_; }

 protected:
  // Opens `name` as `mode` says; false only when a new file's name is taken.
  bool open(const std::string& name, detail::NativeFile::Mode mode);
  // StreamError 10 when the stream is not open.
  void checkOpen() const;
  uint32_t currentPosition();               // StreamError 3 on failure
  uint32_t fileSize();                      // StreamError 3 on failure
  void seekTo(int32_t offset, int origin);  // StreamError 5 on failure

  detail::NativeFile file_;
  std::string fullPath_;
};

class FileReadStream : public DataReadStream, public FileStreamBase {
 public:
  explicit FileReadStream(const std::string& name);

  uint32_t read(void* buffer, uint32_t count) override;
  uint32_t size() override;
  void seek(int32_t offset, int origin) override;
  // Moves the file pointer; the system allows it past the end.
  void skip(uint32_t count) override;
  uint32_t tell() override;
  bool isOpen() override;
};

class FileWriteStream : public DataWriteStream, public FileStreamBase {
 public:
  explicit FileWriteStream(const std::string& name);
  // A stream on a file made new at `name`, where no file, folder or link
  // may exist yet (for files nobody else may have a hand in, such as the
  // temporary file of a save).  Null when the name is taken; StreamError 0
  // naming `name` for any other failure.
  static std::unique_ptr<FileWriteStream> createNew(const std::string& name);

  void write(const void* data, uint32_t count) override;
  // Flushes the file to the disk; `deep` has no meaning at the end of a chain.
  void flush(bool deep) override;
  void seek(int32_t offset, int origin) override;
  uint32_t tell() override;
  uint32_t size() override;
  bool isOpen() override;
  // Closes the file before the stream goes: StreamError 6 naming the file
  // when the system reports that written data did not reach it.
  void close();

 private:
  FileWriteStream() = default;
};

}  // namespace orka
