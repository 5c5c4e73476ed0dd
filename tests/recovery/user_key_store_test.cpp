// The user's recovery key: one key per user that every editor finds again,
// never kept in the clear, and replaced only when the stored one can open
// nothing.
#include "editor/recovery/user_key_store.h"

#include <windows.h>

#include <dpapi.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <utility>

#include "orka/streams/file_stream.h"
#include "support/temp_dir.h"

namespace {

using namespace tolvane;
using testing_support::TempDir;

// Refuses to seal or to open, as a broken profile or another user's would.
class RefusingWrapper : public KeyWrapper {
 public:
  RefusingWrapper(bool wraps, bool unwraps) : wraps_(wraps), unwraps_(unwraps) {}
  bool wrap(const RecoveryKey::Bytes& key, std::vector<unsigned char>* blob) const override {
    return wraps_ && systemKeyWrapper().wrap(key, blob);
  }
  bool unwrap(const std::vector<unsigned char>& blob, RecoveryKey::Bytes* key) const override {
    return unwraps_ && systemKeyWrapper().unwrap(blob, key);
  }

 private:
  bool wraps_, unwraps_;
};

// 32 bytes sealed for this user by another program (without our entropy).
std::string sealedByAnotherProgram() {
  BYTE key[32] = {1, 2, 3};
  DATA_BLOB in{sizeof key, key}, out{0, nullptr};
  EXPECT_TRUE(CryptProtectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out));
  std::string blob(reinterpret_cast<char*>(out.pbData), out.cbData);
  LocalFree(out.pbData);
  return blob;
}

class UserKeyStoreTest : public ::testing::Test {
 protected:
  std::string path() const { return UserKeyStore::pathBeside(dir.path("tolvane.dat")); }
  std::string stored() const { return TempDir::readFile(path()); }
  RecoveryKey::Bytes loaded() const { return UserKeyStore(path()).load().value().bytes(); }
  TempDir dir;
};

TEST_F(UserKeyStoreTest, ACreatedKeyIsFoundAgainByEveryStoreAndIsNeverWrittenInTheClear) {
  EXPECT_FALSE(UserKeyStore(path()).load());
  const RecoveryKey created = UserKeyStore(path()).loadOrCreate();
  const std::string file = stored();
  EXPECT_EQ(file.substr(0, 8), "TolvKey1");
  EXPECT_EQ(file.find(std::string(created.bytes().begin(), created.bytes().end())), std::string::npos);
  EXPECT_EQ(loaded(), created.bytes());
  EXPECT_EQ(UserKeyStore(path()).loadOrCreate().bytes(), created.bytes());
  EXPECT_EQ(stored(), file) << "a usable key is never replaced";
}

TEST_F(UserKeyStoreTest, UnusableFilesAreNotKeysAndGetReplaced) {
  UserKeyStore(path()).loadOrCreate();
  const std::string good = stored();
  std::string changed = good;
  changed[changed.size() - 20] ^= 1;
  const RefusingWrapper anotherUser(true, false);
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"signature only", good.substr(0, 8)},
      {"cut", good.substr(0, good.size() / 2)},
      {"blob changed", changed},
      {"another signature", "TolvKey2" + good.substr(8)},
      {"sealed by another program", "TolvKey1" + sealedByAnotherProgram()},
      {"oversized", good + std::string(kMaxKeyBlob, 'x')},
      {"another user's", good},
  };
  for (const auto& [what, contents] : cases) {
    dir.write("tolvane-recovery.key", contents);
    UserKeyStore store(path(),
                       contents == good ? static_cast<const KeyWrapper&>(anotherUser) : systemKeyWrapper());
    EXPECT_FALSE(store.load()) << what;
    const RecoveryKey fresh = store.loadOrCreate();
    EXPECT_EQ(loaded(), fresh.bytes()) << what << ": the new key replaces the file";
  }
}

// The key still serves the running editor, and nothing half-made is left.
TEST_F(UserKeyStoreTest, AKeyThatCannotBeKeptIsStillGiven) {
  const RefusingWrapper refusing(false, true);
  const struct {
    const char* what;
    std::string file;
    const KeyWrapper& wrapper;
  } cases[] = {{"refused", path(), refusing}, {"no folder", dir.path("missing/k.key"), systemKeyWrapper()}};
  for (const auto& c : cases) {
    UserKeyStore(c.file, c.wrapper).loadOrCreate();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(c.file))) << c.what;
  }
}

// Two editors starting at once: one reads the key file while the other has
// it open.  It must wait and share the key, not seal a new one over it.
TEST_F(UserKeyStoreTest, AKeyFileBusyForAMomentIsWaitedFor) {
  const RecoveryKey created = UserKeyStore(path()).loadOrCreate();
  auto holder = std::make_unique<orka::FileReadStream>(path());
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    holder.reset();
  });
  EXPECT_EQ(UserKeyStore(path()).loadOrCreate().bytes(), created.bytes());
  release.join();
  EXPECT_EQ(loaded(), created.bytes());
}

TEST_F(UserKeyStoreTest, EditorsCreatingTheKeyTogetherShareOne) {
  for (int round = 0; round < 5; ++round) {
    std::filesystem::remove(std::filesystem::u8path(path()));
    std::optional<RecoveryKey> first;
    std::thread other([&] { first.emplace(UserKeyStore(path()).loadOrCreate()); });
    const RecoveryKey second = UserKeyStore(path()).loadOrCreate();
    other.join();
    EXPECT_EQ(first->bytes(), second.bytes()) << "round " << round;
  }
}

}  // namespace
