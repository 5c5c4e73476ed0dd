// Helpers shared by the document tests: deciphering a file by hand and
// looking at what is left in a folder.
#pragma once

#include <zlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "document/document.h"
#include "orka/crypto/rijndael.h"

namespace document_test {

// The plaintext of a document file: the zlib stream and its zero padding.
inline std::string decipher(const std::string& file, const tolvane::DocumentKey& key) {
  orka::RijndaelBE cipher(orka::RijndaelBE::kCBC);
  cipher.setDecryptKey(key.data());
  std::string plain(file.size(), '\0');
  cipher.decrypt(file.data(), static_cast<uint32_t>(file.size()), &plain[0]);
  return plain;
}

// The length of the zlib stream at the start of `plain` (0 when it is not a
// complete stream) and the text it holds.
inline size_t zlibStreamLength(const std::string& plain, std::string* text) {
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return 0;
  std::vector<unsigned char> out(1 << 16);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  zs.avail_in = static_cast<uInt>(plain.size());
  int result;
  do {
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    result = inflate(&zs, Z_NO_FLUSH);
    text->append(reinterpret_cast<char*>(out.data()), out.size() - zs.avail_out);
  } while (result == Z_OK);
  size_t length = result == Z_STREAM_END ? zs.total_in : 0;
  inflateEnd(&zs);
  return length;
}

inline std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(folder)))
    names.push_back(entry.path().filename().u8string());
  return names;
}

inline std::string textOf(orka::MemWriteStream& stream) {
  return std::string(reinterpret_cast<const char*>(stream.data()), stream.size() - 1);
}

}  // namespace document_test
