// The enciphering and compressing filter streams, seen from both ends of a
// chain.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "filters/test_streams.h"
#include "orka/streams/crypt_stream.h"
#include "orka/streams/zip_stream.h"
#include "support/freed_blocks.h"

namespace {

using namespace filters_test;
using orka::CryptReadStream;
using orka::CryptWriteStream;
using orka::StreamError;
using orka::ZipReadStream;
using orka::ZipWriteStream;

const std::string kEmptyZlib("\x78\x9C\x03\x00\x00\x00\x00\x01", 8);

int codeOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const StreamError& e) {
    return e.code();
  }
  return -1;
}

std::string zlibCompress(const std::string& text) {
  uLongf size = compressBound(static_cast<uLong>(text.size()));
  std::string out(size, '\0');
  EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(text.data()),
                      static_cast<uLong>(text.size()), 6),
            Z_OK);
  out.resize(size);
  return out;
}

std::string zlibInflate(const std::string& compressed) {
  ByteSource* source = new ByteSource(compressed);
  ZipReadStream zip(source);
  std::string text;
  char buffer[4096];
  uint32_t got;
  while ((got = zip.read(buffer, sizeof buffer)) > 0) text.append(buffer, got);
  return text;
}

class FiltersTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(liveStreams(), 0) << "a stream of the chain was not destroyed"; }
};

// ---------------------------------------------------------------------------
// Enciphering

TEST_F(FiltersTest, CryptWriterSendsWholePiecesAndPadsTheRestWithZeros) {
  struct Case {
    size_t length;
    std::vector<size_t> pieces;  // what `next` receives, flush included
  };
  const Case cases[] = {
      {0, {}},     // nothing pending: flush writes nothing
      {16, {16}},  // already whole blocks: no padding
      {100, {112}},
      {2048, {2048}},  // sent at once, flush adds nothing
      {2049, {2048, 16}},
      {5000, {2048, 2048, 912}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    ToyCbc toy;
    auto* sink = new RecordingSink;
    std::string plain = sampleBytes(c.length, false);
    {
      CryptWriteStream crypt(sink, &toy);
      crypt.write(plain.data(), static_cast<uint32_t>(plain.size()));
      EXPECT_EQ(sink->pieces.size(), c.length / 2048) << "full pieces go out at once";
      crypt.flush(false);
      std::vector<size_t> sizes;
      for (const auto& p : sink->pieces) sizes.push_back(p.size());
      EXPECT_EQ(sizes, c.pieces);
      std::string padded = plain + std::string(sink->bytes.size() - plain.size(), '\0');
      EXPECT_EQ(toyDecrypt(sink->bytes), padded);
      EXPECT_EQ(sink->flushes, 1) << "the owned next stream is flushed too";
    }
  }
}

TEST_F(FiltersTest, CryptWriterOutputDoesNotDependOnHowWritesAreSplit) {
  std::string plain = sampleBytes(9000, false);
  ToyCbc toy;
  auto* sink = new RecordingSink;
  CryptWriteStream crypt(sink, &toy);
  for (size_t at = 0, step = 1; at < plain.size(); at += step, step = step * 3 % 2500 + 1)
    crypt.write(plain.data() + at, static_cast<uint32_t>(std::min(step, plain.size() - at)));
  crypt.flush(true);
  EXPECT_TRUE(sink->lastDeep);
  EXPECT_EQ(sink->bytes, toyEncrypt(plain + std::string(16 - plain.size() % 16, '\0')));
}

TEST_F(FiltersTest, CryptWriterTellCountsPendingBytes) {
  ToyCbc toy;
  auto* sink = new RecordingSink;
  CryptWriteStream crypt(sink, &toy);
  std::string plain = sampleBytes(2100, false);
  crypt.write(plain.data(), 100);
  EXPECT_EQ(crypt.tell(), 100u);
  crypt.write(plain.data() + 100, 2000);
  EXPECT_EQ(sink->bytes.size(), 2048u);
  EXPECT_EQ(crypt.tell(), 2100u);
  EXPECT_EQ(crypt.size(), 2100u);
}

TEST_F(FiltersTest, CryptReaderDeliversThePlaintextWhateverTheReadAndSourceSizes) {
  std::string plain = sampleBytes(10000, false) + std::string(16 - 10000 % 16, '\0');
  std::string cipherText = toyEncrypt(plain);
  // Source pieces: whole (as a file delivers), odd short reads, tiny reads.
  for (uint32_t sourcePiece : {0xFFFFFFFFu, 2048u, 100u, 7u}) {
    for (uint32_t readSize : {1u, 15u, 2047u, 2048u, 4096u, 6000u, 20000u}) {
      SCOPED_TRACE(std::to_string(sourcePiece) + "/" + std::to_string(readSize));
      ToyCbc toy;
      CryptReadStream crypt(new ByteSource(cipherText, sourcePiece), &toy);
      std::string got;
      std::vector<char> buffer(readSize);
      uint32_t n;
      while ((n = crypt.read(buffer.data(), readSize)) > 0) {
        got.append(buffer.data(), n);
        EXPECT_EQ(crypt.tell(), got.size());
      }
      EXPECT_EQ(got, plain);
      EXPECT_EQ(crypt.read(buffer.data(), readSize), 0u) << "still at the end";
    }
  }
}

TEST_F(FiltersTest, CryptReaderTellAndSizeFollowTheSource) {
  ToyCbc toy;
  CryptReadStream crypt(new ByteSource(toyEncrypt(sampleBytes(4096, false))), &toy);
  char buffer[100];
  EXPECT_EQ(crypt.read(buffer, 100), 100u);
  EXPECT_EQ(crypt.tell(), 100u);
  EXPECT_EQ(crypt.size(), 4096u);
  EXPECT_FALSE(crypt.atEnd());
}

TEST_F(FiltersTest, CryptReaderDropsATrailingPartialBlock) {
  std::string plain = sampleBytes(64, false);
  std::string damaged = toyEncrypt(plain) + "0123456789";  // 74 bytes
  for (uint32_t readSize : {64u, 74u, 4096u}) {
    ToyCbc toy;
    CryptReadStream crypt(new ByteSource(damaged), &toy);
    std::vector<char> buffer(readSize + 16, 'x');
    std::string got;
    uint32_t n;
    while ((n = crypt.read(buffer.data(), readSize)) > 0) got.append(buffer.data(), n);
    EXPECT_EQ(got, plain) << readSize;
  }
}

TEST_F(FiltersTest, ReadOfZeroBytesTouchesNothing) {
  ToyCbc toy;
  auto* source = new ByteSource(toyEncrypt(std::string(32, 'a')));
  CryptReadStream crypt(source, &toy);
  EXPECT_EQ(crypt.read(nullptr, 0), 0u);
  EXPECT_EQ(source->reads, 0);
  EXPECT_EQ(toy.calls, 0);

  auto* zipSource = new ByteSource(kEmptyZlib);
  ZipReadStream zip(zipSource);
  EXPECT_EQ(zip.read(nullptr, 0), 0u);
  EXPECT_EQ(zipSource->reads, 0);
}

// ---------------------------------------------------------------------------
// Compressing

TEST_F(FiltersTest, EmptyInputGivesTheEightByteZlibStreamAndMakesNoZlibCallOnWrite) {
  auto* sink = new RecordingSink;
  ZipWriteStream zip(sink);
  // A zlib call here would leave a sync-flush marker in the output.
  zip.write(nullptr, 0);
  zip.write("", 0);
  zip.flush(false);
  EXPECT_EQ(sink->bytes, kEmptyZlib);
  EXPECT_EQ(sink->flushes, 1);
}

TEST_F(FiltersTest, EveryWriteEndsWithASyncFlush) {
  auto* sink = new RecordingSink;
  ZipWriteStream zip(sink);
  zip.write("hello", 5);
  zip.flush(false);
  const std::string& z = sink->bytes;
  ASSERT_GE(z.size(), 12u);
  EXPECT_EQ(z.substr(0, 2), "\x78\x9C");
  EXPECT_EQ(z.substr(z.size() - 10, 6), std::string("\x00\x00\xFF\xFF\x03\x00", 6));
  uint32_t adler = adler32(1, reinterpret_cast<const Bytef*>("hello"), 5);
  std::string trailer = {static_cast<char>(adler >> 24), static_cast<char>(adler >> 16),
                         static_cast<char>(adler >> 8), static_cast<char>(adler)};
  EXPECT_EQ(z.substr(z.size() - 4), trailer);
  EXPECT_EQ(zlibInflate(z), "hello");
}

TEST_F(FiltersTest, LargeDataGoesOutInFullBuffersAndRoundTrips) {
  for (bool compressible : {false, true}) {
    std::string data = sampleBytes(300000, compressible);
    auto* sink = new RecordingSink;
    {
      ZipWriteStream zip(sink);
      zip.write(data.data(), 123456);
      zip.write(data.data() + 123456, static_cast<uint32_t>(data.size() - 123456));
      zip.flush(true);
      for (size_t i = 0; i + 1 < sink->pieces.size(); ++i) EXPECT_EQ(sink->pieces[i].size(), 0x10000u);
      EXPECT_EQ(zlibInflate(sink->bytes), data);
    }
  }
}

TEST_F(FiltersTest, ZipReaderStopsAtTheEndOfTheZlibStream) {
  std::string text = sampleBytes(70000, true);
  std::string compressed = zlibCompress(text);
  // Anything after the stream (the zero padding, or more) is never examined.
  auto* source = new ByteSource(compressed + std::string(4096, '\xA5'));
  ZipReadStream zip(source);
  std::string got(text.size() + 10, '\0');
  EXPECT_EQ(zip.read(&got[0], 1000), 1000u) << "full reads before the end";
  EXPECT_EQ(zip.read(&got[1000], static_cast<uint32_t>(got.size() - 1000)), text.size() - 1000);
  got.resize(text.size());
  EXPECT_EQ(got, text);
  int reads = source->reads;
  EXPECT_EQ(zip.read(&got[0], 10), 0u);
  EXPECT_EQ(source->reads, reads) << "nothing more is read after the end";
}

TEST_F(FiltersTest, BadZlibDataFailsWithCode13) {
  std::string good = zlibCompress(sampleBytes(5000, true));
  std::string flipped = good;
  flipped[good.size() / 2] ^= 0x10;
  std::string badTrailer = good;
  badTrailer.back() ^= 1;
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"truncated", good.substr(0, good.size() - 5)},
      {"header only", good.substr(0, 2)},
      {"flipped", flipped},
      {"bad checksum", badTrailer},
      {"not zlib", std::string(64, '\0')},
  };
  for (const auto& c : cases) {
    ZipReadStream zip(new ByteSource(c.second));
    std::string buffer(10000, '\0');
    EXPECT_EQ(codeOf([&] {
                while (zip.read(&buffer[0], 10000) == 10000) {
                }
              }),
              StreamError::kDamagedOrWrongKey)
        << c.first;
  }
}

TEST_F(FiltersTest, WriteAfterFinishingIsRefusedAndASecondFlushIsHarmless) {
  auto* sink = new RecordingSink;
  ZipWriteStream zip(sink);
  zip.write("abc", 3);
  zip.flush(false);
  std::string first = sink->bytes;
  zip.flush(false);
  EXPECT_EQ(sink->bytes, first);
  EXPECT_EQ(codeOf([&] { zip.write("d", 1); }), StreamError::kInvalidStream);
}

// ---------------------------------------------------------------------------
// Common rules

TEST_F(FiltersTest, UnsupportedOperationsFailWithCode8) {
  ToyCbc toy;
  CryptWriteStream cw(new RecordingSink, &toy);
  CryptReadStream cr(new ByteSource(""), &toy);
  ZipWriteStream zw(new RecordingSink);
  ZipReadStream zr(new ByteSource(kEmptyZlib));
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"crypt write seek", [&] { cw.seek(0, 0); }}, {"crypt read seek", [&] { cr.seek(0, 0); }},
      {"zip write seek", [&] { zw.seek(0, 0); }},   {"zip write tell", [&] { zw.tell(); }},
      {"zip write size", [&] { zw.size(); }},       {"zip read seek", [&] { zr.seek(0, 0); }},
      {"zip read tell", [&] { zr.tell(); }},        {"zip read size", [&] { zr.size(); }},
      {"zip read atEnd", [&] { zr.atEnd(); }},
  };
  for (const auto& c : cases) EXPECT_EQ(codeOf(c.second), StreamError::kUnsupported) << c.first;
  EXPECT_TRUE(cw.isOpen() && cr.isOpen() && zw.isOpen() && zr.isOpen());
}

TEST_F(FiltersTest, AConstructorThatFailsDestroysTheStreamItWasGiven) {
  EXPECT_EQ(codeOf([] { CryptWriteStream s(new RecordingSink, nullptr); }), StreamError::kInvalidStream);
  EXPECT_EQ(codeOf([] { CryptReadStream s(new ByteSource(""), nullptr); }), StreamError::kInvalidStream);
  EXPECT_EQ(liveStreams(), 0);

  // zlib that cannot get memory cannot start.
  orka::detail::ZlibMemory failing;
  failing.alloc = [](voidpf, uInt, uInt) -> voidpf { return nullptr; };
  failing.free = [](voidpf, voidpf) {};
  orka::detail::setZlibMemory(failing);
  int writeCode = codeOf([] { ZipWriteStream s(new RecordingSink); });
  int readCode = codeOf([] { ZipReadStream s(new ByteSource("")); });
  orka::detail::setZlibMemory({});
  EXPECT_EQ(writeCode, StreamError::kCompressorInitFailed);
  EXPECT_EQ(readCode, StreamError::kCompressorInitFailed);
  EXPECT_EQ(liveStreams(), 0);
}

// zlib's window and state hold the text too: every block it frees must come
// back wiped, as must the streams' own buffers.
TEST_F(FiltersTest, ZlibsMemoryAndTheZipBuffersAreWipedBeforeTheyAreFreed) {
  static std::map<void*, size_t> live;
  static int freed = 0, unwiped = 0;
  live.clear();
  freed = unwiped = 0;
  orka::detail::ZlibMemory watched;
  watched.alloc = [](voidpf, uInt items, uInt size) -> voidpf {
    void* block = std::malloc(size_t{items} * size);
    live[block] = size_t{items} * size;
    return block;
  };
  watched.free = [](voidpf, voidpf block) {
    const unsigned char* bytes = static_cast<const unsigned char*>(block);
    ++freed;
    if (std::any_of(bytes, bytes + live[block], [](unsigned char b) { return b != 0; })) ++unwiped;
    live.erase(block);
    std::free(block);
  };
  orka::detail::setZlibMemory(watched);
  testing_support::FreedBlocks buffers;
  const std::string text = sampleBytes(100000, true);
  {
    auto* sink = new RecordingSink;
    ZipWriteStream zip(sink);
    zip.write(text.data(), static_cast<uint32_t>(text.size()));
    zip.flush(true);
    ZipReadStream unzip(new ByteSource(sink->bytes));
    std::string got(text.size(), '\0');
    EXPECT_EQ(unzip.read(&got[0], static_cast<uint32_t>(got.size())), text.size());
  }
  orka::detail::setZlibMemory({});
  EXPECT_GT(freed, 0);
  EXPECT_EQ(unwiped, 0);
  EXPECT_TRUE(live.empty());
  EXPECT_EQ(buffers.seen(), (std::vector<size_t>{ZipReadStream::kBufferSize, ZipWriteStream::kBufferSize}));
  EXPECT_EQ(buffers.unwiped(), 0);
}

TEST_F(FiltersTest, AFullChainRoundTripsAndIsReleasedFromItsOutermostStream) {
  for (size_t length : {size_t{0}, size_t{1}, size_t{5000}, size_t{200000}}) {
    SCOPED_TRACE(length);
    std::string text = sampleBytes(length, true);
    ToyCbc writer;
    auto* sink = new RecordingSink;
    auto* zip = new ZipWriteStream(new CryptWriteStream(sink, &writer));
    zip->write(text.data(), static_cast<uint32_t>(text.size()));
    zip->flush(true);
    std::string file = sink->bytes;
    delete zip;
    EXPECT_EQ(liveStreams(), 0);
    EXPECT_EQ(file.size() % 16, 0u);
    if (length == 0) {
      EXPECT_EQ(toyDecrypt(file), kEmptyZlib + std::string(8, '\0'));
    }

    ToyCbc reader;
    ZipReadStream unzip(new CryptReadStream(new ByteSource(file), &reader));
    std::string got(length + 1, '\0');
    EXPECT_EQ(unzip.read(&got[0], static_cast<uint32_t>(got.size())), length);
    got.resize(length);
    EXPECT_EQ(got, text);
  }
}

}  // namespace
