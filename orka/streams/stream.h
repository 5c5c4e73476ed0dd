// The two stream interfaces and the chain link every stream carries.
//
// Streams form chains: a filter (compression, encipherment) reads from or
// writes to the `next` stream of its chain, and the last link is a file or a
// memory stream.  A chain is owned by its outermost stream: when `ownsNext` is
// set, destroying a stream destroys `next`, so deleting the outermost stream
// releases the whole chain, outermost first.
//
// Typed values travel as raw bytes: 32-bit integers as 4 bytes little-endian,
// flags as one byte, strings as their bytes plus one 0 byte; no length
// prefixes.  Every failure is thrown as orka::StreamError.  Streams are used
// by one thread at a time.
#pragma once

#include <cstdint>

namespace orka {

template <typename T>
class StreamChainUtil {
 public:
  StreamChainUtil() = default;
  StreamChainUtil(const StreamChainUtil&) = delete;
  StreamChainUtil& operator=(const StreamChainUtil&) = delete;
  virtual ~StreamChainUtil() { releaseNext(); }

  T* next() const { return next_; }
  bool ownsNext() const { return ownsNext_; }

 protected:
  // Links `next`; with `owns` set this stream destroys it in its destructor.
  void setNext(T* next, bool owns) {
    next_ = next;
    ownsNext_ = owns;
  }
  void releaseNext() {
    if (ownsNext_) delete next_;
    next_ = nullptr;
    ownsNext_ = false;
  }

 private:
  T* next_ = nullptr;
  bool ownsNext_ = false;
};

// Seek origins.
enum SeekOrigin { kSeekBegin = 0, kSeekCurrent = 1, kSeekEnd = 2 };

class DataReadStream : public StreamChainUtil<DataReadStream> {
 public:
  // Copies up to `count` bytes; fewer only at the end of the data, 0 at the end.
  virtual uint32_t read(void* buffer, uint32_t count) = 0;
  // Total length of the data in bytes.
  virtual uint32_t size() = 0;
  virtual void seek(int32_t offset, int origin) = 0;
  // Advances by `count` bytes.  The default reads them one at a time and
  // throws StreamError 4 when a read comes back empty.
  virtual void skip(uint32_t count);
  virtual uint32_t tell() = 0;
  virtual bool isOpen() = 0;
  // True when tell() equals size().
  virtual bool atEnd();
};

class DataWriteStream : public StreamChainUtil<DataWriteStream> {
 public:
  // Writes all `count` bytes or throws.
  virtual void write(const void* data, uint32_t count) = 0;
  // Pushes buffered data out; filters also end their encoding here.  `deep`
  // asks for the flush to be passed down the chain.
  virtual void flush(bool deep) = 0;
  virtual void seek(int32_t offset, int origin) = 0;
  virtual uint32_t tell() = 0;
  virtual uint32_t size() = 0;
  virtual bool isOpen() = 0;
};

// Filters that only move forward (compression, authenticated encryption):
// they have no position to tell or seek to and no size to give before the
// end, so seek, tell and size throw StreamError 8.
class ForwardReadStream : public DataReadStream {
 public:
  uint32_t size() override;
  void seek(int32_t offset, int origin) override;
  uint32_t tell() override;
};

class ForwardWriteStream : public DataWriteStream {
 public:
  void seek(int32_t offset, int origin) override;
  uint32_t tell() override;
  uint32_t size() override;
};

// Reads a NUL-terminated byte string of at most `maximum` bytes into `buffer`
// and returns the count stored before the terminator.  The end of the data
// (or a StreamError 4 from the stream) terminates the string early.  When
// `maximum` bytes arrive without a terminator, none is written: give a buffer
// one byte longer and terminate it yourself.  Other errors pass through.
uint32_t readString(DataReadStream& stream, char* buffer, uint32_t maximum);

// Copies `source` into `sink` in 8,192-byte pieces until the first short read
// and returns the byte count.
uint32_t copyStream(DataReadStream& source, DataWriteStream& sink);

// Throws StreamError 4, the error of a typed read that came back short.
[[noreturn]] void raiseShortInput();

// Typed values in the byte convention above.
void writeInt32(DataWriteStream& stream, int32_t value);
int32_t readInt32(DataReadStream& stream);
void writeFlag(DataWriteStream& stream, bool value);
bool readFlag(DataReadStream& stream);

}  // namespace orka
