#include "tolvreg/assoc_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvreg {
namespace {

// The line the editor sends when it lives in a folder with spaces.
const wchar_t kEditorLine[] =
    L"0 example.jp Tolvane ミルデア テキストを暗号化して保存します。 .vtxt "
    L"'\"C:\\Program Files\\Tolvane\\Tolvane.exe\" \"%1\"' "
    L"\"暗号テキスト ドキュメント\" C:\\PROGRA~1\\Tolvane\\Tolvane.exe,1";

std::vector<std::wstring> fieldsOf(const AssocRequest& r) {
  return {r.vendorKey, r.applicationId, r.displayName, r.description,
          r.extension, r.openCommand,   r.typeName,    r.icon};
}

TEST(AssocRequest, EditorLineKeepsQuotedPathsAndSpacesInTheirTokens) {
  const std::optional<AssocRequest> request = parseAssocRequest(kEditorLine);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->mode, AssocRequest::Mode::kRegister);
  EXPECT_EQ(
      fieldsOf(*request),
      (std::vector<std::wstring>{L"example.jp", L"Tolvane", L"ミルデア", L"テキストを暗号化して保存します。",
                                 L".vtxt", L"\"C:\\Program Files\\Tolvane\\Tolvane.exe\" \"%1\"",
                                 L"暗号テキスト ドキュメント", L"C:\\PROGRA~1\\Tolvane\\Tolvane.exe,1"}));
  EXPECT_EQ(request->fileTypeId(), L"Tolvane.vtxt");
}

TEST(AssocRequest, ModeOneRemoves) {
  std::wstring line = kEditorLine;
  line[0] = L'1';
  const std::optional<AssocRequest> request = parseAssocRequest(line);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->mode, AssocRequest::Mode::kRemove);
}

struct AcceptedCase {
  const char* what;
  const wchar_t* line;
  std::vector<std::wstring> fields;
};

class AcceptedLine : public testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedLine, YieldsTheseFields) {
  const std::optional<AssocRequest> request = parseAssocRequest(GetParam().line);
  ASSERT_TRUE(request) << GetParam().what;
  EXPECT_EQ(fieldsOf(*request), GetParam().fields) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, AcceptedLine,
    testing::Values(AcceptedCase{"tabs, runs of spaces and leading blanks separate tokens",
                                 L" \t 0\tv  a d  s .e\t\to t i",
                                 {L"v", L"a", L"d", L"s", L".e", L"o", L"t", L"i"}},
                    AcceptedCase{"a tenth token is never read, even a broken one",
                                 L"0 v a d s .e o t i extra \"unclosed",
                                 {L"v", L"a", L"d", L"s", L".e", L"o", L"t", L"i"}},
                    AcceptedCase{"quote characters after the first are plain in an unquoted token",
                                 L"0 v a\"b d it's .e o t\" i'",
                                 {L"v", L"a\"b", L"d", L"it's", L".e", L"o", L"t\"", L"i'"}},
                    AcceptedCase{"each kind of quote carries the other kind",
                                 L"1 v a \"it's\" '\"q\"' .e o t i",
                                 {L"v", L"a", L"it's", L"\"q\"", L".e", L"o", L"t", L"i"}},
                    AcceptedCase{"an apostrophe ends an apostrophe-quoted token; the rest reads on",
                                 L"0 v a d s .e 'o' t' i more",
                                 {L"v", L"a", L"d", L"s", L".e", L"o", L"t'", L"i"}},
                    AcceptedCase{"a quoted last token may end the text",
                                 L"0 v a d s .e o t \"C:\\A B\\T.exe,1\"",
                                 {L"v", L"a", L"d", L"s", L".e", L"o", L"t", L"C:\\A B\\T.exe,1"}},
                    AcceptedCase{"the extension may be just the dot",
                                 L"0 v a d s . o t i",
                                 {L"v", L"a", L"d", L"s", L".", L"o", L"t", L"i"}}));

struct RefusedCase {
  const char* what;
  const wchar_t* line;
};

class RefusedLine : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedLine, GivesNoRequest) { EXPECT_FALSE(parseAssocRequest(GetParam().line)) << GetParam().what; }

INSTANTIATE_TEST_SUITE_P(
    Tokens, RefusedLine,
    testing::Values(
        RefusedCase{"no arguments (started by double-click)", L""}, RefusedCase{"only blanks", L"  \t "},
        RefusedCase{"eight tokens", L"0 v a d s .e o t"}, RefusedCase{"mode 2", L"2 v a d s .e o t i"},
        RefusedCase{"mode 00", L"00 v a d s .e o t i"}, RefusedCase{"mode 01", L"01 v a d s .e o t i"},
        RefusedCase{"a bad mode even with nothing after it", L"x"},
        RefusedCase{"extension without its dot", L"0 v a d s vtxt o t i"},
        RefusedCase{"empty double-quoted token", L"0 v \"\" d s .e o t i"},
        RefusedCase{"empty apostrophe-quoted token", L"0 v a d s .e o t ''"},
        RefusedCase{"empty quoted extension", L"0 v a d s \"\" o t i"},
        RefusedCase{"unclosed double quote", L"0 v a d s .e o \"t i"},
        RefusedCase{"unclosed apostrophe", L"0 v a d s .e 'o t i"},
        RefusedCase{"closing quote glued to more text", L"0 v a d s .e o \"t\"x i"},
        RefusedCase{"editor below a folder with an apostrophe",
                    L"0 example.jp Tolvane ミルデア 説明 .vtxt "
                    L"'\"C:\\Users\\O'Brien\\Tolvane.exe\" \"%1\"' \"型\" "
                    L"C:\\Users\\OBRIEN~1\\Tolvane.exe,1"},
        RefusedCase{"apostrophe folder followed by a space",
                    L"0 example.jp Tolvane ミルデア 説明 .vtxt "
                    L"'\"C:\\Rock n' Roll\\Tolvane.exe\" \"%1\"' \"型\" C:\\ROCKNR~1\\Tolvane.exe,1"}));

}  // namespace
}  // namespace tolvreg
