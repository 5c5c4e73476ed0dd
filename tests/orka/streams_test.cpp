#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "orka/errors/error.h"
#include "orka/streams/buffered_stream.h"
#include "orka/streams/mem_stream.h"
#include "orka/streams/stream.h"
#include "support/freed_blocks.h"

namespace orka {
namespace {

// A read stream over a string that records the size of every read.
class ScriptedReadStream : public DataReadStream {
 public:
  explicit ScriptedReadStream(std::string bytes, bool shortInputAtEnd = false)
      : bytes_(std::move(bytes)), shortInputAtEnd_(shortInputAtEnd) {}
  uint32_t read(void* buffer, uint32_t count) override {
    uint32_t n = std::min<uint32_t>(count, static_cast<uint32_t>(bytes_.size() - pos_));
    if (n == 0 && count > 0 && shortInputAtEnd_) raiseShortInput();
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    reads.push_back(n);
    return n;
  }
  uint32_t size() override { return static_cast<uint32_t>(bytes_.size()); }
  void seek(int32_t, int) override { throw StreamError(StreamError::kUnsupported); }
  uint32_t tell() override { return pos_; }
  bool isOpen() override { return true; }
  std::vector<uint32_t> reads;

 private:
  std::string bytes_;
  uint32_t pos_ = 0;
  bool shortInputAtEnd_;
};

// Records the size of every write.
class RecordingWriteStream : public DataWriteStream {
 public:
  void write(const void* data, uint32_t count) override {
    writes.push_back(count);
    bytes.append(static_cast<const char*>(data), count);
  }
  void flush(bool) override {}
  void seek(int32_t, int) override {}
  uint32_t tell() override { return static_cast<uint32_t>(bytes.size()); }
  uint32_t size() override { return static_cast<uint32_t>(bytes.size()); }
  bool isOpen() override { return true; }
  std::vector<uint32_t> writes;
  std::string bytes;
};

// Counts destructions, to check chain ownership.
struct Tracked : RecordingWriteStream {
  explicit Tracked(int* deaths, DataWriteStream* next = nullptr, bool owns = false) : deaths_(deaths) {
    setNext(next, owns);
  }
  ~Tracked() override { ++*deaths_; }
  int* deaths_;
};

TEST(MemWriteStream, StartsWithSixtyFourKibAndDoublesAsNeeded) {
  struct Case {
    uint32_t firstWrite;
    uint32_t expectedCapacity;
  } cases[] = {{65536, 65536}, {65537, 131072}, {300000, 524288}};
  for (const Case& c : cases) {
    MemWriteStream m;
    EXPECT_EQ(m.capacity(), 65536u);
    std::vector<unsigned char> data(c.firstWrite, 0x5a);
    m.write(data.data(), c.firstWrite);
    EXPECT_EQ(m.capacity(), c.expectedCapacity) << c.firstWrite;
    EXPECT_EQ(m.size(), c.firstWrite);
    EXPECT_EQ(m.data()[c.firstWrite - 1], 0x5a);
  }
}

TEST(MemWriteStream, GrowthKeepsWhatWasWritten) {
  MemWriteStream m;
  std::string all;
  for (int i = 0; i < 5000; ++i) {
    std::string piece = "line " + std::to_string(i) + "\r\n";
    m.write(piece.data(), static_cast<uint32_t>(piece.size()));
    all += piece;
  }
  ASSERT_EQ(m.size(), all.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.data()), m.size()), all);
}

TEST(MemWriteStream, WipesTheBlocksItGrowsOutOfAndTheLastOne) {
  testing_support::FreedBlocks freed;
  {
    MemWriteStream s;
    const std::string piece(MemWriteStream::kInitialCapacity, 'x');
    for (int i = 0; i < 3; ++i) s.write(piece.data(), static_cast<uint32_t>(piece.size()));
  }
  EXPECT_EQ(freed.seen(), (std::vector<size_t>{0x10000, 0x20000, 0x40000}));
  EXPECT_EQ(freed.unwiped(), 0);
}

TEST(MemWriteStream, SeeksStayWithinTheWrittenLength) {
  MemWriteStream m;
  m.write("0123456789", 10);
  struct Case {
    int32_t offset;
    int origin;
    bool valid;
    uint32_t position;  // after a valid seek
  } cases[] = {
      {0, kSeekBegin, true, 0},     {10, kSeekBegin, true, 10}, {11, kSeekBegin, false, 0},
      {-1, kSeekBegin, false, 0},   {0, kSeekEnd, true, 10},    {1, kSeekEnd, false, 0},
      {-10, kSeekEnd, true, 0},     {-11, kSeekEnd, false, 0},  {-11, kSeekCurrent, false, 0},
      {-10, kSeekCurrent, true, 0}, {0, 7, true, 10},  // an unknown origin counts from the end
  };
  for (const Case& c : cases) {
    m.seek(0, kSeekEnd);  // position 10
    if (c.valid) {
      m.seek(c.offset, c.origin);
      EXPECT_EQ(m.tell(), c.position) << c.offset << "/" << c.origin;
    } else {
      try {
        m.seek(c.offset, c.origin);
        ADD_FAILURE() << "seek " << c.offset << "/" << c.origin << " should fail";
      } catch (const StreamError& e) {
        EXPECT_EQ(e.code(), StreamError::kSeekFailed);
      }
      EXPECT_EQ(m.tell(), 10u) << "a failed seek must not move";
    }
  }
}

TEST(MemWriteStream, OverwritingInsideKeepsTheHighWaterMark) {
  MemWriteStream m;
  m.write("0123456789", 10);
  m.seek(0, kSeekBegin);
  m.write("abc", 3);
  EXPECT_EQ(m.size(), 10u);
  EXPECT_EQ(m.tell(), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.data()), 10), "abc3456789");
}

TEST(ReadString, StopsAtTheTerminatorTheMaximumOrTheEnd) {
  struct Case {
    std::string input;
    uint32_t maximum;
    uint32_t expected;
    bool terminated;
    std::string stored;
  } cases[] = {
      {std::string("abc\0", 4), 5, 3, true, "abc"},
      {std::string("abcdefg\0", 8), 5, 5, false, "abcde"},
      {"ab", 5, 2, true, "ab"},
      {std::string("\0", 1), 5, 0, true, ""},
      {"", 5, 0, true, ""},
  };
  for (const Case& c : cases) {
    for (bool shortInput : {false, true}) {
      ScriptedReadStream s(c.input, shortInput);
      char buffer[8];
      std::memset(buffer, 'X', sizeof buffer);
      EXPECT_EQ(readString(s, buffer, c.maximum), c.expected) << c.input;
      EXPECT_EQ(std::string(buffer, c.expected), c.stored);
      EXPECT_EQ(buffer[c.expected] == 0, c.terminated) << c.input;
    }
  }
}

TEST(ReadString, LeavesTheRestOfALongStringForTheNextRead) {
  ScriptedReadStream s(std::string("abcdefg\0z", 9));
  char buffer[6] = {};
  EXPECT_EQ(readString(s, buffer, 5), 5u);
  char rest[6] = {};
  EXPECT_EQ(readString(s, rest, 5), 2u);
  EXPECT_STREQ(rest, "fg");
}

TEST(ReadString, OtherErrorsPassThrough) {
  class Failing : public ScriptedReadStream {
   public:
    Failing() : ScriptedReadStream("") {}
    uint32_t read(void*, uint32_t) override { throw StreamError(StreamError::kReadFailed, "x"); }
  } s;
  char buffer[4];
  EXPECT_THROW(readString(s, buffer, 3), StreamError);
}

TEST(CopyStream, ReadsInEightKibPiecesUntilAShortRead) {
  struct Case {
    size_t length;
    std::vector<uint32_t> reads;
    std::vector<uint32_t> writes;
  } cases[] = {
      {0, {0}, {0}},
      {8192, {8192, 0}, {8192, 0}},
      {10000, {8192, 1808}, {8192, 1808}},
  };
  for (const Case& c : cases) {
    ScriptedReadStream source(std::string(c.length, 'q'));
    RecordingWriteStream sink;
    EXPECT_EQ(copyStream(source, sink), c.length);
    EXPECT_EQ(source.reads, c.reads);
    EXPECT_EQ(sink.writes, c.writes);
    EXPECT_EQ(sink.bytes, std::string(c.length, 'q'));
  }
}

TEST(StreamChain, TheOutermostStreamDestroysTheChain) {
  int deaths = 0;
  auto* inner = new Tracked(&deaths);
  auto* middle = new Tracked(&deaths, inner, true);
  auto* borrowed = new Tracked(&deaths);
  {
    Tracked outer(&deaths, middle, true);
    Tracked borrower(&deaths, borrowed, false);
  }
  EXPECT_EQ(deaths, 4);  // outer, middle, inner, borrower; not the borrowed one
  delete borrowed;
}

TEST(TypedValues, IntegersAreLittleEndianAndShortReadsFail) {
  MemWriteStream m;
  writeInt32(m, -2147483647 - 1);
  writeInt32(m, 0x01020304);
  writeFlag(m, true);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.data()), m.size()),
            std::string("\x00\x00\x00\x80\x04\x03\x02\x01\x01", 9));
  ScriptedReadStream s(std::string(reinterpret_cast<const char*>(m.data()), m.size()));
  EXPECT_EQ(readInt32(s), -2147483647 - 1);
  EXPECT_EQ(readInt32(s), 0x01020304);
  EXPECT_TRUE(readFlag(s));
  try {
    readInt32(s);
    ADD_FAILURE();
  } catch (const StreamError& e) {
    EXPECT_EQ(e.code(), StreamError::kShortInput);
    EXPECT_EQ(e.message(), "入力に必要なデータが足りません。");
  }
}

TEST(BufferedReadStream, DeliversTheSourceInAnyPiecesWithOneReadPerBlock) {
  std::string bytes(2 * BufferedReadStream::kBlockSize + 5, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  auto* source = new ScriptedReadStream(bytes);
  BufferedReadStream in(source);
  std::string got;
  char piece[BufferedReadStream::kBlockSize + 3];
  for (uint32_t size : {1u, 7u, BufferedReadStream::kBlockSize + 3, 1u, 100000u}) {
    uint32_t n = in.read(piece, size);
    got.append(piece, n);
    EXPECT_EQ(in.tell(), got.size());
  }
  EXPECT_EQ(got, bytes);
  EXPECT_EQ(in.read(piece, 1), 0u);
  EXPECT_EQ(source->reads, (std::vector<uint32_t>{BufferedReadStream::kBlockSize, BufferedReadStream::kBlockSize,
                                                   5, 0, 0}));
}

TEST(DefaultSkip, ReadsByteByByteAndFailsAtTheEnd) {
  ScriptedReadStream s("abcd");
  s.skip(3);
  EXPECT_EQ(s.tell(), 3u);
  EXPECT_THROW(s.skip(2), StreamError);
}

}  // namespace
}  // namespace orka
