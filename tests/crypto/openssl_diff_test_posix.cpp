// Differential tests against OpenSSL's libcrypto: random keys, lengths and
// ways of splitting the data, for both cipher paths and the digest.
#include <openssl/evp.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "crypto/bytes.h"
#include "crypto/cipher_paths.h"
#include "orka/crypto/rijndael.h"
#include "orka/crypto/sha256.h"

namespace orka {
namespace {

using crypto_test::Bytes;
using crypto_test::randomBytes;
using crypto_test::reverseGroups;

// Standard AES-256 from OpenSSL, zero IV, no padding.
Bytes openssl(const EVP_CIPHER* type, bool encrypt, const Bytes& key, const Bytes& in) {
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                      EVP_CIPHER_CTX_free);
  const unsigned char iv[16] = {};
  Bytes out(in.size() + 16);
  int n = 0, tail = 0;
  EXPECT_EQ(EVP_CipherInit_ex(ctx.get(), type, nullptr, key.data(), iv, encrypt ? 1 : 0), 1);
  EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
  EXPECT_EQ(EVP_CipherUpdate(ctx.get(), out.data(), &n, in.data(), static_cast<int>(in.size())), 1);
  EXPECT_EQ(EVP_CipherFinal_ex(ctx.get(), out.data() + n, &tail), 1);
  out.resize(static_cast<std::size_t>(n + tail));
  return out;
}

// Random cut points on 16-byte boundaries, including empty pieces.
std::vector<uint32_t> randomPieces(std::mt19937& rng, uint32_t total) {
  std::vector<uint32_t> pieces;
  while (total > 0) {
    const uint32_t n = std::min<uint32_t>(total, 16 * (rng() % 40));
    pieces.push_back(n);
    total -= n;
  }
  return pieces;
}

class AgainstOpenSsl : public crypto_test::CipherPathTest {};

TEST_P(AgainstOpenSsl, EcbAndCbcWithReversedGroupsMatchStandardAes) {
  std::mt19937 rng(GetParam() ? 101 : 202);
  for (int round = 0; round < 150; ++round) {
    const Bytes key = randomBytes(rng, 32);
    const Bytes data = randomBytes(rng, 16 * (rng() % 300));
    for (int mode : {RijndaelBE::kECB, RijndaelBE::kCBC}) {
      for (bool encrypt : {true, false}) {
        const EVP_CIPHER* type = mode == RijndaelBE::kCBC ? EVP_aes_256_cbc() : EVP_aes_256_ecb();
        const Bytes expected = reverseGroups(openssl(type, encrypt, reverseGroups(key), reverseGroups(data)));

        RijndaelBE ours(mode);
        if (encrypt)
          ours.setEncryptKey(key.data());
        else
          ours.setDecryptKey(key.data());
        Bytes got = data;
        uint32_t at = 0;
        for (uint32_t n : randomPieces(rng, static_cast<uint32_t>(data.size()))) {
          if (encrypt)
            ours.encrypt(got.data() + at, n, got.data() + at);
          else
            ours.decrypt(got.data() + at, n, got.data() + at);
          at += n;
        }
        ASSERT_EQ(got, expected) << "round " << round << ", mode " << mode << ", " << data.size()
                                 << " bytes, " << (encrypt ? "encrypt" : "decrypt");
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, AgainstOpenSsl, ::testing::Values(false, true), crypto_test::pathName);

TEST(SHA256AgainstOpenSsl, RandomMessagesInRandomPieces) {
  std::mt19937 rng(303);
  SHA256 ours;
  for (int round = 0; round < 400; ++round) {
    const Bytes message = randomBytes(rng, round < 200 ? round : rng() % 5000);
    unsigned char expected[32];
    unsigned int len = 0;
    ASSERT_EQ(EVP_Digest(message.data(), message.size(), expected, &len, EVP_sha256(), nullptr), 1);

    // Reuse the one object, as the key derivation does; every other round
    // skips init and relies on update after final starting afresh.
    if (round % 2 == 0) ours.init();
    std::size_t at = 0;
    while (at < message.size()) {
      const std::size_t n = std::min<std::size_t>(message.size() - at, rng() % 150);
      ours.update(message.data() + at, static_cast<uint32_t>(n));
      at += n;
    }
    if (message.empty()) ours.init();  // no update happened to restart it
    ASSERT_EQ(Bytes(ours.final(), ours.final() + 32), Bytes(expected, expected + 32))
        << "round " << round << ", " << message.size() << " bytes";
  }
}

}  // namespace
}  // namespace orka
