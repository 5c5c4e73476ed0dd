#include "bench_windows.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "editor/editing/edit_ctrl.h"

namespace bench {

std::string japaneseText(int bytes) {
  uint32_t x = 20261208;
  auto next = [&x](uint32_t n) {
    x = x * 1664525u + 1013904223u;
    return (x >> 8) % n;
  };
  std::string text;
  text.reserve(static_cast<size_t>(bytes) + 128);
  while (text.size() < static_cast<size_t>(bytes)) {
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
  text.resize(static_cast<size_t>(bytes));
  // Every character and line end takes two bytes: an odd size cuts the last
  // character, whose lead byte would join whatever follows.
  if (bytes % 2 != 0) text.back() = ' ';
  return text;
}

std::wstring toWide(const std::string& ansi) {
  int n = MultiByteToWideChar(932, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(932, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  return wide;
}

void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

HWND makeParent() {
  HWND parent = CreateWindowExW(0, L"STATIC", L"editor_bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                                600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!parent) std::abort();
  return parent;
}

std::unique_ptr<EditCtrl> createOurs(HWND parent, bool wordWrap) {
  std::unique_ptr<EditCtrl> ours = createEditCtrl(parent, wordWrap, nullptr, false);
  if (!ours) std::abort();
  // Sized before any text goes in: a wrapping control lays out its whole
  // text again on every change of its size.
  MoveWindow(ours->hwnd(), 0, 0, 780, 560, TRUE);
  return ours;
}

HWND createBare(HWND parent, bool wordWrap) {
  DWORD style =
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL;
  if (!wordWrap) style |= WS_HSCROLL | ES_AUTOHSCROLL;
  HWND bare = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", style, 0, 0, 780, 560, parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!bare) std::abort();
  SendMessageW(bare, EM_LIMITTEXT, EditCtrl::kMaxBytes, 0);
  return bare;
}

void initializeInterleaved(int& argc, char** argv) {
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  // Ours goes first, so that a flag given on the command line wins.
  static std::vector<char*> args;
  args.assign(argv, argv + argc);
  args.insert(args.begin() + (argc > 0 ? 1 : 0), interleave);
  args.push_back(nullptr);
  int count = static_cast<int>(args.size()) - 1;
  benchmark::Initialize(&count, args.data());
  // Whatever Initialize did not take stays for the caller to report.
  argc = count;
  for (int i = 0; i < count; ++i) argv[i] = args[static_cast<size_t>(i)];
}

}  // namespace bench
