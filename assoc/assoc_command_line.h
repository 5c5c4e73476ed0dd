// The command line that tells Tolvreg which association to write or remove.
//
// Nine tokens separated by single spaces, in the order the helper reads them
// (tolvreg/assoc_request.h):
//
//   0|1 <vendor> Tolvane ミルデア <description> .vtxt
//       '"<editor path>" "%1"' "暗号テキスト ドキュメント" <icon path>,1
//
// Register and remove differ only in the first token.  The open command is
// enclosed in apostrophes so that the quoted path inside stays one token.
// The icon path is the editor's short (8.3) path; where the volume keeps no
// short names it is the long path, enclosed in double quotes when it holds a
// space, since the helper would otherwise split it and refuse the line.
//
// Text is UTF-8; the caller converts it once where it leaves the program.
// Pure and portable.
#pragma once

#include <string>
#include <string_view>

namespace assoc {

enum class AssocAction { kRegister, kRemove };

// `editorPath` is the editor's full long path; `iconPath` its short form, or
// the long path again when there is none.
std::string buildAssocCommandLine(AssocAction action, std::string_view editorPath, std::string_view iconPath);

}  // namespace assoc
