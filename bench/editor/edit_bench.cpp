// Our edit control against the platform's bare EDIT control, both holding the
// same 64 MiB Japanese text, in one run:
//  - a typed character plus the position pane's update (selection start, its
//    line, the line's start), as the status bar asks at idle, against the
//    bare control taking the same character: the goal is at most 1.2 times;
//  - Select all + Copy;
//  - word wrap on and off as the command does it: the text out of the old
//    control, a new control with the other style, the text into it.
// Loading 64 MiB takes the control about 13 s under wine, so every benchmark
// shares one loaded control per side and runs few iterations.  The ratios
// are printed after the table.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench_windows.h"
#include "editor/editing/edit_ctrl.h"

namespace {

using bench::createBare;
using bench::makeParent;
using bench::pump;
using bench::toWide;

// Room for the keys typed during the run.
constexpr int kTextBytes = EditCtrl::kMaxBytes - 4096;

// Both sides, loaded once.  The caret stands in the middle of the text.
struct Documents {
  HWND oursParent = makeParent();
  HWND bareParent = makeParent();
  std::unique_ptr<EditCtrl> ours;
  HWND bare = nullptr;
  bool wrapped = false;

  Documents() {
    const std::string text = bench::japaneseText(kTextBytes);
    ours = bench::createOurs(oursParent, false);
    ours->setText(text);
    ours->setSelection(kTextBytes / 2, kTextBytes / 2);
    bare = createBare(bareParent, false);
    const std::wstring wide = toWide(text);
    SetWindowTextW(bare, wide.c_str());
    SendMessageW(bare, EM_SETSEL, wide.size() / 2, wide.size() / 2);
    pump();
  }
};

Documents& documents() {
  static Documents documents;
  return documents;
}

// What the status bar's position pane asks for after every key.
void updatePositionPane(const EditCtrl& edit) {
  int start = edit.selection().start;
  int line = edit.lineFromChar(-1);
  int lineStart = edit.lineIndex(line);
  char text[64];
  std::snprintf(text, sizeof text, "%d行、%d列", line + 1, start - lineStart + 1);
  benchmark::DoNotOptimize(text);
}

void typeKey(benchmark::State& state, bool ours) {
  Documents& d = documents();
  HWND target = ours ? d.ours->hwnd() : d.bare;
  SetFocus(target);  // as the user's keys find it
  if (ours) updatePositionPane(*d.ours);  // the offsets exist before the first key
  for (auto _ : state) {
    SendMessageW(target, WM_CHAR, 0x3042, 1);  // あ
    if (ours) updatePositionPane(*d.ours);
    pump();
    state.PauseTiming();
    SendMessageW(target, WM_CHAR, VK_BACK, 1);
    if (ours) updatePositionPane(*d.ours);
    pump();
    state.ResumeTiming();
  }
}

void selectAllAndCopy(benchmark::State& state, bool ours) {
  Documents& d = documents();
  SetFocus(ours ? d.ours->hwnd() : d.bare);
  for (auto _ : state) {
    if (ours) {
      d.ours->setSelection(0, -1);
      SendMessageW(d.ours->hwnd(), EM_SCROLLCARET, 0, 0);
      SendMessageW(d.ours->hwnd(), WM_COPY, 0, 0);
    } else {
      SendMessageW(d.bare, EM_SETSEL, 0, -1);
      SendMessageW(d.bare, EM_SCROLLCARET, 0, 0);
      SendMessageW(d.bare, WM_COPY, 0, 0);
    }
    pump();
  }
}

// Switches the shared control of one side to the other style.  Each pair runs
// ours first, then the bare one, which records the new state.
void switchWordWrap(benchmark::State& state, bool ours) {
  Documents& d = documents();
  for (auto _ : state) {
    const bool wrap = !d.wrapped;
    if (ours) {
      const std::string text = d.ours->text();
      const bool modified = d.ours->modified();
      std::unique_ptr<EditCtrl> next = bench::createOurs(d.oursParent, wrap);
      next->setText(text);
      next->setModified(modified);
      d.ours = std::move(next);
    } else {
      std::wstring text(static_cast<size_t>(GetWindowTextLengthW(d.bare)) + 1, L'\0');
      text.resize(static_cast<size_t>(GetWindowTextW(d.bare, text.data(), static_cast<int>(text.size()))));
      const LRESULT modified = SendMessageW(d.bare, EM_GETMODIFY, 0, 0);
      HWND next = createBare(d.bareParent, wrap);
      SetFocus(next);  // as createEditCtrl does
      SetWindowTextW(next, text.c_str());
      SendMessageW(next, EM_SETMODIFY, modified, 0);
      DestroyWindow(d.bare);
      d.bare = next;
    }
    pump();
    if (!ours) d.wrapped = wrap;  // the bare side runs second in each pair
  }
}

}  // namespace

int main(int argc, char** argv) {
  using benchmark::RegisterBenchmark;
  RegisterBenchmark("type_key_and_pane/ours", typeKey, true)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("type_key_and_pane/bare", typeKey, false)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("select_all_copy/ours", selectAllAndCopy, true)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("select_all_copy/bare", selectAllAndCopy, false)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("word_wrap_on/ours", switchWordWrap, true)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("word_wrap_on/bare", switchWordWrap, false)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("word_wrap_off/ours", switchWordWrap, true)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("word_wrap_off/bare", switchWordWrap, false)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::RatioReporter reporter(bench::RatioReporter::oursAgainstBare({"type_key_and_pane", "select_all_copy", "word_wrap_on", "word_wrap_off"}));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
