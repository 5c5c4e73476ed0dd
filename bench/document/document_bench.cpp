// Saving and opening a 64 MiB Japanese document, against the least work the
// file format allows: one deflate call at level 6 and one inflate, with
// OpenSSL's AES-256-CBC, on the same text and through the same file system.
//
// The strong format against the classic one: a write and a read of the same
// 64 MiB, each with its key derivation once (SHA-256, or Argon2id at the
// moderate costs), reported as a ratio; and what one Argon2id derivation and
// one wrong-password guess at a strong document cost in time and memory.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/ratio/ratio_reporter.h"
#include "document/document.h"
#include "document/strong_document.h"
#include "orka/errors/error.h"
#include "orka/text/codepage.h"

namespace {

constexpr size_t kTextSize = 64u << 20;

// Sentences of Japanese-looking text in CP932 with CR LF line breaks: words
// of one to three level-1 kanji with kana endings and particles, drawn with
// a skewed frequency as in real writing, so that it compresses about as well
// (roughly 2.5 to 1) and as fast as real documents do.
const std::string& japaneseText() {
  static const std::string text = [] {
    uint32_t x = 20261208;
    auto next = [&x](uint32_t n) {
      x = x * 1664525u + 1013904223u;
      return (x >> 8) % n;
    };
    const char* const kana[] = {"は",       "が",     "を",   "に",     "の",       "と",       "で",
                                "も",       "から",   "まで", "する",   "した",     "して",     "です",
                                "ます",     "ました", "ない", "られる", "こと",     "もの",     "として",
                                "について", "による", "ため", "、",     "テキスト", "ファイル", "パスワード"};
    std::vector<std::string> words;
    for (const char* k : kana) words.push_back(*orka::utf8ToCodePage(k, 932));
    for (int i = 0; i < 3000; ++i) {
      std::string w;
      for (uint32_t n = 1 + next(3); n > 0; --n) {
        unsigned lead = 0x89 + next(15);  // rows of common level-1 kanji
        unsigned trail = 0x40 + next(0xBC);
        if (trail >= 0x7F) ++trail;  // 0x7F is not a trail byte
        w += static_cast<char>(lead);
        w += static_cast<char>(trail);
      }
      words.push_back(w);
    }
    std::string t;
    t.reserve(kTextSize + 256);
    while (t.size() < kTextSize) {
      for (uint32_t s = 1 + next(4); s > 0; --s) {
        for (uint32_t w = 4 + next(12); w > 0; --w) {
          uint32_t r = next(1u << 16);
          // Alternate kana and words, favouring the first words of each.
          if (w % 2)
            t += words[(r * r >> 16) * 28 >> 16];
          else
            t += words[28 + ((r * r >> 16) * 3000 >> 16)];
        }
        t += "\x81\x42";  // 。
      }
      t += "\r\n";
    }
    t.resize(kTextSize);
    return t;
  }();
  return text;
}

std::string benchPath(const char* name) { return std::string("/tmp/tolvane-bench-") + name; }

const tolvane::DocumentKey& key() {
  static const tolvane::DocumentKey k = tolvane::makeDocumentKey("ベンチマーク");
  return k;
}

// AES-256-CBC with a zero IV and no padding, in place.
void aesCbc(std::string& bytes, bool encrypt) {
  static const unsigned char iv[16] = {};
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_CipherInit_ex(ctx, EVP_aes_256_cbc(), nullptr, key().data(), iv, encrypt ? 1 : 0);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  int n = 0;
  unsigned char* p = reinterpret_cast<unsigned char*>(&bytes[0]);
  EVP_CipherUpdate(ctx, p, &n, p, static_cast<int>(bytes.size()));
  EVP_CIPHER_CTX_free(ctx);
}

void writeFileSynced(const std::string& path, const std::string& bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
      fsync(fd) != 0)
    throw std::runtime_error("cannot write " + path);
  ::close(fd);
}

std::string readFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY);
  off_t size = fd < 0 ? -1 : lseek(fd, 0, SEEK_END);
  std::string bytes(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (size < 0 || pread(fd, &bytes[0], bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
    throw std::runtime_error("cannot read " + path);
  ::close(fd);
  return bytes;
}

void BM_WriteDocument(benchmark::State& state) {
  const std::string& text = japaneseText();
  std::string path = benchPath("ours.vtxt");
  for (auto _ : state) tolvane::writeDocument(path, key(), text.data(), static_cast<uint32_t>(text.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_WriteFloor(benchmark::State& state) {
  const std::string& text = japaneseText();
  std::string path = benchPath("floor.vtxt");
  for (auto _ : state) {
    z_stream zs{};
    deflateInit(&zs, 6);
    std::string z(deflateBound(&zs, static_cast<uLong>(text.size())) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    zs.avail_in = static_cast<uInt>(text.size());
    zs.next_out = reinterpret_cast<Bytef*>(&z[0]);
    zs.avail_out = static_cast<uInt>(z.size());
    deflate(&zs, Z_FINISH);
    z.resize((zs.total_out + 15) / 16 * 16);
    deflateEnd(&zs);
    aesCbc(z, true);
    writeFileSynced(path, z);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_ReadDocument(benchmark::State& state) {
  const std::string& text = japaneseText();
  static const std::string path = [&] {
    std::string p = benchPath("saved.vtxt");
    tolvane::writeDocument(p, key(), text.data(), static_cast<uint32_t>(text.size()));
    return p;
  }();
  for (auto _ : state) {
    auto doc = tolvane::readDocument(path, key());
    if (doc->size() != text.size() + 1) state.SkipWithError("wrong length");
    benchmark::DoNotOptimize(doc->data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_ReadFloor(benchmark::State& state) {
  const std::string& text = japaneseText();
  static const std::string path = [&] {
    std::string p = benchPath("saved-floor.vtxt");
    std::string z(compressBound(static_cast<uLong>(text.size())), '\0');
    uLongf size = z.size();
    compress2(reinterpret_cast<Bytef*>(&z[0]), &size, reinterpret_cast<const Bytef*>(text.data()),
              static_cast<uLong>(text.size()), 6);
    z.resize((size + 15) / 16 * 16);
    aesCbc(z, true);
    writeFileSynced(p, z);
    return p;
  }();
  for (auto _ : state) {
    std::string plain = readFile(path);
    aesCbc(plain, false);
    std::unique_ptr<char[]> out(new char[text.size() + 1]);
    z_stream zs{};
    inflateInit(&zs);
    zs.next_in = reinterpret_cast<Bytef*>(&plain[0]);
    zs.avail_in = static_cast<uInt>(plain.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.get());
    zs.avail_out = static_cast<uInt>(text.size());
    if (inflate(&zs, Z_FINISH) != Z_STREAM_END) state.SkipWithError("inflate failed");
    inflateEnd(&zs);
    out[text.size()] = 0;
    benchmark::DoNotOptimize(out.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// One write and one read of the whole text, with a new key for each write
// as a document that gets a password and is opened again would.
void writeAndRead(benchmark::State& state, tolvane::DocumentFormat format) {
  const std::string& text = japaneseText();
  std::string path = benchPath(format == tolvane::DocumentFormat::kStrong ? "strong.vtxt" : "classic.vtxt");
  for (auto _ : state) {
    tolvane::DocumentKeyring keyring = tolvane::newKeyring(format, "ベンチマーク");
    tolvane::writeDocument(path, keyring, text.data(), static_cast<uint32_t>(text.size()));
    auto doc = tolvane::readDocument(path, keyring);
    if (doc->size() != text.size() + 1) state.SkipWithError("wrong length");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The peak resident memory that `action` adds, in MiB: the kernel's
// high-water mark, set back to the current size first.
double peakMiBDuring(const std::function<void()>& action) {
  auto statusField = [](const char* name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
      if (line.compare(0, std::strlen(name), name) == 0) return std::stod(line.substr(std::strlen(name))) / 1024;
    return 0.0;
  };
  std::ofstream("/proc/self/clear_refs") << "5";
  const double before = statusField("VmRSS:");
  action();
  return statusField("VmHWM:") - before;
}

const std::string& smallStrongDocument() {
  static const std::string path = [] {
    std::string p = benchPath("small-strong.vtxt");
    tolvane::writeDocument(p, tolvane::newKeyring(tolvane::DocumentFormat::kStrong, "ベンチマーク"), "text", 4);
    return p;
  }();
  return path;
}

// Argon2id at the costs of a strong document's header: what opening one
// costs before any of its text is read.
void deriveKey(benchmark::State& state) {
  double peak = 0;
  for (auto _ : state)
    peak = std::max(peak, peakMiBDuring([] { tolvane::keyringForDocument(smallStrongDocument(), "ベンチマーク"); }));
  state.counters["peak_MiB"] = peak;
}

// One guess of a stolen document's password: the derivation, then the
// first piece that does not open.
void wrongGuess(benchmark::State& state) {
  double peak = 0;
  for (auto _ : state) {
    peak = std::max(peak, peakMiBDuring([&] {
      try {
        tolvane::readDocument(smallStrongDocument(), tolvane::keyringForDocument(smallStrongDocument(), "guess"));
        state.SkipWithError("a wrong password opened the document");
      } catch (const orka::StreamError&) {
      }
    }));
  }
  state.counters["peak_MiB"] = peak;
}

BENCHMARK(BM_WriteDocument)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_WriteFloor)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_ReadDocument)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_ReadFloor)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  using benchmark::RegisterBenchmark;
  RegisterBenchmark("write_read/classic", writeAndRead, tolvane::DocumentFormat::kClassic)
      ->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("write_read/strong", writeAndRead, tolvane::DocumentFormat::kStrong)
      ->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("derive/argon2id_moderate", deriveKey)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("wrong_guess/strong", wrongGuess)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
  const std::string format = bench::displayFormat(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::RatioReporter reporter(format, {{"write_read/strong", "write_read/classic"},
                                         {"derive/argon2id_moderate", "write_read/classic"}});
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  for (const char* name : {"ours.vtxt", "floor.vtxt", "saved.vtxt", "saved-floor.vtxt", "strong.vtxt", "classic.vtxt",
                           "small-strong.vtxt"})
    std::remove(benchPath(name).c_str());
  return 0;
}
