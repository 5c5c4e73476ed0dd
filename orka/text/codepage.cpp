#include "orka/text/codepage.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace orka {

std::optional<unsigned> codePageFromName(std::string_view name) {
  std::string n(name);
  std::transform(n.begin(), n.end(), n.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  n.erase(std::remove(n.begin(), n.end(), '-'), n.end());
  n.erase(std::remove(n.begin(), n.end(), '_'), n.end());
  if (n == "shiftjis" || n == "sjis" || n == "windows31j" || n == "mskanji") return 932u;
  if (n == "utf8") return 65001u;
  if (n == "latin1" || n == "iso88591") return 28591u;
  for (const char* prefix : {"windows", "cp", "ms"}) {
    size_t len = std::char_traits<char>::length(prefix);
    if (n.compare(0, len, prefix) == 0) {
      n.erase(0, len);
      break;
    }
  }
  if (n.empty() || !std::all_of(n.begin(), n.end(), [](unsigned char c) { return std::isdigit(c); }) ||
      n.size() > 5)
    return std::nullopt;
  unsigned value = static_cast<unsigned>(std::strtoul(n.c_str(), nullptr, 10));
  if (value == 0) return std::nullopt;
  return value;
}

}  // namespace orka
