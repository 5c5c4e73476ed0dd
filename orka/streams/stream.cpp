#include "orka/streams/stream.h"

#include <memory>

#include "orka/errors/error.h"

namespace orka {

void DataReadStream::skip(uint32_t count) {
  unsigned char byte;
  for (uint32_t i = 0; i < count; ++i) {
    if (read(&byte, 1) != 1) raiseShortInput();
  }
}

bool DataReadStream::atEnd() { return tell() == size(); }

uint32_t ForwardReadStream::size() { throw StreamError(StreamError::kUnsupported); }
void ForwardReadStream::seek(int32_t, int) { throw StreamError(StreamError::kUnsupported); }
uint32_t ForwardReadStream::tell() { throw StreamError(StreamError::kUnsupported); }

void ForwardWriteStream::seek(int32_t, int) { throw StreamError(StreamError::kUnsupported); }
uint32_t ForwardWriteStream::tell() { throw StreamError(StreamError::kUnsupported); }
uint32_t ForwardWriteStream::size() { throw StreamError(StreamError::kUnsupported); }

void raiseShortInput() { throw StreamError(StreamError::kShortInput); }

uint32_t readString(DataReadStream& stream, char* buffer, uint32_t maximum) {
  for (uint32_t i = 0; i < maximum; ++i) {
    char byte = 0;
    uint32_t got;
    try {
      got = stream.read(&byte, 1);
    } catch (const StreamError& e) {
      if (e.code() != StreamError::kShortInput) throw;
      got = 0;
    }
    if (got != 1) {
      buffer[i] = 0;
      return i;
    }
    buffer[i] = byte;
    if (byte == 0) return i;
  }
  return maximum;
}

uint32_t copyStream(DataReadStream& source, DataWriteStream& sink) {
  constexpr uint32_t kPiece = 8192;
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[kPiece]);
  uint32_t total = 0;
  uint32_t got;
  do {
    got = source.read(buffer.get(), kPiece);
    sink.write(buffer.get(), got);
    total += got;
  } while (got == kPiece);
  return total;
}

void writeInt32(DataWriteStream& stream, int32_t value) {
  uint32_t u = static_cast<uint32_t>(value);
  unsigned char bytes[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                            static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
  stream.write(bytes, 4);
}

int32_t readInt32(DataReadStream& stream) {
  unsigned char b[4];
  if (stream.read(b, 4) != 4) raiseShortInput();
  return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 |
                              uint32_t{b[3]} << 24);
}

void writeFlag(DataWriteStream& stream, bool value) {
  unsigned char b = value ? 1 : 0;
  stream.write(&b, 1);
}

bool readFlag(DataReadStream& stream) {
  unsigned char b;
  if (stream.read(&b, 1) != 1) raiseShortInput();
  return b != 0;
}

}  // namespace orka
