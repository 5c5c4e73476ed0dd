// Opening and saving a 64 MiB Japanese document through the editor's main
// window, against the same work done with the bare platform control, in one
// run:
//  - open/ours: openDocument as the user gets it (shortcut check, the
//    default password tried silently, read, decipher, inflate, convert, into
//    the control, title, per-file read-only lookup) against open/bare:
//    readDocument, the conversion and SetWindowTextW into a bare EDIT
//    control with the editor's font and size (open_fixture.h).  Goal: at
//    most 1.1 times.
//  - save/ours: Save after an edit (the text out of the control, writeDocument)
//    against save/bare: GetWindowTextW, the conversion and writeDocument.
//    Goal: at most 1.2 times.
// Afterwards a fresh process of this program opens the document once more
// and reports its memory peak over what the empty window held, in copies of
// the text.  Loading 64 MiB takes the control 13 s or more under wine, so
// each side opens three times, in turns with the other side so that a busy
// machine slows both alike, and the ratio is that of the medians.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "bench_windows.h"
#include "document/document.h"
#include "editor/main_wnd.h"
#include "framework/app.h"
#include "framework/wnd.h"
#include "open_fixture.h"

namespace {

constexpr int kTextBytes = EditCtrl::kMaxBytes;

struct Sides {
  bench::OpenPaths p = bench::openPaths();
  std::unique_ptr<CMainWnd> ours;
  HWND bare = nullptr;

  Sides() {
    bench::writeDocumentFile(p);
    ours = bench::startWindow(p);
    bare = bench::createFairBare(*ours->editCtrl());
    bench::printSides(ours->editCtrl()->hwnd(), bare);
  }
};

Sides& sides() {
  static Sides s;
  return s;
}

void open(benchmark::State& state, bool ours) {
  Sides& s = sides();
  for (auto _ : state) bench::openOnce(s.p, *s.ours, s.bare, ours);
  if (ours && s.ours->editCtrl()->textLength() != kTextBytes) state.SkipWithError("the document did not open");
}

// Opens the document into one side unless its control holds it already:
// a save must save the whole text whichever benchmarks ran before it, or
// none (--benchmark_filter), and an empty control saves in no time at all.
void holdDocument(Sides& s, bool ours) {
  HWND edit = ours ? s.ours->editCtrl()->hwnd() : s.bare;
  if (GetWindowTextLengthW(edit) == 0) bench::openOnce(s.p, *s.ours, s.bare, ours);
}

void save(benchmark::State& state, bool ours) {
  Sides& s = sides();
  holdDocument(s, ours);
  HWND edit = ours ? s.ours->editCtrl()->hwnd() : s.bare;
  const tolvane::DocumentKey key = tolvane::makeDocumentKey("");
  for (auto _ : state) {
    state.PauseTiming();
    // An edit, so that nothing of the text is at hand from before.
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, WM_CHAR, 0x3042, 1);
    bench::pump();
    state.ResumeTiming();
    if (ours) {
      if (!s.ours->saveDocument()) state.SkipWithError("the save failed");
    } else {
      const std::wstring wide = fw::wideWindowTextOf(edit);
      const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                        nullptr, nullptr);
      std::string text(static_cast<size_t>(n), '\0');
      WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr, nullptr);
      tolvane::writeDocument(s.p.bareDocument, key, text.data(), static_cast<uint32_t>(text.size()));
    }
  }
  if (ours && s.ours->editCtrl()->textLength() < kTextBytes)
    state.SkipWithError("the document was not there");
}

double mebibytes(SIZE_T bytes) { return static_cast<double>(bytes) / (1 << 20); }

// Run in a process of its own: opens the document once into a fresh window
// and prints the peak over what the window held before.
int measureMemory() {
  bench::useFixedSerial();
  const bench::OpenPaths p = bench::openPaths();
  std::unique_ptr<CMainWnd> window = bench::startWindow(p);
  PROCESS_MEMORY_COUNTERS before{};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
  window->openDocument(p.document);
  bench::pump();
  PROCESS_MEMORY_COUNTERS after{};
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
  const double text = mebibytes(kTextBytes);
  const double peakPrivate = mebibytes(after.PeakPagefileUsage - before.PagefileUsage);
  const double peakResident = mebibytes(after.PeakWorkingSetSize - before.WorkingSetSize);
  std::fprintf(
      stderr,
      "open peak over the empty window: private %.0f MiB (%.2f texts), resident %.0f MiB (%.2f texts); "
      "text %.0f MiB\n",
      peakPrivate, peakPrivate / text, peakResident, peakResident / text, text);
  return window->editCtrl()->textLength() == kTextBytes ? 0 : 1;
}

void runMemoryProcess() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" --memory";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "the memory run could not start\n");
    return;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace

int main(int argc, char** argv) {
  fw::CWinApp app;
  if (argc > 1 && std::strcmp(argv[1], "--memory") == 0) return measureMemory();
  bench::useFixedSerial();
  using benchmark::RegisterBenchmark;
  for (bool ours : {true, false}) {
    RegisterBenchmark(ours ? "open/ours" : "open/bare", open, ours)
        ->Iterations(1)
        ->Repetitions(3)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  for (bool ours : {true, false}) {
    RegisterBenchmark(ours ? "save/ours" : "save/bare", save, ours)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  const std::string format = bench::displayFormat(argc, argv);
  bench::initializeInterleaved(argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  sides();  // the document and both windows, before any timing
  bench::RatioReporter reporter(format, bench::RatioReporter::oursAgainstBare({"open", "save"}));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::fflush(stdout);
  runMemoryProcess();
  sides().ours.reset();
  return 0;
}
