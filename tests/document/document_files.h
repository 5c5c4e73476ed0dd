// Helpers shared by the document tests: sample texts, deciphering a file by
// hand and looking at what is left in a folder.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "document/document.h"
#include "orka/crypto/rijndael.h"
#include "orka/errors/error.h"

namespace document_test {

inline const char kSerial[] = "12345-OEM-0000001-54321";
// "日本語のテキスト\r\n二行目" in CP932.
inline const std::string kJapanese =
    "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67\r\n\x93\xF1\x8D\x73\x96\xDA";

// The code of the StreamError that `action` throws; -1 when it throws none.
inline int streamCode(const std::function<void()>& action) {
  try {
    action();
  } catch (const orka::StreamError& e) {
    return e.code();
  }
  return -1;
}

// `n` bytes drawn from the Japanese sample (compressible) or from anything.
inline std::string sample(size_t n, uint32_t seed, bool compressible) {
  std::string s(n, '\0');
  uint32_t x = seed;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1664525u + 1013904223u;
    s[i] = compressible ? kJapanese[(x >> 20) % kJapanese.size()] : static_cast<char>(x >> 24);
  }
  return s;
}

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

// A classic document file of `zeros` zero bytes of text, compressed as
// tightly as zlib can: a few kilobytes per hundred megabytes.  Made by hand,
// since the writer refuses texts longer than a reader takes.
inline std::string zeroTextFile(uint64_t zeros, const tolvane::DocumentKey& key) {
  z_stream zs{};
  deflateInit(&zs, 9);
  std::vector<unsigned char> in(1 << 16), out(1 << 16);
  std::string z;
  uint64_t left = zeros;
  int result;
  do {
    uInt piece = static_cast<uInt>(std::min<uint64_t>(left, in.size()));
    left -= piece;
    zs.next_in = in.data();
    zs.avail_in = piece;
    do {
      zs.next_out = out.data();
      zs.avail_out = static_cast<uInt>(out.size());
      result = deflate(&zs, left == 0 ? Z_FINISH : Z_NO_FLUSH);
      z.append(reinterpret_cast<char*>(out.data()), out.size() - zs.avail_out);
    } while (zs.avail_out == 0);
  } while (left > 0 || result != Z_STREAM_END);
  deflateEnd(&zs);
  z.append((16 - z.size() % 16) % 16, '\0');
  orka::RijndaelBE cipher(orka::RijndaelBE::kCBC);
  cipher.setEncryptKey(key.data());
  std::string file(z.size(), '\0');
  cipher.encrypt(z.data(), static_cast<uint32_t>(z.size()), &file[0]);
  return file;
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
