// The one file association that exists between the editor and its helper.
//
// The editor puts these values on the helper's command line; the helper
// refuses any line whose registry-path tokens (vendor key, application id,
// extension) differ from them.  The helper runs with administrator rights, so
// it must not become a tool that writes or deletes wherever its caller
// points.  Header only: the helper links nothing of the editor.
//
// Texts are UTF-8; the three checked values are plain ASCII so that the
// helper can compare them with its wide tokens directly.
#pragma once

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

// Whether a wide token spells exactly the ASCII value `fixed`.
inline bool equalsFixed(std::wstring_view token, std::string_view fixed) {
  if (token.size() != fixed.size()) return false;
  for (size_t i = 0; i < fixed.size(); ++i)
    if (token[i] != static_cast<wchar_t>(static_cast<unsigned char>(fixed[i]))) return false;
  return true;
}

}  // namespace tolvreg
