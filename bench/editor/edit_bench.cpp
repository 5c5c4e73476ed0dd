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

#include "bench_support.h"
#include "editor/edit_ctrl.h"

namespace {

using bench_support::makeParent;
using bench_support::pump;
using bench_support::RatioReporter;
using bench_support::toWide;

// Room for the keys typed during the run.
constexpr int kTextBytes = EditCtrl::kMaxBytes - 4096;

// Lines of 20 to 60 double-byte characters (kanji rows and hiragana) with
// CR LF, in code page 932.
std::string japaneseText() {
  uint32_t x = 20261208;
  auto next = [&x](uint32_t n) {
    x = x * 1664525u + 1013904223u;
    return (x >> 8) % n;
  };
  std::string text;
  text.reserve(static_cast<size_t>(kTextBytes) + 128);
  while (text.size() < static_cast<size_t>(kTextBytes)) {
    for (uint32_t n = 20 + next(41); n > 0; --n) {
      if (next(3) == 0) {
        text += '\x82';
        text += static_cast<char>(0x9F + next(0x52));  // hiragana
      } else {
        text += static_cast<char>(0x89 + next(15));  // common kanji rows
        unsigned trail = 0x40 + next(0xBC);
        if (trail >= 0x7F) ++trail;
        text += static_cast<char>(trail);
      }
    }
    text += "\r\n";
  }
  text.resize(static_cast<size_t>(kTextBytes));
  return text;
}

HWND createBare(HWND parent, bool wordWrap) {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL;
  if (!wordWrap) style |= WS_HSCROLL | ES_AUTOHSCROLL;
  HWND bare = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", style, 0, 0, 780, 560, parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!bare) std::abort();
  SendMessageW(bare, EM_LIMITTEXT, EditCtrl::kMaxBytes, 0);
  return bare;
}

// Both sides, loaded once.  The caret stands in the middle of the text.
struct Documents {
  HWND oursParent = makeParent(L"editor_bench");
  HWND bareParent = makeParent(L"editor_bench");
  std::unique_ptr<EditCtrl> ours;
  HWND bare = nullptr;
  bool wrapped = false;

  Documents() {
    const std::string text = japaneseText();
    ours = createEditCtrl(oursParent, false, nullptr, false);
    if (!ours) std::abort();
    MoveWindow(ours->hwnd(), 0, 0, 780, 560, TRUE);
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
      std::unique_ptr<EditCtrl> next = createEditCtrl(d.oursParent, wrap, nullptr, false);
      next->setText(text);
      next->setModified(modified);
      MoveWindow(next->hwnd(), 0, 0, 780, 560, TRUE);
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
  RatioReporter reporter({{"type_key_and_pane/ours", "type_key_and_pane/bare"},
                           {"select_all_copy/ours", "select_all_copy/bare"},
                           {"word_wrap_on/ours", "word_wrap_on/bare"},
                           {"word_wrap_off/ours", "word_wrap_off/bare"}});
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
