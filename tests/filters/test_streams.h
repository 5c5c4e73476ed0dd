// Stand-ins for the ends of a chain and for the cipher, so that the filter
// streams can be watched from both sides.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "orka/crypto/crypter.h"
#include "orka/errors/error.h"
#include "orka/streams/stream.h"

namespace filters_test {

// How many of the streams below are alive: a chain must release them all.
inline int& liveStreams() {
  static int count = 0;
  return count;
}

// Records every write as a piece of its own.
class RecordingSink : public orka::DataWriteStream {
 public:
  RecordingSink() { ++liveStreams(); }
  ~RecordingSink() override { --liveStreams(); }

  void write(const void* data, uint32_t count) override {
    pieces.emplace_back(static_cast<const char*>(data), count);
    bytes.append(static_cast<const char*>(data), count);
  }
  void flush(bool deep) override {
    ++flushes;
    lastDeep = deep;
  }
  void seek(int32_t, int) override { throw orka::StreamError(orka::StreamError::kUnsupported); }
  uint32_t tell() override { return static_cast<uint32_t>(bytes.size()); }
  uint32_t size() override { return tell(); }
  bool isOpen() override { return true; }

  std::vector<std::string> pieces;
  std::string bytes;
  int flushes = 0;
  bool lastDeep = false;
};

// Delivers `bytes`, at most `piece` bytes per read (to imitate a source that
// comes back short before its end).
class ByteSource : public orka::DataReadStream {
 public:
  explicit ByteSource(std::string data, uint32_t piece = 0xFFFFFFFF) : bytes(std::move(data)), piece_(piece) {
    ++liveStreams();
  }
  ~ByteSource() override { --liveStreams(); }

  uint32_t read(void* buffer, uint32_t count) override {
    ++reads;
    uint32_t n = std::min({count, piece_, static_cast<uint32_t>(bytes.size() - position)});
    std::memcpy(buffer, bytes.data() + position, n);
    position += n;
    return n;
  }
  uint32_t size() override { return static_cast<uint32_t>(bytes.size()); }
  void seek(int32_t, int) override { throw orka::StreamError(orka::StreamError::kUnsupported); }
  uint32_t tell() override { return position; }
  bool isOpen() override { return true; }

  std::string bytes;
  uint32_t position = 0;
  int reads = 0;

 private:
  uint32_t piece_;
};

// A toy 16-byte block cipher in CBC fashion: enough to see that pieces are
// enciphered once each, in order, with the chain carried between calls.
class ToyCbc : public orka::Crypter {
 public:
  void encrypt(const void* input, uint32_t count, void* output) override {
    check(count);
    const unsigned char* in = static_cast<const unsigned char*>(input);
    unsigned char* out = static_cast<unsigned char*>(output);
    for (uint32_t i = 0; i < count; ++i) {
      unsigned char c = static_cast<unsigned char>((in[i] ^ chain_[i % 16]) + 0x5B);
      out[i] = c;
      chain_[i % 16] = c;
    }
  }
  void decrypt(const void* input, uint32_t count, void* output) override {
    check(count);
    const unsigned char* in = static_cast<const unsigned char*>(input);
    unsigned char* out = static_cast<unsigned char*>(output);
    for (uint32_t i = 0; i < count; ++i) {
      unsigned char c = in[i];
      out[i] = static_cast<unsigned char>((c - 0x5B) ^ chain_[i % 16]);
      chain_[i % 16] = c;
    }
  }
  uint32_t blockSize() override { return 16; }

  int calls = 0;

 private:
  void check(uint32_t count) {
    ++calls;
    if (count % 16 != 0) throw std::logic_error("a count that is not a whole number of blocks");
  }
  unsigned char chain_[16] = {};
};

// Deciphers `cipherText` in one call with a fresh toy cipher.
inline std::string toyDecrypt(const std::string& cipherText) {
  ToyCbc toy;
  std::string plain(cipherText.size(), '\0');
  toy.decrypt(cipherText.data(), static_cast<uint32_t>(cipherText.size()), &plain[0]);
  return plain;
}

inline std::string toyEncrypt(const std::string& plainText) {
  ToyCbc toy;
  std::string out(plainText.size(), '\0');
  toy.encrypt(plainText.data(), static_cast<uint32_t>(plainText.size()), &out[0]);
  return out;
}

// Deterministic bytes: text-like when `compressible`, noise otherwise.
inline std::string sampleBytes(size_t n, bool compressible, uint32_t seed = 1) {
  std::string s(n, '\0');
  uint32_t x = seed;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = compressible ? "abcde fghij\r\n"[(x >> 16) % 13] : static_cast<char>(x >> 24);
  }
  return s;
}

}  // namespace filters_test
