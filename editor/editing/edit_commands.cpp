#include "editor/editing/edit_commands.h"

#include <utility>

#include "editor/document/open_document.h"
#include "editor/editing/read_only_mode.h"
#include "editor/res/resource.h"
#include "editor/window_host.h"
#include "framework/common_dialogs.h"
#include "settings/log_font_win32.h"
#include "settings/settings.h"

EditCommands::EditCommands(WindowHost& host, OpenDocument& document, Settings& settings,
                           ReadOnlyMode& readOnly, std::function<void()> applyFont)
    : host_(host),
      document_(document),
      settings_(settings),
      readOnly_(readOnly),
      applyFont_(std::move(applyFont)) {
  auto edit = [this] { return document_.edit(); };
  auto writable = [this] { return !settings_.readOnly; };
  auto hasSelection = [edit] {
    EditCtrl::Selection sel = edit()->selection();
    return sel.start != sel.end;
  };
  // Commands that pass one message to the control and are greyed by `rule`.
  // The control hands copies to the window's copier (edit_ctrl.h).
  auto forward = [&](UINT id, UINT message, auto rule) {
    host_.onCommand(
        id, [edit, message] { edit()->send(message); }, [rule](fw::CmdUI& ui) { ui.enable(rule()); });
  };
  forward(ID_EDIT_CUT, WM_CUT, [=] { return writable() && hasSelection(); });
  forward(ID_EDIT_CLEAR, WM_CLEAR, [=] { return writable() && hasSelection(); });
  forward(ID_EDIT_COPY, WM_COPY, hasSelection);
  forward(ID_EDIT_PASTE, WM_PASTE, [=] { return writable() && IsClipboardFormatAvailable(CF_TEXT); });
  host_.onCommand(
      ID_EDIT_UNDO, [this] { undo(); },
      [=](fw::CmdUI& ui) { ui.enable(writable() && edit()->send(EM_CANUNDO) != 0); });
  host_.onCommand(ID_EDIT_SELECT_ALL, [this] { selectAll(); });
  host_.onCommand(
      ID_EDIT_READ_ONLY, [this] { readOnly_.set(!readOnly_.on()); },
      [this](fw::CmdUI& ui) { ui.check(readOnly_.on()); });
  host_.onCommand(
      ID_FORMAT_WORD_WRAP, [this] { toggleWordWrap(); },
      [this](fw::CmdUI& ui) { ui.check(settings_.wordWrap); });
  host_.onCommand(ID_FORMAT_FONT, [this] { chooseFont(); });
}

void EditCommands::undo() { document_.edit()->send(EM_UNDO); }

void EditCommands::selectAll() {
  EditCtrl* edit = document_.edit();
  edit->send(EM_SETSEL, 0, -1);
  edit->send(EM_SCROLLCARET);
}

void EditCommands::toggleWordWrap() {
  std::unique_ptr<EditCtrl> next = host_.makeEditCtrl(!settings_.wordWrap);
  if (!next) return;
  EditCtrl* old = document_.edit();
  // In the old control's place before the text goes in: a wrapping control
  // lays out its whole text again at every change of size.
  RECT place{};
  GetWindowRect(old->hwnd(), &place);
  MapWindowPoints(nullptr, host_.owner(), reinterpret_cast<POINT*>(&place), 2);
  MoveWindow(next->hwnd(), place.left, place.top, place.right - place.left, place.bottom - place.top, FALSE);
  if (!next->setText(old->text(), nullptr)) {
    // The new control could not take the text: the old one stays as it was
    // and gets the focus back from the new one.
    next.reset();
    MessageBeep(MB_OK);
    host_.focusText();
    return;
  }
  // After the text, which the control counts as a change of its own.
  next->setModified(old->modified());
  host_.installEditCtrl(std::move(next));
  settings_.wordWrap = !settings_.wordWrap;
}

void EditCommands::chooseFont() {
  fw::CFontDialog dialog(toSystemLogFontW(settings_.font), CF_SCREENFONTS, host_.owner());
  LogFontA chosen = settings_.font;
  if (dialog.DoModal() == IDOK && fromSystemLogFontW(dialog.font(), &chosen)) {
    settings_.font = chosen;
    if (applyFont_) applyFont_();
  }
  host_.focusText();
}
