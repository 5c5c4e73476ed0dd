#include "document/document.h"

#include <algorithm>
#include <string>

#include "document/machine_serial.h"
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

DocumentKey makeDocumentKey(std::string_view password, const char* serial) {
  orka::SHA256 sha;
  sha.init();
  if (password.empty()) {
    if (!serial) throw orka::Error("暗号キーの作成に失敗しました。");
    // The terminator is part of the hashed bytes here (and only here), so
    // the machine key differs from the key of the serial typed as a password.
    sha.update(serial, static_cast<uint32_t>(std::char_traits<char>::length(serial) + 1));
  } else {
    sha.update(password.data(), static_cast<uint32_t>(password.size()));
  }
  DocumentKey key;
  const unsigned char* digest = sha.final();
  std::copy(digest, digest + key.size(), key.begin());
  return key;
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

void writeDocument(const std::string& path, const DocumentKey& key, const void* text, uint32_t length) {
  orka::RijndaelBE cipher(orka::RijndaelBE::kCBC);
  cipher.setEncryptKey(key.data());
  orka::writeFileSafely(path, [&](std::unique_ptr<orka::FileWriteStream> file) {
    std::unique_ptr<orka::DataWriteStream> crypt(new orka::CryptWriteStream(file.release(), &cipher));
    std::unique_ptr<orka::DataWriteStream> zip(new orka::ZipWriteStream(crypt.release()));
    // One write: the compressed bytes depend on how the text is split.
    zip->write(text, length);
    zip->flush(true);
    return zip;
  });
}

}  // namespace tolvane
