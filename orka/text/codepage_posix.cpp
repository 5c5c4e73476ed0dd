// iconv back end of the code-page conversions.
#include <errno.h>
#include <iconv.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "orka/crypto/wipe.h"
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

// Opening a converter costs far more than a short conversion, and passwords
// and settings strings are converted one by one: keep the last few open.
class Converters {
 public:
  ~Converters() {
    for (auto& e : open_) iconv_close(e.second);
  }
  iconv_t get(const std::string& from, const std::string& to) {
    const std::string key = from + "\n" + to;
    for (auto& e : open_) {
      if (e.first == key) {
        iconv(e.second, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        return e.second;
      }
    }
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return cd;
    if (open_.size() == kKept) {
      iconv_close(open_.front().second);
      open_.erase(open_.begin());
    }
    open_.emplace_back(key, cd);
    return cd;
  }

 private:
  static constexpr size_t kKept = 8;
  std::vector<std::pair<std::string, iconv_t>> open_;
};

std::optional<std::string> convert(std::string_view in, const std::string& from, const std::string& to) {
  thread_local Converters converters;
  iconv_t cd = converters.get(from, to);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  // What passes here may be a password: the buffer is wiped whenever it is
  // let go of, also the one it grew out of.
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = &out[0];
  size_t dstLeft = out.size();
  bool ok = true;
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) {
      if (errno == E2BIG) {
        const size_t used = out.size() - dstLeft;
        std::string larger(out.size() * 2, '\0');
        std::memcpy(&larger[0], out.data(), used);
        secureWipe(out);
        out.swap(larger);
        dst = &out[used];
        dstLeft = out.size() - used;
        continue;
      }
      ok = false;  // EILSEQ or EINVAL: not representable or not valid
      break;
    }
  }
  if (!ok) {
    secureWipe(out);
    return std::nullopt;
  }
  out.resize(out.size() - dstLeft);
  return out;
}

}  // namespace

unsigned ansiCodePage() { return 932; }

namespace detail {

std::optional<std::string> encodeText(std::string_view utf8, unsigned codePage) {
  return convert(utf8, "UTF-8", iconvName(codePage));
}

std::optional<std::string> decodeText(std::string_view bytes, unsigned codePage) {
  return convert(bytes, iconvName(codePage), "UTF-8");
}

}  // namespace detail

}  // namespace orka
