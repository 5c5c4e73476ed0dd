// A fixture that runs each case once on the lookup tables and once on the
// AES instructions (skipped where the processor lacks them).
#pragma once

#include <gtest/gtest.h>

#include "orka/crypto/rijndael.h"

namespace crypto_test {

class CipherPathTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    orka::RijndaelBE::setHardwareAllowed(GetParam());
    orka::RijndaelBE probe;
    const unsigned char key[32] = {};
    probe.setEncryptKey(key);
    if (GetParam() && !probe.usesHardware()) GTEST_SKIP() << "no AES instructions here";
    ASSERT_EQ(probe.usesHardware(), GetParam());
  }
  void TearDown() override { orka::RijndaelBE::setHardwareAllowed(true); }
};

inline std::string pathName(const ::testing::TestParamInfo<bool>& info) {
  return info.param ? "Hardware" : "Tables";
}

}  // namespace crypto_test
