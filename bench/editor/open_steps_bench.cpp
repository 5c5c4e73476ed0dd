// Where the time of opening the 64 MiB document goes: each step openDocument
// takes, timed on its own with the same functions the editor calls, beside
// the whole open (open/ours) and the fair bare control's open (open/bare)
// in the same run:
//
//   shortcut   resolveShortcut on the document's path
//   key        makeDocumentKey of the empty password (the silent try)
//   read       the file's bytes
//   decipher   CryptReadStream over those bytes
//   inflate    ZipReadStream over the deciphered bytes
//   convert    the code-page bytes to UTF-16 (orka::ansiToWide)
//   mirror     TextMirror::assign of the converted text
//   settext    SetWindowTextW into the editor's control, and the repaint
//              (bare: the same into the fair bare control)
//   caret      the selection put at the start, scrolled to, and the status
//              bar's position lookups after it
//   title      CMainWnd::updateTitle
//   lookup     the per-file read-only lookup and the mode it restores
//
// Every benchmark repeats three times, all repetitions in a random order;
// the table at the end gives each step's median, its spread and its share
// of open/ours.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_windows.h"
#include "document/document.h"
#include "editor/document/shortcut.h"
#include "editor/editing/edit_ctrl.h"
#include "editor/editing/text_mirror.h"
#include "editor/main_wnd.h"
#include "framework/app.h"
#include "open_fixture.h"
#include "orka/crypto/rijndael.h"
#include "orka/streams/crypt_stream.h"
#include "orka/streams/file_stream.h"
#include "orka/streams/zip_stream.h"
#include "orka/text/wide.h"

namespace {

// A read stream over bytes in memory, so that each filter of the document's
// chain can be timed without the one below it.
class BytesReadStream : public orka::DataReadStream {
 public:
  explicit BytesReadStream(const std::string& bytes) : bytes_(bytes) {}
  uint32_t read(void* buffer, uint32_t count) override {
    const uint32_t n = std::min<uint32_t>(count, size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
  }
  uint32_t size() override { return static_cast<uint32_t>(bytes_.size()); }
  void seek(int32_t offset, int) override { position_ = static_cast<uint32_t>(offset); }
  uint32_t tell() override { return position_; }
  bool isOpen() override { return true; }

 private:
  const std::string& bytes_;
  uint32_t position_ = 0;
};

// Everything `stream` gives, in pieces of a mebibyte as the reader takes them.
std::string drain(orka::DataReadStream& stream) {
  constexpr uint32_t kPiece = 1u << 20;
  std::string out;
  for (;;) {
    const size_t had = out.size();
    out.resize(had + kPiece);
    const uint32_t got = stream.read(out.data() + had, kPiece);
    out.resize(had + got);
    if (got < kPiece) return out;
  }
}

struct Steps {
  bench::OpenPaths p = bench::openPaths();
  tolvane::DocumentKey key{};
  std::unique_ptr<CMainWnd> window;
  HWND bare = nullptr;
  std::string file, deciphered;
  std::wstring wide;

  Steps() {
    bench::writeDocumentFile(p);
    key = tolvane::makeDocumentKey("");
    window = bench::startWindow(p);
    bare = bench::createFairBare(*window->editCtrl());
    bench::printSides(window->editCtrl()->hwnd(), bare);
    {
      orka::FileReadStream stream(p.document);
      file = drain(stream);
    }
    deciphered = decipher();
    wide = orka::ansiToWide(bench::documentText());
    // Both controls hold the text already, as they do at every open after
    // the first.
    window->openDocument(p.document);
    SetWindowTextW(bare, wide.c_str());
    bench::pump();
  }

  std::string decipher() const {
    orka::RijndaelBE cipher(orka::RijndaelBE::kCBC);
    cipher.setDecryptKey(key.data());
    orka::CryptReadStream stream(new BytesReadStream(file), &cipher);
    return drain(stream);
  }
};

Steps& steps() {
  static Steps s;
  return s;
}

void check(benchmark::State& state, bool ok) {
  if (!ok) state.SkipWithError("the step gave a wrong result");
}

void shortcut(benchmark::State& state) {
  Steps& s = steps();
  for (auto _ : state) check(state, !resolveShortcut(s.p.document, s.window->hwnd()));
}

void key(benchmark::State& state) {
  Steps& s = steps();
  for (auto _ : state) check(state, tolvane::makeDocumentKey("") == s.key);
}

void read(benchmark::State& state) {
  Steps& s = steps();
  for (auto _ : state) {
    orka::FileReadStream stream(s.p.document);
    check(state, drain(stream).size() == s.file.size());
  }
}

void decipher(benchmark::State& state) {
  Steps& s = steps();
  for (auto _ : state) check(state, s.decipher().size() == s.deciphered.size());
}

void inflate(benchmark::State& state) {
  Steps& s = steps();
  for (auto _ : state) {
    orka::ZipReadStream stream(new BytesReadStream(s.deciphered));
    check(state, drain(stream) == bench::documentText());
  }
}

void convert(benchmark::State& state) {
  Steps& s = steps();
  for (auto _ : state) check(state, orka::ansiToWide(bench::documentText()).size() == s.wide.size());
}

void mirror(benchmark::State& state) {
  Steps& s = steps();
  for (auto _ : state) {
    TextMirror mirror;
    mirror.assign(s.wide);
    check(state, mirror.byteLength() == static_cast<int>(bench::documentText().size()));
  }
}

void setText(benchmark::State& state, bool ours) {
  Steps& s = steps();
  EditCtrl& edit = *s.window->editCtrl();
  for (auto _ : state) {
    SetWindowTextW(ours ? edit.hwnd() : s.bare, s.wide.c_str());
    bench::pump();
    if (ours) {
      state.PauseTiming();
      // The editor's offsets follow the control again for the other steps.
      check(state, edit.textLength() == static_cast<int>(bench::documentText().size()));
      state.ResumeTiming();
    }
  }
}

void caret(benchmark::State& state) {
  EditCtrl& edit = *steps().window->editCtrl();
  for (auto _ : state) {
    edit.setSelection(0, 0);
    edit.send(EM_SCROLLCARET);
    const int line = edit.lineFromChar(-1);
    check(state, edit.selection().start == 0 && edit.lineIndex(line) == 0);
  }
}

void title(benchmark::State& state) {
  Steps& s = steps();
  for (auto _ : state) s.window->updateTitle();
}

void lookup(benchmark::State& state) {
  Steps& s = steps();
  for (auto _ : state) s.window->setReadOnlyMode(s.window->settings().readOnlyList.touch(s.p.document));
  check(state, !s.window->settings().readOnly);
}

void open(benchmark::State& state, bool ours) {
  Steps& s = steps();
  for (auto _ : state) bench::openOnce(s.p, *s.window, s.bare, ours);
  if (ours) check(state, s.window->editCtrl()->textLength() == static_cast<int>(bench::documentText().size()));
}

// The console's table, then one line per benchmark: the median of its
// repetitions, the fastest and slowest, and its share of open/ours.
class StepReporter : public bench::SummaryReporter {
 public:
  using SummaryReporter::SummaryReporter;

 protected:
  void collect(const Run& run) override {
    if (run.run_type == Run::RT_Iteration && !run.error_occurred)
      seconds_[run.run_name.function_name].push_back(run.GetAdjustedRealTime() / 1e3);
  }

  void summarise() override {
    const double whole = median("open/ours");
    std::printf("\n%-16s %10s %10s %10s %8s\n", "step", "median s", "min s", "max s", "of open");
    for (auto& [name, times] : seconds_) {
      std::sort(times.begin(), times.end());
      const double m = median(name);
      std::printf("%-16s %10.3f %10.3f %10.3f %7.1f%%\n", name.c_str(), m, times.front(), times.back(),
                  whole > 0 ? 100 * m / whole : 0.0);
    }
    const double bare = median("open/bare");
    if (whole > 0 && bare > 0) std::printf("open/ours / open/bare = %.3f\n", whole / bare);
  }

 private:
  double median(const std::string& name) {
    auto it = seconds_.find(name);
    if (it == seconds_.end() || it->second.empty()) return 0;
    std::vector<double> times = it->second;
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  }

  std::map<std::string, std::vector<double>> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  fw::CWinApp app;
  bench::useFixedSerial();
  using benchmark::RegisterBenchmark;
  const std::vector<std::pair<const char*, void (*)(benchmark::State&)>> simple = {
      {"step/shortcut", shortcut}, {"step/key", key},   {"step/read", read},   {"step/decipher", decipher},
      {"step/inflate", inflate},   {"step/convert", convert}, {"step/mirror", mirror},
      {"step/caret", caret},       {"step/title", title}, {"step/lookup", lookup}};
  std::vector<benchmark::internal::Benchmark*> all;
  for (const auto& [name, function] : simple) all.push_back(RegisterBenchmark(name, function));
  for (bool ours : {true, false}) {
    all.push_back(RegisterBenchmark(ours ? "step/settext/ours" : "step/settext/bare", setText, ours));
    all.push_back(RegisterBenchmark(ours ? "open/ours" : "open/bare", open, ours));
  }
  for (benchmark::internal::Benchmark* b : all)
    b->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)->UseRealTime();
  const std::string format = bench::displayFormat(argc, argv);
  bench::initializeInterleaved(argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  steps();  // the document and both windows, before any timing
  StepReporter reporter(format);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::fflush(stdout);
  steps().window.reset();
  return 0;
}
