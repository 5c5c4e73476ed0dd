#include "editor/datetime/date_time_commands.h"

#include "editor/datetime/date_format_dialog.h"
#include "editor/datetime/date_time.h"
#include "editor/main_wnd.h"
#include "editor/res/resource.h"

DateTimeCommands::DateTimeCommands(CMainWnd& main) : main_(main) {
  main_.onCommand(
      ID_EDIT_DATE_TIME, [this] { insertDateTime(); },
      [this](fw::CmdUI& ui) { ui.enable(!main_.settings().readOnly); });
  main_.onCommand(ID_SETTINGS_DATE_FORMAT, [this] { chooseFormat(); });
}

void DateTimeCommands::insertDateTime() {
  main_.editCtrl()->replaceSelection(dateTimeStamp(main_.settings().dateFormat), true);
}

void DateTimeCommands::chooseFormat() {
  DateFormatDialog dialog(main_.settings().dateFormat, main_.hwnd());
  if (dialog.DoModal() == IDOK) main_.settings().dateFormat = dialog.m_format;
  main_.focusEdit();
}
