#include "orka/crypto/rijndael.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "crypto/bytes.h"
#include "crypto/cipher_paths.h"

namespace orka {
namespace {

using crypto_test::Bytes;
using crypto_test::fromHex;
using crypto_test::randomBytes;
using crypto_test::reverseGroups;
using crypto_test::toHex;

enum Direction { kEncrypt, kDecrypt };

Bytes run(RijndaelBE& c, Direction d, const Bytes& in) {
  Bytes out(in.size());
  if (d == kEncrypt)
    c.encrypt(in.data(), static_cast<uint32_t>(in.size()), out.data());
  else
    c.decrypt(in.data(), static_cast<uint32_t>(in.size()), out.data());
  return out;
}

class Rijndael : public crypto_test::CipherPathTest {
 protected:
  static std::unique_ptr<RijndaelBE> keyed(int mode, Direction d, const Bytes& key) {
    auto c = std::make_unique<RijndaelBE>(mode);
    EXPECT_EQ(d == kEncrypt ? c->setEncryptKey(key.data()) : c->setDecryptKey(key.data()), 14);
    return c;
  }
};

TEST_P(Rijndael, Fips197AppendixC3WithReversedGroups) {
  // FIPS-197 Appendix C.3 (AES-256), every 4-byte group reversed.
  const Bytes key =
      reverseGroups(fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"));
  const Bytes plain = reverseGroups(fromHex("00112233445566778899aabbccddeeff"));
  const Bytes cipher = reverseGroups(fromHex("8ea2b7ca516745bfeafc49904b496089"));
  ASSERT_EQ(toHex(plain), "3322110077665544bbaa9988ffeeddcc");
  EXPECT_EQ(toHex(run(*keyed(RijndaelBE::kECB, kEncrypt, key), kEncrypt, plain)), toHex(cipher));
  EXPECT_EQ(toHex(run(*keyed(RijndaelBE::kECB, kDecrypt, key), kDecrypt, cipher)), toHex(plain));
}

TEST_P(Rijndael, Sp80038aAes256EcbAndCbcVectors) {
  // NIST SP 800-38A, F.1.5/F.1.6 (ECB-AES256) and F.2.5/F.2.6 (CBC-AES256),
  // taken to our byte order.  Our CBC starts from a zero chain, so the
  // example's IV is folded into the first plaintext block instead.
  const Bytes key =
      reverseGroups(fromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4"));
  const Bytes plain =
      reverseGroups(fromHex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                            "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710"));
  const Bytes ecb =
      reverseGroups(fromHex("f3eed1bdb5d2a03c064b5a7e3db181f8591ccb10d410ed26dc5ba74a31362870"
                            "b6ed21b99ca6f4f9f153e7b1beafed1d23304b7a39f9f3ff067d8d8f9e24ecc7"));
  const Bytes cbc =
      reverseGroups(fromHex("f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
                            "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b"));
  const Bytes iv = reverseGroups(fromHex("000102030405060708090a0b0c0d0e0f"));

  EXPECT_EQ(toHex(run(*keyed(RijndaelBE::kECB, kEncrypt, key), kEncrypt, plain)), toHex(ecb));
  EXPECT_EQ(toHex(run(*keyed(RijndaelBE::kECB, kDecrypt, key), kDecrypt, ecb)), toHex(plain));

  Bytes withIv = plain;
  for (int i = 0; i < 16; ++i) withIv[i] ^= iv[i];
  EXPECT_EQ(toHex(run(*keyed(RijndaelBE::kCBC, kEncrypt, key), kEncrypt, withIv)), toHex(cbc));
  EXPECT_EQ(toHex(run(*keyed(RijndaelBE::kCBC, kDecrypt, key), kDecrypt, cbc)), toHex(withIv));
}

TEST_P(Rijndael, CbcContinuesAcrossCallsWhateverTheSplit) {
  std::mt19937 rng(7);
  const Bytes key = randomBytes(rng, 32);
  const Bytes plain = randomBytes(rng, 16 * 300);
  const Bytes whole = run(*keyed(RijndaelBE::kCBC, kEncrypt, key), kEncrypt, plain);

  // 16 + 16 is the smallest case; the longer pieces straddle the eight-block
  // groups the hardware path decrypts together.
  const uint32_t pieces[] = {16, 16, 32, 128, 144, 2048, 16 * 47};
  auto enc = keyed(RijndaelBE::kCBC, kEncrypt, key);
  auto dec = keyed(RijndaelBE::kCBC, kDecrypt, key);
  Bytes split(plain.size()), back(plain.size());
  uint32_t at = 0;
  for (uint32_t n : pieces) {
    enc->encrypt(plain.data() + at, n, split.data() + at);
    dec->decrypt(whole.data() + at, n, back.data() + at);
    at += n;
  }
  enc->encrypt(plain.data() + at, static_cast<uint32_t>(plain.size()) - at, split.data() + at);
  dec->decrypt(whole.data() + at, static_cast<uint32_t>(plain.size()) - at, back.data() + at);
  EXPECT_EQ(split, whole);
  EXPECT_EQ(back, plain);
}

TEST_P(Rijndael, CbcFromAZeroChainStartsLikeEcbAndResetChainStartsAgain) {
  std::mt19937 rng(11);
  const Bytes key = randomBytes(rng, 32);
  const Bytes plain = randomBytes(rng, 48);
  const Bytes ecb = run(*keyed(RijndaelBE::kECB, kEncrypt, key), kEncrypt, plain);

  auto cbc = keyed(RijndaelBE::kCBC, kEncrypt, key);
  const Bytes first = run(*cbc, kEncrypt, plain);
  EXPECT_TRUE(std::equal(first.begin(), first.begin() + 16, ecb.begin()));
  EXPECT_FALSE(std::equal(first.begin() + 16, first.end(), ecb.begin() + 16));

  EXPECT_NE(run(*cbc, kEncrypt, plain), first);  // the chain carried over
  cbc->resetChain();
  EXPECT_EQ(run(*cbc, kEncrypt, plain), first);
}

TEST_P(Rijndael, InPlaceGivesTheSameBytesAsSeparateBuffers) {
  std::mt19937 rng(13);
  const Bytes key = randomBytes(rng, 32);
  const Bytes data = randomBytes(rng, 16 * 37);  // eight-block groups and a tail
  for (int mode : {RijndaelBE::kECB, RijndaelBE::kCBC, RijndaelBE::kCFB1}) {
    for (Direction d : {kEncrypt, kDecrypt}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " direction " << d);
      const Bytes expected = run(*keyed(mode, d, key), d, data);
      Bytes inPlace = data;
      auto c = keyed(mode, d, key);
      if (d == kEncrypt)
        c->encrypt(inPlace.data(), static_cast<uint32_t>(inPlace.size()), inPlace.data());
      else
        c->decrypt(inPlace.data(), static_cast<uint32_t>(inPlace.size()), inPlace.data());
      EXPECT_EQ(inPlace, expected);
      EXPECT_EQ(run(*keyed(mode, d == kEncrypt ? kDecrypt : kEncrypt, key),
                    d == kEncrypt ? kDecrypt : kEncrypt, expected),
                data);
    }
  }
}

// CFB-1 straight from its definition, with an ECB object as the cipher.
Bytes cfb1Reference(const Bytes& key, const Bytes& in, Direction d) {
  RijndaelBE ecb(RijndaelBE::kECB);
  ecb.setEncryptKey(key.data());
  unsigned char reg[16] = {};
  Bytes out(in.size(), 0);
  for (std::size_t i = 0; i < in.size() * 8; ++i) {
    unsigned char o[16];
    ecb.encrypt(reg, 16, o);
    const int inBit = (in[i / 8] >> (7 - i % 8)) & 1;
    const int outBit = inBit ^ (o[0] >> 7);
    out[i / 8] |= static_cast<unsigned char>(outBit << (7 - i % 8));
    const int feedback = d == kEncrypt ? outBit : inBit;
    for (int j = 0; j < 15; ++j) reg[j] = static_cast<unsigned char>(reg[j] << 1 | reg[j + 1] >> 7);
    reg[15] = static_cast<unsigned char>(reg[15] << 1 | feedback);
  }
  return out;
}

TEST_P(Rijndael, Cfb1FollowsItsBitwiseDefinitionAndRoundTrips) {
  std::mt19937 rng(17);
  const Bytes key = randomBytes(rng, 32);
  const Bytes plain = randomBytes(rng, 45);  // not a multiple of anything
  const Bytes cipher = cfb1Reference(key, plain, kEncrypt);
  ASSERT_EQ(cfb1Reference(key, cipher, kDecrypt), plain);

  // Split calls continue the one shift register.
  auto enc = keyed(RijndaelBE::kCFB1, kEncrypt, key);
  Bytes got(plain.size());
  enc->encrypt(plain.data(), 1, got.data());
  enc->encrypt(plain.data() + 1, 44, got.data() + 1);
  EXPECT_EQ(got, cipher);

  // Deciphering runs the forward cipher, so either keying serves.
  EXPECT_EQ(run(*keyed(RijndaelBE::kCFB1, kDecrypt, key), kDecrypt, cipher), plain);
  EXPECT_EQ(run(*keyed(RijndaelBE::kCFB1, kEncrypt, key), kDecrypt, cipher), plain);
}

TEST_P(Rijndael, APartialLastBlockIsLeftUntouchedInEcbAndCbc) {
  std::mt19937 rng(19);
  const Bytes key = randomBytes(rng, 32);
  const Bytes data = randomBytes(rng, 16 * 9 + 5);
  for (int mode : {RijndaelBE::kECB, RijndaelBE::kCBC}) {
    auto c = keyed(mode, kEncrypt, key);
    Bytes out(data.size(), 0xee);
    c->encrypt(data.data(), static_cast<uint32_t>(data.size()), out.data());
    EXPECT_EQ(Bytes(out.end() - 5, out.end()), Bytes(5, 0xee));
    EXPECT_NE(Bytes(out.begin(), out.begin() + 16), Bytes(data.begin(), data.begin() + 16));
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, Rijndael, ::testing::Values(false, true), crypto_test::pathName);

TEST(RijndaelModes, BlockSizeIs16ForEcbAndCbcAnd1FromCfb1On) {
  RijndaelBE c;
  EXPECT_EQ(c.mode(), RijndaelBE::kCBC);
  const std::pair<int, uint32_t> cases[] = {{1, 16}, {2, 16}, {3, 1}, {4, 1}};
  for (const auto& [mode, size] : cases) {
    c.setMode(mode);
    EXPECT_EQ(c.blockSize(), size) << "mode " << mode;
  }
}

// The Windows build has no OpenSSL to compare with, so the two paths are
// checked against each other over lengths that exercise every code branch.
TEST(RijndaelPaths, HardwareAndTablesGiveIdenticalBytes) {
  std::mt19937 rng(23);
  RijndaelBE probe;
  const Bytes key = randomBytes(rng, 32);
  probe.setEncryptKey(key.data());
  if (!probe.usesHardware()) GTEST_SKIP() << "no AES instructions here";

  for (uint32_t blocks : {1u, 7u, 8u, 9u, 16u, 129u}) {
    const Bytes data = randomBytes(rng, 16 * blocks);
    for (int mode : {RijndaelBE::kECB, RijndaelBE::kCBC, RijndaelBE::kCFB1}) {
      for (Direction d : {kEncrypt, kDecrypt}) {
        RijndaelBE hw(mode), tables(mode);
        hw.setEncryptKey(key.data());
        RijndaelBE::setHardwareAllowed(false);
        tables.setEncryptKey(key.data());
        RijndaelBE::setHardwareAllowed(true);
        ASSERT_TRUE(hw.usesHardware());
        ASSERT_FALSE(tables.usesHardware());
        EXPECT_EQ(run(hw, d, data), run(tables, d, data))
            << blocks << " blocks, mode " << mode << ", direction " << d;
        EXPECT_EQ(run(hw, d, data), run(tables, d, data)) << "second call, chain carried over";
      }
    }
  }
}

}  // namespace
}  // namespace orka
