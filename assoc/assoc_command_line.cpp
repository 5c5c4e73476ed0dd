#include "assoc/assoc_command_line.h"

#include "tolvreg/association.h"

namespace assoc {

std::string buildAssocCommandLine(AssocAction action, std::string_view editorPath, std::string_view iconPath) {
  std::string line = action == AssocAction::kRegister ? "0 " : "1 ";
  for (std::string_view fixed : {tolvreg::kVendorKey, tolvreg::kApplicationId, tolvreg::kDisplayName,
                                 tolvreg::kDescription, tolvreg::kExtension}) {
    line += fixed;
    line += ' ';
  }
  line += "'\"";
  line += editorPath;
  line += "\" \"%1\"' \"";
  line += tolvreg::kTypeName;
  line += "\" ";
  std::string icon = std::string(iconPath) + ",1";
  if (icon.find(' ') != std::string::npos) icon = '"' + icon + '"';
  return line + icon;
}

}  // namespace assoc
