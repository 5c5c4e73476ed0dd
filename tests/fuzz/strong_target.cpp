#include <sodium.h>

#include <fstream>
#include <iterator>
#include <string>

#include "document/document_internal.h"
#include "document/secret_stream.h"
#include "document/strong_document.h"
#include "orka/errors/error.h"
#include "targets.h"

namespace fuzz {
namespace {

using tolvane::DocumentKeyring;

// Small enough that an input inflating past it costs little time.  A text
// of exactly this many bytes that does not compress takes two pieces.
constexpr uint32_t kTextLimit = tolvane::kStrongChunkSize;
constexpr size_t kSealed = tolvane::kStrongChunkSize + crypto_secretstream_xchacha20poly1305_ABYTES;

// A key taken as derived: the reader is what is fuzzed, not Argon2id.
const DocumentKeyring& fixedKeyring() {
  static const DocumentKeyring keyring = [] {
    if (sodium_init() < 0) std::abort();
    tolvane::DocumentKey key;
    tolvane::DocumentSalt salt;
    for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<unsigned char>(i * 7 + 1);
    for (size_t i = 0; i < salt.size(); ++i) salt[i] = static_cast<unsigned char>(i * 5 + 3);
    return DocumentKeyring::strongFromKey(key, salt, tolvane::kCheapestCost);
  }();
  return keyring;
}

std::string scratchFile() { return std::string(scratchFolder()) + "/strong.vtxt"; }

void put(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The header bytes before the stream header, as the writer makes them for
// the fixed keyring.
const std::string& fixedHeader() {
  static const std::string header = [] {
    tolvane::writeDocument(scratchFile(), fixedKeyring(), "", 0);
    std::ifstream in(scratchFile(), std::ios::binary);
    std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return file.substr(0, tolvane::kStrongHeaderSize - crypto_secretstream_xchacha20poly1305_HEADERBYTES);
  }();
  return header;
}

// A whole document of `text` as the writer makes it, in memory.
std::string sealedDocument(const std::string& text) {
  auto* memory = new orka::MemWriteStream;
  auto chain = tolvane::compressText(
      new tolvane::SecretWriteStream(memory, fixedKeyring().key(),
                                     reinterpret_cast<const unsigned char*>(fixedHeader().data())),
      text.data(), static_cast<uint32_t>(text.size()));
  return std::string(reinterpret_cast<const char*>(memory->data()), memory->size());
}

// Reads the file back: the text, or nothing when it was refused as it must
// be (damaged, or longer than the limit).
bool readBack(const std::string& file, std::string* text) {
  put(scratchFile(), file);
  try {
    auto stream = tolvane::readDocument(scratchFile(), fixedKeyring(), kTextLimit);
    check(stream->size() >= 1 && stream->size() <= kTextLimit + 1, "text within the limit");
    check(stream->data()[stream->size() - 1] == 0, "text terminated");
    text->assign(reinterpret_cast<const char*>(stream->data()), stream->size() - 1);
    return true;
  } catch (const orka::StreamError& e) {
    check(e.code() == orka::StreamError::kDamagedOrWrongKey || e.code() == orka::StreamError::kNoOutputSpace,
          "a damaged strong document is a wrong key or too long, nothing else");
    return false;
  }
}

// Any bytes as a header, and as a whole file with the fixed key.
void anyFile(const std::string& bytes) {
  auto header = tolvane::parseStrongHeader(bytes.data(), bytes.size());
  if (header) {
    check(header->cost.passes >= 1 && header->cost.passes <= tolvane::kMostPasses, "passes within bounds");
    check(header->cost.memoryKiB >= 8 && header->cost.memoryKiB <= tolvane::kMostMemoryKiB, "memory within bounds");
  }
  put(scratchFile(), bytes);
  try {
    const tolvane::StrongHeader fromFile = tolvane::readStrongHeader(scratchFile());
    check(header && fromFile.cost == header->cost, "the file's header is the parsed one");
  } catch (const orka::StreamError& e) {
    check(!header && e.code() == orka::StreamError::kDamagedOrWrongKey, "only a bad header is refused");
  }
  std::string text;
  readBack(bytes, &text);
}

// A document as written, then cut, changed or lengthened where the input
// says: it must read back exactly when untouched and be refused otherwise.
void changedDocument(const uint8_t* data, size_t size) {
  if (size < 4) return;
  std::string text(reinterpret_cast<const char*>(data) + 4, size - 4);
  // Now and then a text of two pieces.
  if (data[1] % 16 == 0) {
    uint32_t x = data[2];
    text.resize(std::min<size_t>(text.size(), kTextLimit));
    while (text.size() < kTextLimit) text += static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
  }
  const std::string good = sealedDocument(text);
  std::string file = good;
  const size_t at = (size_t{data[2]} << 8 | data[3]) * 131 % (good.size() + 1);
  switch (data[0] >> 1 & 3) {
    case 0: file.resize(at); break;
    case 1: if (at < file.size()) file[at] ^= static_cast<char>(data[1] | 1); break;
    case 2: file.append(good, tolvane::kStrongHeaderSize, at % (kSealed + 2)); break;
    default: break;
  }
  std::string read;
  const bool opened = readBack(file, &read);
  check(opened == (file == good), "only the untouched document opens");
  if (opened) check(read == text, "the text comes back whole");
}

// Pieces sealed by hand with the fuzzer's lengths and tags around bytes
// that need not be a zlib stream: the reader's piece and tag rules, and
// inflating what authenticates.  Only the layout in strong_document.h may
// open: full MESSAGE pieces, then a FINAL piece that holds data unless it
// is the only piece, and nothing after it.
void handSealed(const uint8_t* data, size_t size) {
  std::string file = fixedHeader() + std::string(crypto_secretstream_xchacha20poly1305_HEADERBYTES, '\0');
  crypto_secretstream_xchacha20poly1305_state state;
  crypto_secretstream_xchacha20poly1305_init_push(&state, reinterpret_cast<unsigned char*>(&file[file.size() - 24]),
                                                  fixedKeyring().key().data());
  const std::string header = file;
  std::string plain, sealed;
  bool ended = false, layoutKept = true;
  // A few full pieces are enough to reach every rule, and keep a run quick.
  int fullPieces = 0;
  for (size_t at = 1; at < size;) {
    // One control byte per piece: its tag, whether the piece is full, and
    // how many of the bytes after it it holds.
    const uint8_t control = data[at++];
    const size_t n = std::min<size_t>(control >> 3, size - at);
    plain.assign(reinterpret_cast<const char*>(data) + at, n);
    at += n;
    if (control & 4 && ++fullPieces <= 2) plain.resize(tolvane::kStrongChunkSize, '\0');
    const unsigned char tags[] = {crypto_secretstream_xchacha20poly1305_TAG_MESSAGE,
                                  crypto_secretstream_xchacha20poly1305_TAG_FINAL,
                                  crypto_secretstream_xchacha20poly1305_TAG_PUSH,
                                  crypto_secretstream_xchacha20poly1305_TAG_REKEY};
    sealed.resize(plain.size() + crypto_secretstream_xchacha20poly1305_ABYTES);
    const bool first = file.size() == header.size();
    if (ended || (control & 3) > 1 || ((control & 3) == 0 && plain.size() != tolvane::kStrongChunkSize) ||
        ((control & 3) == 1 && plain.empty() && !first))
      layoutKept = false;
    ended = ended || (control & 3) == 1;
    crypto_secretstream_xchacha20poly1305_push(&state, reinterpret_cast<unsigned char*>(&sealed[0]), nullptr,
                                               reinterpret_cast<const unsigned char*>(plain.data()), plain.size(),
                                               first ? reinterpret_cast<const unsigned char*>(header.data()) : nullptr,
                                               first ? header.size() : 0, tags[control & 3]);
    file += sealed;
  }
  std::string text;
  check(!readBack(file, &text) || (ended && layoutKept), "only the drawn layout opens");
}

}  // namespace

void strongDocument(const uint8_t* data, size_t size) {
  if (size == 0) return;
  switch (data[0] % 3) {
    case 0: anyFile(std::string(reinterpret_cast<const char*>(data) + 1, size - 1)); break;
    case 1: changedDocument(data, size); break;
    default: handSealed(data, size); break;
  }
}

}  // namespace fuzz
