#include "document/document.h"

#include <algorithm>
#include <string>

#include "document/machine_serial.h"
#include "document/document_internal.h"
#include "orka/crypto/rijndael.h"
#include "orka/errors/error.h"
#include "orka/files/safe_write.h"
#include "orka/streams/crypt_stream.h"
#include "orka/streams/file_stream.h"
#include "orka/streams/zip_stream.h"

namespace tolvane {

DocumentKey makeDocumentKey(std::string_view password) {
  return makeDocumentKey(password, password.empty() ? machineSerialNumber() : nullptr);
}

const char kKeyFailedMessage[] = "暗号キーの作成に失敗しました。";

std::string_view passwordOrSerial(std::string_view password, const char* serial) {
  if (!password.empty()) return password;
  if (!serial) throw orka::Error(kKeyFailedMessage);
  return std::string_view(serial, std::char_traits<char>::length(serial) + 1);
}

DocumentKey makeDocumentKey(std::string_view password, const char* serial) {
  std::string_view bytes = passwordOrSerial(password, serial);
  orka::SHA256 sha;
  sha.init();
  sha.update(bytes.data(), static_cast<uint32_t>(bytes.size()));
  DocumentKey key;
  const unsigned char* digest = sha.final();
  std::copy(digest, digest + key.size(), key.begin());
  return key;
}

uint32_t readUpTo(orka::DataReadStream& stream, void* buffer, uint32_t size) {
  uint32_t got = 0;
  while (got < size) {
    uint32_t n = stream.read(static_cast<char*>(buffer) + got, size - got);
    if (n == 0) break;
    got += n;
  }
  return got;
}

std::unique_ptr<orka::MemWriteStream> inflateText(orka::ZipReadStream& zip, uint32_t maxText) {
  auto text = std::make_unique<orka::MemWriteStream>();
  // Inflating straight into the result in large pieces spares a copy of the
  // whole text and keeps zlib's per-call work small.
  constexpr uint32_t kPiece = 1u << 20;
  for (;;) {
    const uint32_t left = maxText - text->tell();
    if (left == 0) {
      // Full: one byte more is a text too long, however much more follows.
      char probe;
      if (zip.read(&probe, 1) != 0) throw orka::StreamError(orka::StreamError::kNoOutputSpace);
      break;
    }
    uint32_t room = std::min(std::max(text->capacity() - text->tell(), kPiece), left);
    uint32_t got = zip.read(text->writableTail(room), room);
    text->commit(got);
    if (got < room) break;
  }
  const char terminator = 0;
  text->write(&terminator, 1);
  return text;
}

std::unique_ptr<orka::DataWriteStream> compressText(orka::DataWriteStream* below, const void* text,
                                                    uint32_t length) {
  std::unique_ptr<orka::DataWriteStream> zip(new orka::ZipWriteStream(below));
  // One write: the compressed bytes depend on how the text is split.
  zip->write(text, length);
  zip->flush(true);
  return zip;
}

std::unique_ptr<orka::MemWriteStream> readDocument(const std::string& path, const DocumentKey& key,
                                                   uint32_t maxText) {
  orka::RijndaelBE cipher(orka::RijndaelBE::kCBC);
  cipher.setDecryptKey(key.data());
  // Each constructor owns what it is given from the moment it is called,
  // also when it throws, so no link of a half-built chain is left open.
  std::unique_ptr<orka::DataReadStream> file(new orka::FileReadStream(path));
  std::unique_ptr<orka::DataReadStream> crypt(new orka::CryptReadStream(file.release(), &cipher));
  orka::ZipReadStream zip(crypt.release());
  return inflateText(zip, maxText);
}

void refuseUnsaveable(const std::string& path, const DocumentKey& key, uint32_t length) {
  static_assert(kMaxTextBytes == 64u << 20, "the message below names the limit");
  if (length > kMaxTextBytes)
    throw orka::Error(
        "テキストが長すぎるため保存できません。文書に保存できるのは 67,108,864 バイト (64 MiB) "
        "までです。\n\n" +
        path);
  if (std::all_of(key.begin(), key.end(), [](unsigned char b) { return b == 0; }))
    throw orka::Error("暗号キーが消去されているため保存できません。\n\n" + path);
}

void writeDocument(const std::string& path, const DocumentKey& key, const void* text, uint32_t length) {
  refuseUnsaveable(path, key, length);
  orka::RijndaelBE cipher(orka::RijndaelBE::kCBC);
  cipher.setEncryptKey(key.data());
  orka::writeFileSafely(path, [&](std::unique_ptr<orka::FileWriteStream> file) {
    return compressText(new orka::CryptWriteStream(file.release(), &cipher), text, length);
  });
}

}  // namespace tolvane
