#include "orka/crypto/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "crypto/bytes.h"
#include "orka/crypto/rijndael.h"  // must keep offering SHA256 to its users

namespace orka {
namespace {

using crypto_test::toHex;

std::string digestOf(SHA256& h, const std::string& message) {
  h.init();
  h.update(message.data(), static_cast<uint32_t>(message.size()));
  return toHex(h.final(), 32);
}

struct Vector {
  const char* name;
  std::string message;
  const char* digest;
};

TEST(SHA256, PublishedVectors) {
  const Vector vectors[] = {
      // NIST CAVP SHA256ShortMsg.rsp, Len = 0.
      {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      // FIPS 180-2 Appendix B.1, B.2 and B.3.
      {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"two blocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"a million a", std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  SHA256 h;
  EXPECT_EQ(h.digestBits(), 256u);
  for (const Vector& v : vectors) EXPECT_EQ(digestOf(h, v.message), v.digest) << v.name;
}

TEST(SHA256, PaddingAroundTheLengthField) {
  // Strings of 'a' on either side of the point where the 0x80 byte and the
  // 8-byte length no longer fit the last block (values from OpenSSL).
  const Vector vectors[] = {
      {"55", std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {"56", std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {"63", std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
      {"64", std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
      {"119", std::string(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
      {"120", std::string(120, 'a'), "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
  };
  SHA256 h;
  for (const Vector& v : vectors) EXPECT_EQ(digestOf(h, v.message), v.digest) << v.name;
}

TEST(SHA256, PiecesGiveTheDigestOfTheWhole) {
  std::string message;
  for (int i = 0; i < 200; ++i) message += static_cast<char>(i * 7 + 3);
  SHA256 h;
  const std::string whole = digestOf(h, message);

  // Two pieces, split at every point, then three pieces around block edges.
  for (uint32_t cut = 0; cut <= message.size(); ++cut) {
    h.init();
    h.update(message.data(), cut);
    h.update(message.data() + cut, static_cast<uint32_t>(message.size()) - cut);
    ASSERT_EQ(toHex(h.final(), 32), whole) << "cut at " << cut;
  }
  h.init();
  h.update(message.data(), 63);
  h.update(message.data() + 63, 66);
  h.update(message.data() + 129, 71);
  EXPECT_EQ(toHex(h.final(), 32), whole);

  // A million 'a' fed in uneven pieces.
  const std::string a(1000, 'a');
  h.init();
  for (uint32_t fed = 0; fed < 1000000;) {
    const uint32_t n = std::min<uint32_t>(997, 1000000 - fed);
    h.update(a.data(), n);
    fed += n;
  }
  EXPECT_EQ(toHex(h.final(), 32), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(SHA256, FinalTwiceReturnsTheSameBytesAndUpdateAfterFinalStartsAfresh) {
  SHA256 h;
  h.update("abc", 3);
  const unsigned char* first = h.final();
  const std::string abc = toHex(first, 32);
  EXPECT_EQ(abc, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(h.final(), first);
  EXPECT_EQ(toHex(h.final(), 32), abc);
  EXPECT_EQ(toHex(h.digest(), 32), abc);

  // Not "abcabc": the finished message is dropped.
  h.update("abc", 3);
  EXPECT_EQ(toHex(h.final(), 32), abc);

  // init in the middle of a message drops what came before.
  h.update("xyz", 3);
  h.init();
  h.update("abc", 3);
  EXPECT_EQ(toHex(h.final(), 32), abc);
}

}  // namespace
}  // namespace orka
