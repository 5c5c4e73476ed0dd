// The viewer keys of read-only mode: single characters that scroll the text
// instead of being typed, in the manner of a pager ("j" a line, space a page,
// "q" to quit).  Letters are case-sensitive: "J" pages where "j" steps.
#pragma once

#include <windows.h>

struct ViewerKey {
  enum Kind { None, Exit, Scroll };
  Kind kind = None;
  UINT message = 0;  // WM_VSCROLL or WM_HSCROLL for Scroll
  WPARAM code = 0;   // the SB_* scroll code
};

// What character `ch` of a WM_CHAR does in read-only mode.
ViewerKey viewerKey(WPARAM ch);
