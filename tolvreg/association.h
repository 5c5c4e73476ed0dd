// The one file association that exists between the editor and its helper.
//
// The editor puts these values on the helper's command line; the helper
// refuses any line whose registry-path tokens (vendor key, application id,
// extension) differ from them, and any registering line whose texts differ
// or whose program is not the editor beside the helper.  The helper runs
// with administrator rights, so it must not become a tool that writes or
// deletes wherever its caller points, nor one that makes every user's
// documents open in a program of its caller's choosing.  Header only: the
// helper links nothing of the editor.
//
// Texts are UTF-8 (the installer reads them from here too).
#pragma once

#include <string>
#include <string_view>

namespace tolvreg {

// A key under HKEY_LOCAL_MACHINE\SOFTWARE naming the program's maker.
inline constexpr std::string_view kVendorKey = "example.jp";
// The registered application, and the first part of the file type id.
inline constexpr std::string_view kApplicationId = "Tolvane";
inline constexpr std::string_view kExtension = ".vtxt";

inline constexpr std::string_view kDisplayName = "ミルデア";
inline constexpr std::string_view kDescription = "テキストを暗号化して保存します。";
inline constexpr std::string_view kTypeName = "暗号テキスト ドキュメント";
// The editor's program, which must sit in the helper's own folder.
inline constexpr std::string_view kEditorProgram = "Tolvane.exe";

// `fixed` as wide text (UTF-16 where wchar_t has 16 bits, code points
// otherwise).  The values above are well-formed UTF-8; a broken sequence
// would give U+FFFD and so never match a token.
inline std::wstring wideFixed(std::string_view fixed) {
  std::wstring wide;
  for (size_t i = 0; i < fixed.size();) {
    const unsigned char lead = static_cast<unsigned char>(fixed[i]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || i + length > fixed.size()) {
      wide += static_cast<wchar_t>(0xFFFD);
      ++i;
      continue;
    }
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) code = code << 6 | (static_cast<unsigned char>(fixed[i + k]) & 0x3F);
    i += length;
    if (sizeof(wchar_t) == 2 && code > 0xFFFF) {
      wide += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
      wide += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<wchar_t>(code);
    }
  }
  return wide;
}

// Whether a wide token spells exactly the value `fixed`.
inline bool equalsFixed(std::wstring_view token, std::string_view fixed) { return token == wideFixed(fixed); }

}  // namespace tolvreg
