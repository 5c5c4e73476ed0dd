#include "editor/editing/edit_commands.h"

#include "editor/main_wnd.h"
#include "editor/res/resource.h"
#include "framework/common_dialogs.h"
#include "settings/log_font_win32.h"

EditCommands::EditCommands(CMainWnd& main) : main_(main) {
  auto edit = [this] { return main_.editCtrl(); };
  auto writable = [this] { return !main_.settings().readOnly; };
  auto hasSelection = [edit] {
    EditCtrl::Selection sel = edit()->selection();
    return sel.start != sel.end;
  };
  // Commands that pass one message to the control and are greyed by `rule`.
  auto forward = [&](UINT id, UINT message, auto rule) {
    main_.onCommand(
        id, [edit, message] { edit()->send(message); }, [rule](fw::CmdUI& ui) { ui.enable(rule()); });
  };
  // Copies are stamped so that clipboard history and the cloud leave them be.
  auto copying = [&](UINT id, UINT message, auto rule) {
    main_.onCommand(
        id,
        [this, edit, message] {
          edit()->send(message);
          main_.clipboard().stamped(main_.hwnd());
        },
        [rule](fw::CmdUI& ui) { ui.enable(rule()); });
  };
  copying(ID_EDIT_CUT, WM_CUT, [=] { return writable() && hasSelection(); });
  forward(ID_EDIT_CLEAR, WM_CLEAR, [=] { return writable() && hasSelection(); });
  copying(ID_EDIT_COPY, WM_COPY, hasSelection);
  forward(ID_EDIT_PASTE, WM_PASTE, [=] { return writable() && IsClipboardFormatAvailable(CF_TEXT); });
  main_.onCommand(
      ID_EDIT_UNDO, [this] { undo(); },
      [=](fw::CmdUI& ui) { ui.enable(writable() && edit()->send(EM_CANUNDO) != 0); });
  main_.onCommand(ID_EDIT_SELECT_ALL, [this] { selectAll(); });
  main_.onCommand(
      ID_EDIT_READ_ONLY, [this] { main_.setReadOnlyMode(!main_.settings().readOnly); },
      [this](fw::CmdUI& ui) { ui.check(main_.settings().readOnly); });
  main_.onCommand(
      ID_FORMAT_WORD_WRAP, [this] { toggleWordWrap(); },
      [this](fw::CmdUI& ui) { ui.check(main_.settings().wordWrap); });
  main_.onCommand(ID_FORMAT_FONT, [this] { chooseFont(); });
}

void EditCommands::undo() { main_.editCtrl()->send(EM_UNDO); }

void EditCommands::selectAll() {
  EditCtrl* edit = main_.editCtrl();
  edit->send(EM_SETSEL, 0, -1);
  edit->send(EM_SCROLLCARET);
}

void EditCommands::toggleWordWrap() {
  Settings& settings = main_.settings();
  std::unique_ptr<EditCtrl> next =
      createEditCtrl(main_.hwnd(), !settings.wordWrap, main_.font(), settings.readOnly);
  if (!next) return;
  EditCtrl* old = main_.editCtrl();
  // In the old control's place before the text goes in: a wrapping control
  // lays out its whole text again at every change of size.
  RECT place{};
  GetWindowRect(old->hwnd(), &place);
  MapWindowPoints(nullptr, main_.hwnd(), reinterpret_cast<POINT*>(&place), 2);
  MoveWindow(next->hwnd(), place.left, place.top, place.right - place.left, place.bottom - place.top, FALSE);
  if (!next->setText(old->text(), nullptr)) {
    // The new control could not take the text: the old one stays as it was
    // and gets the focus back from the new one.
    next.reset();
    MessageBeep(MB_OK);
    main_.focusEdit();
    return;
  }
  // After the text, which the control counts as a change of its own.
  next->setModified(old->modified());
  main_.installEditCtrl(std::move(next));
  settings.wordWrap = !settings.wordWrap;
}

void EditCommands::chooseFont() {
  Settings& settings = main_.settings();
  fw::CFontDialog dialog(toSystemLogFontW(settings.font), CF_SCREENFONTS, main_.hwnd());
  LogFontA chosen = settings.font;
  if (dialog.DoModal() == IDOK && fromSystemLogFontW(dialog.font(), &chosen)) {
    settings.font = chosen;
    main_.applyFont();
  }
  main_.focusEdit();
}
