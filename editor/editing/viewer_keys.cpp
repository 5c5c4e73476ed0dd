#include "editor/editing/viewer_keys.h"

ViewerKey viewerKey(WPARAM ch) {
  auto v = [](WPARAM code) { return ViewerKey{ViewerKey::Scroll, WM_VSCROLL, code}; };
  auto h = [](WPARAM code) { return ViewerKey{ViewerKey::Scroll, WM_HSCROLL, code}; };
  switch (ch) {
    case 27:
    case 'q':
      return ViewerKey{ViewerKey::Exit};
    case ' ':
    case 'J':
    case 'f':
      return v(SB_PAGEDOWN);
    case 'K':
    case 'b':
      return v(SB_PAGEUP);
    case 'j':
      return v(SB_LINEDOWN);
    case 'k':
      return v(SB_LINEUP);
    case 'g':
    case 'p':
      return v(SB_TOP);
    case 'G':
      return v(SB_BOTTOM);
    case ',':
    case 'h':
      return h(SB_LINELEFT);
    case '.':
    case 'l':
      return h(SB_LINERIGHT);
    case 'H':
      return h(SB_PAGELEFT);
    case 'L':
      return h(SB_PAGERIGHT);
    case '<':
      return h(SB_LEFT);
    case '>':
      return h(SB_RIGHT);
    default:
      return ViewerKey{};
  }
}
