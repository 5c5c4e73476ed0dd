// Pieces shared by the editor's benchmarks: the 64 MiB Japanese sample, the
// bare platform EDIT control they compare against, and a message pump (and
// the ratio report that all benchmarks share).
#pragma once

#include <windows.h>

#include <benchmark/benchmark.h>

#include "bench/ratio/ratio_reporter.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class EditCtrl;

namespace bench {

// `bytes` of lines of 20 to 60 double-byte characters (kanji rows and
// hiragana) with CR LF, in code page 932; the same text on every call.  An
// odd size ends in a space, never in half a character.
std::string japaneseText(int bytes);
// `ansi` (code page 932) as UTF-16.
std::wstring toWide(const std::string& ansi);

void pump();
// A visible top-level window to hold one side's control.
HWND makeParent();
// Our edit control, empty and at the bare control's size.
std::unique_ptr<EditCtrl> createOurs(HWND parent, bool wordWrap);
// The platform's EDIT control, styled as ours, with the 64 MiB limit.
HWND createBare(HWND parent, bool wordWrap);

// benchmark::Initialize with the repetitions of all benchmarks run in a
// random order, unless the command line says otherwise: on a shared machine
// both sides of a comparison then meet the same load.
void initializeInterleaved(int& argc, char** argv);

}  // namespace bench
