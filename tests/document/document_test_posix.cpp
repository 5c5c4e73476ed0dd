// Our documents against an independent implementation of the same format
// (zlib and OpenSSL's AES), and a save that runs out of disk space.
#include <gtest/gtest.h>
#include <cstdio>
#include <openssl/evp.h>
#include <openssl/sha.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <zlib.h>

#include "document/document.h"
#include "document/document_files.h"
#include "document/strong_document.h"
#include "orka/files/path_ops.h"
#include "orka/errors/error.h"
#include "support/temp_dir.h"

namespace {

using document_test::namesIn;
using document_test::textOf;
using testing_support::TempDir;

void reverseGroups(std::string& bytes) {
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    std::swap(bytes[i], bytes[i + 3]);
    std::swap(bytes[i + 1], bytes[i + 2]);
  }
}

// AES-256-CBC with a zero IV and no padding, in our byte order: every 4-byte
// group of key, input and output reversed around the standard cipher.
std::string opensslCbc(std::string data, const std::string& password, bool encrypt) {
  unsigned char digest[32];
  SHA256(reinterpret_cast<const unsigned char*>(password.data()), password.size(), digest);
  std::string key(reinterpret_cast<char*>(digest), 32);
  reverseGroups(key);
  reverseGroups(data);
  unsigned char iv[16] = {};
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EXPECT_EQ(EVP_CipherInit_ex(ctx, EVP_aes_256_cbc(), nullptr,
                              reinterpret_cast<const unsigned char*>(key.data()), iv, encrypt ? 1 : 0),
            1);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  std::string out(data.size() + 16, '\0');
  int n = 0, tail = 0;
  EXPECT_EQ(
      EVP_CipherUpdate(ctx, reinterpret_cast<unsigned char*>(&out[0]), &n,
                       reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size())),
      1);
  EXPECT_EQ(EVP_CipherFinal_ex(ctx, reinterpret_cast<unsigned char*>(&out[0]) + n, &tail), 1);
  EVP_CIPHER_CTX_free(ctx);
  out.resize(static_cast<size_t>(n + tail));
  reverseGroups(out);
  return out;
}

std::string japaneseText(size_t lines) {
  // "第N行：吾輩は猫である。" in CP932, CR LF lines.
  std::string text;
  for (size_t i = 0; i < lines; ++i)
    text += "\x91\xE6" + std::to_string(i) +
            "\x8D\x73\x81\x46\x8C\xE1\x94\x79\x82\xCD\x94\x4C\x82\xC5\x82\xA0\x82\xE9\x81\x42\r\n";
  return text;
}

TEST(DocumentKnownAnswer, ADocumentMadeWithZlibAndOpenSslReadsBack) {
  TempDir dir;
  const std::string password = "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68";  // パスワード in CP932
  for (size_t lines : {0u, 1u, 5000u}) {
    std::string text = japaneseText(lines);
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string z(size, '\0');
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(&z[0]), &size, reinterpret_cast<const Bytef*>(text.data()),
                        static_cast<uLong>(text.size()), 6),
              Z_OK);
    z.resize(size);
    z.append((16 - z.size() % 16) % 16, '\0');
    std::string path = dir.write("openssl.vtxt", opensslCbc(z, password, true));
    EXPECT_EQ(textOf(*tolvane::readDocument(path, tolvane::makeDocumentKey(password))), text) << lines;
  }
}

TEST(DocumentKnownAnswer, OurDocumentsDecryptWithOpenSslAndInflateWithZlib) {
  TempDir dir;
  const std::string password = "open sesame";
  for (size_t lines : {0u, 3u, 20000u}) {
    std::string text = japaneseText(lines);
    std::string path = dir.path("ours.vtxt");
    tolvane::writeDocument(path, tolvane::makeDocumentKey(password), text.data(),
                           static_cast<uint32_t>(text.size()));
    std::string plain = opensslCbc(TempDir::readFile(path), password, false);
    std::string inflated;
    size_t z = document_test::zlibStreamLength(plain, &inflated);
    ASSERT_GT(z, 0u);
    EXPECT_EQ(inflated, text);
    EXPECT_EQ(plain.size(), (z + 15) / 16 * 16);
  }
}

// A file size limit makes writes fail part-way exactly as a full disk does.
TEST(DocumentSafeSave, RunningOutOfSpaceKeepsTheOldDocument) {
  TempDir dir;
  tolvane::DocumentKey key = tolvane::makeDocumentKey("pw");
  std::string path = dir.path("doc.vtxt");
  std::string old = japaneseText(10);
  tolvane::writeDocument(path, key, old.data(), static_cast<uint32_t>(old.size()));
  std::string before = TempDir::readFile(path);

  std::string big(1 << 20, '\0');  // incompressible
  uint32_t x = 99;
  for (char& c : big) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
  struct sigaction ignore = {}, previous;
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limited = saved;
  limited.rlim_cur = 100000;
  setrlimit(RLIMIT_FSIZE, &limited);
  int code = -1;
  try {
    tolvane::writeDocument(path, key, big.data(), static_cast<uint32_t>(big.size()));
  } catch (const orka::StreamError& e) {
    code = e.code();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_EQ(code, orka::StreamError::kWriteFailed);
  EXPECT_EQ(TempDir::readFile(path), before);
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"doc.vtxt"});
  EXPECT_TRUE(textOf(*tolvane::readDocument(path, key)) == old);
}

// Files no editor wrote end in an error, quickly and without holding them in
// memory; long paths simply work.
TEST(DocumentLimits, AHugeFileAndADeepPathAreHandled) {
  TempDir dir;
  tolvane::DocumentKey key = tolvane::makeDocumentKey("pw");
  std::string huge = dir.write("huge.vtxt", "");
  ASSERT_EQ(truncate(huge.c_str(), off_t{5} << 30), 0);  // 5 GiB, sparse
  try {
    tolvane::readDocument(huge, key);
    ADD_FAILURE() << "read a file of zeros";
  } catch (const orka::StreamError& e) {
    EXPECT_EQ(e.code(), orka::StreamError::kDamagedOrWrongKey);
  }

  std::string deep = dir.path();
  while (deep.size() < 400) {
    deep += "/" + std::string(50, 'd');
    ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
  }
  deep += "/doc.vtxt";
  tolvane::writeDocument(deep, key, "text", 4);
  tolvane::writeDocument(deep, key, "more text", 9);
  EXPECT_EQ(textOf(*tolvane::readDocument(deep, key)), "more text");
}

// Saves killed at random moments, in either format: the document is always
// the whole old one or the whole new one, and the next save clears what the
// killed ones left.
class KilledSave : public ::testing::TestWithParam<tolvane::DocumentFormat> {};

TEST_P(KilledSave, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewDocument) {
  // Renaming is as atomic in memory as on a disk, and far quicker to flush.
  TempDir dir(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::filesystem::temp_directory_path());
  const tolvane::DocumentKeyring oldKey = tolvane::newKeyring(GetParam(), "old", tolvane::kCheapestCost),
                                 newKey = tolvane::newKeyring(GetParam(), "new", tolvane::kCheapestCost);
  const std::string path = dir.path("doc.vtxt");
  const std::string oldText = japaneseText(100);
  std::string newText(256 << 10, '\0');  // incompressible, so that writing takes a while
  uint32_t x = 7;
  for (char& c : newText) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
  tolvane::writeDocument(path, oldKey, oldText.data(), static_cast<uint32_t>(oldText.size()));
  const std::string oldFile = TempDir::readFile(path);

  // The child says when it is about to save, so that the delays count from
  // there whatever the load of the machine.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  auto startSave = [&] {
    pid_t child = fork();
    if (child == 0) {
      char go = 1;
      if (write(ready[1], &go, 1) != 1) _exit(2);
      try {
        tolvane::writeDocument(path, newKey, newText.data(), static_cast<uint32_t>(newText.size()));
      } catch (...) {
        _exit(1);
      }
      _exit(0);
    }
    char go;
    if (child > 0 && read(ready[0], &go, 1) != 1) return pid_t{-1};
    return child;
  };
  auto nowNs = [] {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
  };
  // How long a whole save takes here, to spread the kills over it.
  int status = 0;
  pid_t first = startSave();
  int64_t start = nowNs();
  ASSERT_EQ(waitpid(first, &status, 0) > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0, true);
  const int64_t saveNs = nowNs() - start;

  // On a loaded machine the delays may miss the write for a while; go on
  // (within a bound) until at least one kill has landed in the middle of it.
  constexpr int kKills = 220, kMostKills = 10 * kKills;
  int sawOld = 0, sawNew = 0, leftTemporary = 0, kills = 0;
  uint32_t r = 12345;
  for (int i = 0; i < kMostKills && (i < kKills || leftTemporary == 0); ++i, ++kills) {
    dir.write("doc.vtxt", oldFile);
    pid_t child = startSave();
    ASSERT_GT(child, 0);
    r = r * 1664525u + 1013904223u;
    const int64_t delay = static_cast<int64_t>((r >> 8) % 1000) * saveNs / 900;  // up to 1.1 saves
    const timespec pause = {static_cast<time_t>(delay / 1000000000), static_cast<long>(delay % 1000000000)};
    nanosleep(&pause, nullptr);
    kill(child, SIGKILL);
    ASSERT_EQ(waitpid(child, &status, 0), child);

    std::string file = TempDir::readFile(path);
    if (file == oldFile) {
      ++sawOld;
      EXPECT_EQ(textOf(*tolvane::readDocument(path, oldKey)), oldText);
    } else {
      ++sawNew;
      ASSERT_TRUE(textOf(*tolvane::readDocument(path, newKey)) == newText) << "kill " << i;
    }
    // Later saves that complete clear these; count them now.
    if (namesIn(dir.path()).size() > 1) ++leftTemporary;
  }
  close(ready[0]);
  close(ready[1]);
  std::printf("%d saves killed: %d left the old document, %d the new one, none anything else; "
              "%d left a temporary file\n",
              kills, sawOld, sawNew, leftTemporary);
  EXPECT_GT(leftTemporary, 0) << "no kill interrupted a save";

  tolvane::writeDocument(path, oldKey, oldText.data(), static_cast<uint32_t>(oldText.size()));
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"doc.vtxt"});
}

INSTANTIATE_TEST_SUITE_P(DocumentSafeSave, KilledSave,
                         ::testing::Values(tolvane::DocumentFormat::kClassic, tolvane::DocumentFormat::kStrong),
                         [](const ::testing::TestParamInfo<tolvane::DocumentFormat>& info) {
                           return std::string(info.param == tolvane::DocumentFormat::kStrong ? "Strong" : "Classic");
                         });

TEST(DocumentSafeSave, ReplacingADocumentKeepsItsPermissions) {
  TempDir dir;
  tolvane::DocumentKey key = tolvane::makeDocumentKey("pw");
  std::string path = dir.path("private.vtxt");
  tolvane::writeDocument(path, key, "old", 3);
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  tolvane::writeDocument(path, key, "new", 3);
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "a private document must not become readable by others";
  EXPECT_EQ(textOf(*tolvane::readDocument(path, key)), "new");
}

}  // namespace
