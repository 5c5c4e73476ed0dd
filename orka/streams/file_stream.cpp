#include "orka/streams/file_stream.h"

#include "orka/errors/error.h"
#include "orka/files/path_ops.h"

namespace orka {

bool FileStreamBase::open(const std::string& name, detail::NativeFile::Mode mode) {
  switch (file_.open(name, mode)) {
    case detail::NativeFile::OpenResult::kOk:
      break;
    case detail::NativeFile::OpenResult::kNotFound:
      throw StreamError(StreamError::kNotFound, name);
    case detail::NativeFile::OpenResult::kExists:
      return false;
    case detail::NativeFile::OpenResult::kFailed:
      throw StreamError(StreamError::kOpenFailed, name);
  }
  if (!detail::fullPath(name, &fullPath_)) fullPath_ = name;
  return true;
}

void FileStreamBase::checkOpen() const {
  if (!file_.isOpen()) throw StreamError(StreamError::kInvalidStream);
}

uint32_t FileStreamBase::currentPosition() {
  checkOpen();
  uint32_t position;
  if (!file_.seek(0, kSeekCurrent, &position))
    throw StreamError(StreamError::kFileOperationFailed, fullPath_);
  return position;
}

uint32_t FileStreamBase::fileSize() {
  uint32_t here = currentPosition();
  uint32_t end, back;
  if (!file_.seek(0, kSeekEnd, &end) || !file_.seek(static_cast<int32_t>(here), kSeekBegin, &back))
    throw StreamError(StreamError::kFileOperationFailed, fullPath_);
  return end;
}

void FileStreamBase::seekTo(int32_t offset, int origin) {
  checkOpen();
  uint32_t position;
  if (!file_.seek(offset, origin, &position)) throw StreamError(StreamError::kSeekFailed);
}

FileReadStream::FileReadStream(const std::string& name) { open(name, detail::NativeFile::Mode::kRead); }

uint32_t FileReadStream::read(void* buffer, uint32_t count) {
  checkOpen();
  uint32_t done = 0;
  if (!file_.read(buffer, count, &done)) throw StreamError(StreamError::kReadFailed, fullPath_);
  return done;
}

uint32_t FileReadStream::size() { return fileSize(); }
void FileReadStream::seek(int32_t offset, int origin) { seekTo(offset, origin); }

void FileReadStream::skip(uint32_t count) {
  // Seek offsets are signed: a count of 2 GiB or more taken as one offset
  // would move backwards, so it goes in two steps.
  constexpr uint32_t kLargestStep = 0x7FFFFFFF;
  try {
    if (count > kLargestStep) {
      seekTo(static_cast<int32_t>(kLargestStep), kSeekCurrent);
      count -= kLargestStep;
    }
    seekTo(static_cast<int32_t>(count), kSeekCurrent);
  } catch (const StreamError& e) {
    if (e.code() == StreamError::kSeekFailed) throw StreamError(StreamError::kShortInput);
    throw;
  }
}

uint32_t FileReadStream::tell() { return currentPosition(); }
bool FileReadStream::isOpen() { return file_.isOpen(); }

FileWriteStream::FileWriteStream(const std::string& name) { open(name, detail::NativeFile::Mode::kWrite); }

std::unique_ptr<FileWriteStream> FileWriteStream::createNew(const std::string& name) {
  std::unique_ptr<FileWriteStream> stream(new FileWriteStream());
  if (!stream->open(name, detail::NativeFile::Mode::kNewFile)) return nullptr;
  return stream;
}

void FileWriteStream::write(const void* data, uint32_t count) {
  checkOpen();
  uint32_t done = 0;
  if (!file_.write(data, count, &done) || done != count)
    throw StreamError(StreamError::kWriteFailed, fullPath_);
}

void FileWriteStream::flush(bool) {
  checkOpen();
  if (!file_.flush()) throw StreamError(StreamError::kWriteFailed, fullPath_);
}

void FileWriteStream::seek(int32_t offset, int origin) { seekTo(offset, origin); }
uint32_t FileWriteStream::tell() { return currentPosition(); }
uint32_t FileWriteStream::size() { return fileSize(); }
bool FileWriteStream::isOpen() { return file_.isOpen(); }

void FileWriteStream::close() {
  checkOpen();
  if (!file_.close()) throw StreamError(StreamError::kWriteFailed, fullPath_);
}

}  // namespace orka
