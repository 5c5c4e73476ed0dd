// Our edit control against the platform's bare EDIT control, both holding the
// same 64 MiB Japanese text, in one run:
//  - a typed character plus the position pane's update (selection start, its
//    line, the line's start), as the status bar asks at idle, against the
//    bare control taking the same character: the goal is at most 1.2 times;
//  - Select all + Copy;
//  - word wrap on and off as the command does it: the text out of the old
//    control, a new control with the other style, the text into it.
// Loading 64 MiB takes the control about 13 s under wine, so every benchmark
// shares one loaded control per side and runs few iterations; each sets the
// caret and the style it needs itself, whatever ran before it.  The ratios
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
#include "framework/wnd.h"

namespace {

using bench::createBare;
using bench::makeParent;
using bench::pump;
using bench::toWide;

// Room for the keys typed during the run.
constexpr int kTextBytes = EditCtrl::kMaxBytes - 4096;

// Both sides, loaded once by whichever benchmark runs first.  Every
// benchmark puts the caret and the style where it needs them itself, since
// the order they run in is random and --benchmark_filter may pick any one.
struct Documents {
  HWND oursParent = makeParent();
  HWND bareParent = makeParent();
  std::unique_ptr<EditCtrl> ours;
  HWND bare = nullptr;
  bool oursWrapped = false;
  bool bareWrapped = false;

  Documents() {
    const std::string text = bench::japaneseText(kTextBytes);
    ours = bench::createOurs(oursParent, false);
    ours->setText(text);
    bare = createBare(bareParent, false);
    SetWindowTextW(bare, toWide(text).c_str());
    pump();
  }

  // The caret in the middle of the text, nothing selected.
  void caretToMiddle(bool onOurs) {
    if (onOurs) {
      ours->setSelection(kTextBytes / 2, kTextBytes / 2);
    } else {
      const LRESULT middle = GetWindowTextLengthW(bare) / 2;
      SendMessageW(bare, EM_SETSEL, middle, middle);
    }
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
  d.caretToMiddle(ours);  // a key typed over a selection would replace it
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

// The shared control of one side made anew in the other style, as the
// command does it.
void restyle(Documents& d, bool ours, bool wrap) {
  if (ours) {
    const std::string text = d.ours->text();
    const bool modified = d.ours->modified();
    std::unique_ptr<EditCtrl> next = bench::createOurs(d.oursParent, wrap);
    next->setText(text);
    next->setModified(modified);
    d.ours = std::move(next);
    d.oursWrapped = wrap;
  } else {
    const std::wstring text = fw::wideWindowTextOf(d.bare);
    const LRESULT modified = SendMessageW(d.bare, EM_GETMODIFY, 0, 0);
    HWND next = createBare(d.bareParent, wrap);
    SetFocus(next);  // as createEditCtrl does
    SetWindowTextW(next, text.c_str());
    SendMessageW(next, EM_SETMODIFY, modified, 0);
    DestroyWindow(d.bare);
    d.bare = next;
    d.bareWrapped = wrap;
  }
  pump();
}

// Switches one side's control to `wrap`, from the other style: a control
// already in that style is switched back first, outside the timing.
void switchWordWrap(benchmark::State& state, bool ours, bool wrap) {
  Documents& d = documents();
  for (auto _ : state) {
    if ((ours ? d.oursWrapped : d.bareWrapped) == wrap) {
      state.PauseTiming();
      restyle(d, ours, !wrap);
      state.ResumeTiming();
    }
    restyle(d, ours, wrap);
  }
}

}  // namespace

int main(int argc, char** argv) {
  using benchmark::RegisterBenchmark;
  RegisterBenchmark("type_key_and_pane/ours", typeKey, true)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("type_key_and_pane/bare", typeKey, false)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("select_all_copy/ours", selectAllAndCopy, true)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("select_all_copy/bare", selectAllAndCopy, false)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("word_wrap_on/ours", switchWordWrap, true, true)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("word_wrap_on/bare", switchWordWrap, false, true)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("word_wrap_off/ours", switchWordWrap, true, false)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  RegisterBenchmark("word_wrap_off/bare", switchWordWrap, false, false)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  const std::string format = bench::displayFormat(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::RatioReporter reporter(
      format, bench::RatioReporter::oursAgainstBare(
                  {"type_key_and_pane", "select_all_copy", "word_wrap_on", "word_wrap_off"}));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
