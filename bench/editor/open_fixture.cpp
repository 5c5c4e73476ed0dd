#include "open_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "bench_windows.h"
#include "document/document.h"
#include "document/machine_serial.h"
#include "editor/editing/edit_ctrl.h"
#include "editor/main_wnd.h"
#include "editor/my_app.h"
#include "orka/text/wide.h"
#include "settings/log_font_win32.h"
#include "settings/settings.h"

namespace bench {

OpenPaths openPaths() {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / "tolvane-open-save-bench";
  fs::create_directories(folder);
  return {folder.u8string(), (folder / "document.vtxt").u8string(), (folder / "bare.vtxt").u8string(),
          (folder / "tolvane.dat").u8string()};
}

const std::string& documentText() {
  static const std::string text = japaneseText(EditCtrl::kMaxBytes);
  return text;
}

void writeDocumentFile(const OpenPaths& p) {
  const std::string& text = documentText();
  tolvane::writeDocument(p.document, tolvane::makeDocumentKey(""), text.data(),
                         static_cast<uint32_t>(text.size()));
}

void useFixedSerial() {
  tolvane::setMachineSerialSource([] { return std::optional<std::string>("BENCH-SERIAL"); });
}

std::unique_ptr<CMainWnd> startWindow(const OpenPaths& p) {
  Settings settings;
  settings.hidePasswordDialog = true;
  settings.perFileReadOnly = true;
  settings.save(p.settings);
  StartupOptions options;
  options.settingsPath = p.settings;
  options.showCommand = SW_SHOWNOACTIVATE;
  std::unique_ptr<CMainWnd> window = startEditor(options);
  if (!window) std::abort();
  pump();
  return window;
}

HFONT editorDefaultFont() {
  const LOGFONTA font = toSystemLogFontA(Settings().font);
  return CreateFontIndirectA(&font);
}

HWND createFairBare(const EditCtrl& ours) {
  RECT control{};
  GetWindowRect(ours.hwnd(), &control);
  RECT editor{};
  GetWindowRect(GetAncestor(ours.hwnd(), GA_ROOT), &editor);
  // A parent whose client area just holds the control, to the right of the
  // editor's window.
  const DWORD parentStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  RECT frame = {0, 0, control.right - control.left, control.bottom - control.top};
  AdjustWindowRectEx(&frame, parentStyle, FALSE, 0);
  HWND parent = CreateWindowExW(0, L"STATIC", L"bare", parentStyle, editor.right, editor.top,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!parent) std::abort();
  const LONG style = GetWindowLongW(ours.hwnd(), GWL_STYLE);
  const bool wordWrap = (style & ES_AUTOHSCROLL) == 0;
  HWND bare = createBare(parent, wordWrap);
  SendMessageW(bare, WM_SETFONT, reinterpret_cast<WPARAM>(editorDefaultFont()), FALSE);
  MoveWindow(bare, 0, 0, control.right - control.left, control.bottom - control.top, TRUE);
  pump();
  return bare;
}

void openOnce(const OpenPaths& p, CMainWnd& editor, HWND bare, bool ours) {
  if (ours) {
    editor.openDocument(p.document);
  } else {
    auto stream = tolvane::readDocument(p.document, tolvane::makeDocumentKey(""));
    const std::wstring wide = orka::ansiToWide(reinterpret_cast<const char*>(stream->data()));
    stream.reset();
    SetWindowTextW(bare, wide.c_str());
  }
  pump();
}

std::string resolvedFace(HWND control) {
  HDC dc = GetDC(control);
  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  std::string resolved = orka::narrow(face);
  // A substituted face keeps the name asked for; the outline metrics name
  // the family of the font that actually draws.
  if (UINT size = GetOutlineTextMetricsW(dc, 0, nullptr)) {
    std::vector<char> buffer(size);
    auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
    if (GetOutlineTextMetricsW(dc, size, metrics))
      resolved += " (" + orka::narrow(reinterpret_cast<const wchar_t*>(buffer.data() +
                                                                       reinterpret_cast<size_t>(metrics->otmpFamilyName))) +
                  ")";
  }
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return resolved;
}

void printSides(HWND ours, HWND bare) {
  for (HWND control : {ours, bare}) {
    RECT client{};
    GetClientRect(control, &client);
    std::fprintf(stderr, "%-5s control: font \"%s\", client %ld x %ld\n", control == ours ? "ours" : "bare",
                 resolvedFace(control).c_str(), client.right, client.bottom);
  }
}

}  // namespace bench
