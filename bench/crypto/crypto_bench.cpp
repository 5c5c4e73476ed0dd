// AES-256-CBC and SHA-256 throughput: our table path, our AES-instruction
// path and OpenSSL's EVP side by side.  Sizes: 1 MiB in one call, and the
// 2 KiB pieces the document streams use.
#include <openssl/evp.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "orka/crypto/rijndael.h"
#include "orka/crypto/sha256.h"

namespace {

enum Impl { kTables, kHardware, kOpenSsl };
const unsigned char kKey[32] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                                17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};

void cbc(benchmark::State& state, Impl impl, bool encrypt) {
  const auto size = static_cast<std::size_t>(state.range(0));
  std::vector<unsigned char> buf(size, 0x5a);

  if (impl == kOpenSsl) {
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        EVP_CIPHER_CTX_free);
    const unsigned char iv[16] = {};
    EVP_CipherInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, kKey, iv, encrypt ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    for (auto _ : state) {
      int n = 0;
      EVP_CipherUpdate(ctx.get(), buf.data(), &n, buf.data(), static_cast<int>(size));
      benchmark::DoNotOptimize(buf.data());
    }
  } else {
    orka::RijndaelBE::setHardwareAllowed(impl == kHardware);
    orka::RijndaelBE c(orka::RijndaelBE::kCBC);
    if (encrypt)
      c.setEncryptKey(kKey);
    else
      c.setDecryptKey(kKey);
    orka::RijndaelBE::setHardwareAllowed(true);
    if (c.usesHardware() != (impl == kHardware)) {
      state.SkipWithError("no AES instructions here");
      return;
    }
    for (auto _ : state) {
      if (encrypt)
        c.encrypt(buf.data(), static_cast<uint32_t>(size), buf.data());
      else
        c.decrypt(buf.data(), static_cast<uint32_t>(size), buf.data());
      benchmark::DoNotOptimize(buf.data());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

void sha256(benchmark::State& state, Impl impl) {
  const auto size = static_cast<std::size_t>(state.range(0));
  std::vector<unsigned char> buf(size, 0x5a);
  unsigned char out[32];
  unsigned int len = 0;
  orka::SHA256 h;
  for (auto _ : state) {
    if (impl == kOpenSsl) {
      EVP_Digest(buf.data(), size, out, &len, EVP_sha256(), nullptr);
      benchmark::DoNotOptimize(out);
    } else {
      h.init();
      h.update(buf.data(), static_cast<uint32_t>(size));
      benchmark::DoNotOptimize(h.final());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

constexpr int64_t kMiB = 1 << 20;
constexpr int64_t kPiece = 2048;

BENCHMARK_CAPTURE(cbc, encrypt_tables, kTables, true)->Arg(kMiB)->Arg(kPiece);
BENCHMARK_CAPTURE(cbc, encrypt_aesni, kHardware, true)->Arg(kMiB)->Arg(kPiece);
BENCHMARK_CAPTURE(cbc, encrypt_openssl, kOpenSsl, true)->Arg(kMiB)->Arg(kPiece);
BENCHMARK_CAPTURE(cbc, decrypt_tables, kTables, false)->Arg(kMiB)->Arg(kPiece);
BENCHMARK_CAPTURE(cbc, decrypt_aesni, kHardware, false)->Arg(kMiB)->Arg(kPiece);
BENCHMARK_CAPTURE(cbc, decrypt_openssl, kOpenSsl, false)->Arg(kMiB)->Arg(kPiece);
BENCHMARK_CAPTURE(sha256, ours, kTables)->Arg(kMiB);
BENCHMARK_CAPTURE(sha256, openssl, kOpenSsl)->Arg(kMiB);

}  // namespace

BENCHMARK_MAIN();
