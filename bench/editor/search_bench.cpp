// The editor's search against its own parts, in one run under wine:
//  - Find next on a 64 MiB Japanese document whose only hit is at the very
//    end, against the engine alone on the same bytes (goal: at most 1.3x),
//    and against the engine plus selecting and scrolling to the same hit in
//    a bare EDIT control holding the same text ("bare"); once with the
//    control's repaint in the timing and once without ("unpainted"), since
//    drawing lines near the end of a long text costs the control seconds of
//    its own whoever asks for it;
//  - a thousand Find next presses over the same document with a hit every
//    64 KiB, against one engine pass and against the same thousand steps on
//    the bare control: the text is converted once, not a thousand times;
//  - Replace all of 100,000 matches in an 8 MiB text, against building the
//    new text and putting it into a bare EDIT control once (goal: at most
//    1.3x).  Each iteration swaps two tokens of the same length back and
//    forth, so the text keeps its size and match count.
// Loading 64 MiB takes the control about 13 s under wine, so the documents
// are loaded once and the iteration counts are small.  Ratios follow the
// table.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench_windows.h"
#include "editor/editing/edit_ctrl.h"
#include "editor/search/searcher.h"
#include "editor/search/text_search.h"
#include "orka/text/codepage.h"

namespace {

using bench::makeParent;
using bench::pump;
using bench::RatioReporter;
using bench::toWide;

constexpr size_t kLargeBytes = 64u << 20;
constexpr size_t kPeriodBytes = 64u << 10;
constexpr size_t kReplaceBytes = 8u << 20;
constexpr int kReplaceMatches = 100000;

// Katakana: bench::japaneseText never makes them (its lead bytes are 0x82 and
// 0x89-0x97), so they are found only where they were put.
const char* const kEndWord = "ミツケタイコトバ";
const char* const kMark = "シルシ";
const char* const kTokenA = "アイウ";
const char* const kTokenB = "カキク";

std::string sjis(const char* utf8) {
  auto bytes = orka::utf8ToCodePage(utf8, 932);
  if (!bytes) std::abort();
  return *bytes;
}

std::unique_ptr<EditCtrl> makeEdit(HWND parent, const std::string& text) {
  std::unique_ptr<EditCtrl> edit = bench::createOurs(parent, false);
  edit->setText(text);
  edit->setSelection(0, 0);
  pump();
  return edit;
}

HWND makeBare(HWND parent, const std::string& text) {
  HWND bare = bench::createBare(parent, false);
  SetWindowTextW(bare, toWide(text).c_str());
  pump();
  return bare;
}

// 64 MiB with kMark every 64 KiB and kEndWord once, at the very end.  The
// editor's control and a bare one hold it; the bare side searches the bytes
// kept here, with the engine, and selects in UTF-16 units (the filler and
// the words are all double-byte, so a unit is two bytes).
struct LargeDocument {
  HWND parent = makeParent();
  std::string text;
  std::unique_ptr<EditCtrl> edit;
  HWND bare = nullptr;

  LargeDocument() {
    const std::string mark = sjis(kMark);
    const std::string endWord = sjis(kEndWord);
    const std::string period = bench::japaneseText(static_cast<int>(kPeriodBytes - mark.size())) + mark;
    text.reserve(kLargeBytes);
    while (text.size() + kPeriodBytes < kLargeBytes) text += period;
    text += bench::japaneseText(static_cast<int>(kLargeBytes - text.size() - endWord.size())) + endWord;
    edit = makeEdit(parent, text);
    bare = makeBare(makeParent(), text);
  }
};

LargeDocument& large() {
  static LargeDocument document;
  return document;
}

// 8 MiB with kReplaceMatches tokens spread evenly; the editor's copy and the
// bare control's copy.
struct ReplaceDocuments {
  HWND parent = makeParent();
  std::string text;  // the bare side's current text
  std::unique_ptr<EditCtrl> edit;
  HWND bare = nullptr;
  bool editHoldsA = true;
  bool bareHoldsA = true;

  ReplaceDocuments() {
    const std::string token = sjis(kTokenA);
    const std::string period =
        bench::japaneseText(static_cast<int>(kReplaceBytes / kReplaceMatches - token.size())) + token;
    text.reserve(period.size() * kReplaceMatches);
    for (int i = 0; i < kReplaceMatches; ++i) text += period;
    edit = makeEdit(parent, text);
    bare = makeBare(parent, text);
  }
};

ReplaceDocuments& replaceDocuments() {
  static ReplaceDocuments documents;
  return documents;
}

// Puts the caret back at the top of the view, outside the timing.
void backToTop(benchmark::State& state, EditCtrl& edit) {
  state.PauseTiming();
  edit.setSelection(0, 0);
  edit.send(EM_SCROLLCARET);
  pump();
  state.ResumeTiming();
}

// Lets the control repaint, inside the timing or outside it.  Painting lines
// near the end of a long text is the control's own cost (it walks its line
// list from the top for every line it draws), the same for any caller.
void repaint(benchmark::State& state, bool timed) {
  if (timed) return pump();
  state.PauseTiming();
  pump();
  state.ResumeTiming();
}

// `presses` times Find next from the top; the last hit must start at `last`.
void pressFindNext(benchmark::State& state, const char* word, int presses, size_t last,
                   bool paintTimed = true) {
  LargeDocument& d = large();
  TextSearch search;
  search.searchText = word;
  for (auto _ : state) {
    backToTop(state, *d.edit);
    for (int i = 0; i < presses; ++i) {
      if (!search.findNext(*d.edit)) state.SkipWithError("not found");
    }
    repaint(state, paintTimed);
  }
  if (d.edit->selection().start != static_cast<int>(last)) state.SkipWithError("wrong last hit");
}

void findAtEndEditor(benchmark::State& state) {
  pressFindNext(state, kEndWord, 1, kLargeBytes - sjis(kEndWord).size());
}

void findAtEndEditorUnpainted(benchmark::State& state) {
  pressFindNext(state, kEndWord, 1, kLargeBytes - sjis(kEndWord).size(), false);
}

void thousandPresses(benchmark::State& state) {
  pressFindNext(state, kMark, 1000, 1000 * kPeriodBytes - sjis(kMark).size());
}

// Positions in the bare control (UTF-16 units) of ascending byte offsets of
// the large text, each at a character start.
std::vector<int> widePositions(const std::string& text, const std::vector<size_t>& offsets) {
  std::vector<int> out;
  size_t i = 0;
  int units = 0;
  for (size_t offset : offsets) {
    for (; i < offset; ++units) i += (static_cast<unsigned char>(text[i]) >= 0x80) ? 2 : 1;
    out.push_back(units);
  }
  return out;
}

void backToTopBare(benchmark::State& state, HWND bare) {
  state.PauseTiming();
  SendMessageW(bare, EM_SETSEL, 0, 0);
  SendMessageW(bare, EM_SCROLLCARET, 0, 0);
  pump();
  state.ResumeTiming();
}

// The engine finds, the bare control selects and scrolls: what any search
// in this control costs at the least.
void findAtEndBare(benchmark::State& state, bool paintTimed) {
  LargeDocument& d = large();
  const std::string word = sjis(kEndWord);
  const size_t hitAt = d.text.size() - word.size();
  const int wideStart = widePositions(d.text, {hitAt})[0];
  for (auto _ : state) {
    backToTopBare(state, d.bare);
    const search::Searcher searcher(systemCodePage(), word, true);
    auto hit = searcher.findNext(d.text, 0, 0, true);
    if (!hit || *hit != hitAt) state.SkipWithError("not found");
    SendMessageW(d.bare, EM_SETSEL, wideStart, wideStart + static_cast<int>(word.size() / 2));
    SendMessageW(d.bare, EM_SCROLLCARET, 0, 0);
    repaint(state, paintTimed);
  }
}

void thousandPressesBare(benchmark::State& state) {
  LargeDocument& d = large();
  const std::string mark = sjis(kMark);
  std::vector<size_t> marks;
  for (size_t i = 1; i <= 1000; ++i) marks.push_back(i * kPeriodBytes - mark.size());
  const std::vector<int> wideStarts = widePositions(d.text, marks);
  for (auto _ : state) {
    backToTopBare(state, d.bare);
    const search::Searcher searcher(systemCodePage(), mark, true);
    size_t start = 0, end = 0;
    for (int i = 0; i < 1000; ++i) {
      auto hit = searcher.findNext(d.text, start, end, true);
      if (!hit) state.SkipWithError("not found");
      start = *hit;
      end = start + mark.size();
      SendMessageW(d.bare, EM_SETSEL, wideStarts[i], wideStarts[i] + static_cast<int>(mark.size() / 2));
      SendMessageW(d.bare, EM_SCROLLCARET, 0, 0);
    }
    pump();
  }
}

void findAtEndEngine(benchmark::State& state) {
  LargeDocument& d = large();
  EditTextLock lock = lockEditText(*d.edit);
  const std::string_view text(lock.text, static_cast<size_t>(lock.length));
  const search::Searcher searcher(systemCodePage(), sjis(kEndWord), true);
  for (auto _ : state) {
    auto hit = searcher.findNext(text, 0, 0, true);
    benchmark::DoNotOptimize(hit);
    if (!hit) state.SkipWithError("not found");
  }
  unlockEditText(lock);
}

void replaceAllEditor(benchmark::State& state) {
  ReplaceDocuments& d = replaceDocuments();
  TextSearch search;
  for (auto _ : state) {
    search.searchText = d.editHoldsA ? kTokenA : kTokenB;
    search.replaceText = d.editHoldsA ? kTokenB : kTokenA;
    search.replaceAll(*d.edit);
    pump();
    d.editHoldsA = !d.editHoldsA;
  }
}

void replaceAllBare(benchmark::State& state) {
  ReplaceDocuments& d = replaceDocuments();
  for (auto _ : state) {
    const search::Searcher searcher(systemCodePage(), sjis(d.bareHoldsA ? kTokenA : kTokenB), true);
    std::string replaced;
    if (searcher.replaceAll(d.text, sjis(d.bareHoldsA ? kTokenB : kTokenA), replaced) != kReplaceMatches)
      state.SkipWithError("wrong match count");
    const std::wstring wide = toWide(replaced);
    SendMessageW(d.bare, EM_SETSEL, 0, -1);
    SendMessageW(d.bare, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
    pump();
    d.text = std::move(replaced);
    d.bareHoldsA = !d.bareHoldsA;
  }
}

}  // namespace

int main(int argc, char** argv) {
  using benchmark::RegisterBenchmark;
  const auto ms = benchmark::kMillisecond;
  RegisterBenchmark("find_at_end/engine", findAtEndEngine)->Iterations(20)->Unit(ms)->UseRealTime();
  RegisterBenchmark("find_at_end/bare", findAtEndBare, true)->Iterations(5)->Unit(ms)->UseRealTime();
  RegisterBenchmark("find_at_end/editor", findAtEndEditor)->Iterations(5)->Unit(ms)->UseRealTime();
  RegisterBenchmark("find_at_end_unpainted/bare", findAtEndBare, false)
      ->Iterations(5)
      ->Unit(ms)
      ->UseRealTime();
  RegisterBenchmark("find_at_end_unpainted/editor", findAtEndEditorUnpainted)
      ->Iterations(5)
      ->Unit(ms)
      ->UseRealTime();
  RegisterBenchmark("thousand_presses/bare", thousandPressesBare)->Iterations(1)->Unit(ms)->UseRealTime();
  RegisterBenchmark("thousand_presses/editor", thousandPresses)->Iterations(1)->Unit(ms)->UseRealTime();
  RegisterBenchmark("replace_all/bare", replaceAllBare)->Iterations(4)->Unit(ms)->UseRealTime();
  RegisterBenchmark("replace_all/editor", replaceAllEditor)->Iterations(4)->Unit(ms)->UseRealTime();
  const std::string format = bench::displayFormat(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter(format, {{"find_at_end/editor", "find_at_end/engine"},
                                  {"find_at_end/editor", "find_at_end/bare"},
                                  {"find_at_end_unpainted/editor", "find_at_end/engine"},
                                  {"find_at_end_unpainted/editor", "find_at_end_unpainted/bare"},
                                  {"thousand_presses/editor", "find_at_end/engine"},
                                  {"thousand_presses/editor", "thousand_presses/bare"},
                                  {"replace_all/editor", "replace_all/bare"}});
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
