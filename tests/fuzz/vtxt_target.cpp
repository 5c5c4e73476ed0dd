#include <string>
#include <vector>

#include "orka/text/codepage.h"
#include "targets.h"
#include "tools/vtxt/cli.h"

namespace fuzz {

void vtxtArguments(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      args.emplace_back();
    else
      args.back() += static_cast<char>(data[i]);
  }
  std::string usage;
  auto options = vtxt::parseArguments(args, &usage);
  if (!options) {
    check(!usage.empty(), "a refused line says why");
    return;
  }
  if (options->help) return;
  check(options->command == "cat" || options->command == "write" || options->command == "rekey" ||
            options->command == "check" || options->command == "info",
        "one of the five commands");
  check(!options->newPasswordFile || options->command == "rekey", "a new password only for rekey");
  if (options->codePageName) orka::codePageFromName(*options->codePageName);
}

void codePage(const uint8_t* data, size_t size) {
  if (size == 0) return;
  static const unsigned kCodePages[] = {932, 65001, 1252, 28591};
  const unsigned cp = kCodePages[data[0] % 4];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

  // Bytes that decode encode back, to bytes that decode to the same text.
  if (auto utf8 = orka::codePageToUtf8(text, cp)) {
    auto bytes = orka::utf8ToCodePage(*utf8, cp);
    check(bytes.has_value(), "decoded text encodes again");
    check(orka::codePageToUtf8(*bytes, cp) == utf8, "and decodes to the same text");
  }
  // Text that encodes comes back as it went in, up to the look-alikes,
  // which are then settled: encoding again gives the same bytes.
  if (auto bytes = orka::utf8ToCodePage(text, cp)) {
    check(!bytes->empty() || text.empty(), "nothing vanishes");
    auto back = orka::codePageToUtf8(*bytes, cp);
    check(back.has_value(), "encoded bytes decode");
    check(orka::utf8ToCodePage(*back, cp) == bytes, "encoding is settled after one round");
    if (cp != 932) check(*back == text, "outside 932 the text comes back unchanged");
  }
}

}  // namespace fuzz
