#include "editor/datetime/date_time_commands.h"

#include "editor/datetime/date_format_dialog.h"
#include "editor/datetime/date_time.h"
#include "editor/document/open_document.h"
#include "editor/res/resource.h"
#include "editor/window_host.h"
#include "settings/settings.h"

DateTimeCommands::DateTimeCommands(WindowHost& host, OpenDocument& document, Settings& settings)
    : host_(host), document_(document), settings_(settings) {
  host_.onCommand(
      ID_EDIT_DATE_TIME, [this] { insertDateTime(); },
      [this](fw::CmdUI& ui) { ui.enable(!settings_.readOnly); });
  host_.onCommand(ID_SETTINGS_DATE_FORMAT, [this] { chooseFormat(); });
}

void DateTimeCommands::insertDateTime() {
  document_.edit()->replaceSelection(dateTimeStamp(settings_.dateFormat), true);
}

void DateTimeCommands::chooseFormat() {
  DateFormatDialog dialog(settings_.dateFormat, host_.owner());
  if (dialog.DoModal() == IDOK) settings_.dateFormat = dialog.m_format;
  host_.focusText();
}
