#include "tolvreg/assoc_request.h"

#include <cwctype>

namespace tolvreg {
namespace {

bool isSpace(wchar_t c) { return std::iswspace(static_cast<std::wint_t>(c)) != 0; }

bool isQuote(wchar_t c) { return c == L'"' || c == L'\''; }

// Reads the token at `*pos` and moves `*pos` past it.  Nothing when the text
// has no further token or the token is broken.
std::optional<std::wstring> nextToken(std::wstring_view text, size_t* pos) {
  size_t at = *pos;
  while (at < text.size() && isSpace(text[at])) ++at;
  if (at == text.size()) return std::nullopt;

  if (isQuote(text[at])) {
    const size_t close = text.find(text[at], at + 1);
    if (close == std::wstring_view::npos) return std::nullopt;
    // A closing quote glued to more text means the quoted value itself held
    // that quote character, as an editor installed below a folder such as
    // "O'Brien" produces.  Reading on would shift every later token and
    // register a broken association, so the line is refused instead.
    if (close + 1 < text.size() && !isSpace(text[close + 1])) return std::nullopt;
    *pos = close + 1;
    return std::wstring(text.substr(at + 1, close - at - 1));
  }

  size_t end = at;
  while (end < text.size() && !isSpace(text[end])) ++end;
  *pos = end < text.size() ? end + 1 : end;
  return std::wstring(text.substr(at, end - at));
}

}  // namespace

std::optional<AssocRequest> parseAssocRequest(std::wstring_view commandLine) {
  size_t pos = 0;
  AssocRequest request;

  const std::optional<std::wstring> mode = nextToken(commandLine, &pos);
  if (!mode) return std::nullopt;
  if (*mode == L"0")
    request.mode = AssocRequest::Mode::kRegister;
  else if (*mode == L"1")
    request.mode = AssocRequest::Mode::kRemove;
  else
    return std::nullopt;

  std::wstring* const fields[] = {
      &request.vendorKey, &request.applicationId, &request.displayName, &request.description,
      &request.extension, &request.openCommand,   &request.typeName,    &request.icon,
  };
  for (std::wstring* field : fields) {
    std::optional<std::wstring> token = nextToken(commandLine, &pos);
    if (!token || token->empty()) return std::nullopt;
    *field = std::move(*token);
  }
  if (request.extension[0] != L'.') return std::nullopt;
  return request;
}

}  // namespace tolvreg
