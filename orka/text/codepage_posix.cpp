// iconv back end of the code-page conversions.
#include <errno.h>
#include <iconv.h>

#include <string>

#include "orka/text/codepage.h"

namespace orka {
namespace {

std::string iconvName(unsigned codePage) {
  switch (codePage) {
    case 65001:
      return "UTF-8";
    case 28591:
      return "ISO-8859-1";
    case 932:
      return "CP932";
    case 936:
      return "CP936";
    case 949:
      return "CP949";
    case 950:
      return "CP950";
    default:
      return "CP" + std::to_string(codePage);
  }
}

std::optional<std::string> convert(std::string_view in, const std::string& from, const std::string& to) {
  if (from == to) return std::string(in);
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  out.resize(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = &out[0];
  size_t dstLeft = out.size();
  bool ok = true;
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) {
      if (errno == E2BIG) {
        size_t used = out.size() - dstLeft;
        out.resize(out.size() * 2);
        dst = &out[used];
        dstLeft = out.size() - used;
        continue;
      }
      ok = false;  // EILSEQ or EINVAL: not representable or not valid
      break;
    }
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(out.size() - dstLeft);
  return out;
}

}  // namespace

unsigned ansiCodePage() { return 932; }

std::optional<std::string> utf8ToCodePage(std::string_view utf8, unsigned codePage) {
  return convert(utf8, "UTF-8", iconvName(codePage));
}

std::optional<std::string> codePageToUtf8(std::string_view bytes, unsigned codePage) {
  return convert(bytes, iconvName(codePage), "UTF-8");
}

}  // namespace orka
