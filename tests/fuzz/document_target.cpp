#include <fstream>
#include <string>

#include "document/document.h"
#include "orka/crypto/rijndael.h"
#include "orka/errors/error.h"
#include "targets.h"

namespace fuzz {
namespace {

// Small enough that an input inflating past it costs little time.
constexpr uint32_t kTextLimit = 1 << 16;

const tolvane::DocumentKey& fixedKey() {
  static const tolvane::DocumentKey key = tolvane::makeDocumentKey("fuzz");
  return key;
}

std::string enciphered(std::string plain) {
  plain.append((16 - plain.size() % 16) % 16, '\0');
  orka::RijndaelBE cipher(orka::RijndaelBE::kCBC);
  cipher.setEncryptKey(fixedKey().data());
  std::string file(plain.size(), '\0');
  cipher.encrypt(plain.data(), static_cast<uint32_t>(plain.size()), &file[0]);
  return file;
}

}  // namespace

void document(const uint8_t* data, size_t size) {
  if (size == 0) return;
  std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string file = data[0] & 1 ? enciphered(rest) : rest;
  const std::string path = std::string(scratchFolder()) + "/doc.vtxt";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
  }
  try {
    auto text = tolvane::readDocument(path, fixedKey(), kTextLimit);
    check(text->size() >= 1 && text->size() <= kTextLimit + 1, "text within the limit, with its terminator");
    check(text->data()[text->size() - 1] == 0, "text terminated");
  } catch (const orka::StreamError& e) {
    check(e.code() == orka::StreamError::kDamagedOrWrongKey || e.code() == orka::StreamError::kNoOutputSpace,
          "a damaged document is a wrong key or too long, nothing else");
  }
}

}  // namespace fuzz
