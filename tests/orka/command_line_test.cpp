#include <gtest/gtest.h>

#include "orka/cmdline/command_line.h"

namespace orka {
namespace {

TEST(CommandLine1File, TheFirstParameterThatIsNotASwitchWins) {
  struct Case {
    std::vector<std::string> parameters;
    std::string fileName;
  } cases[] = {
      {{}, ""},
      {{"/x", "-y"}, ""},
      {{"/dde", "a.vtxt", "b.vtxt"}, "a.vtxt"},
      {{"C:\\My", "Documents\\memo.vtxt"}, "C:\\My"},  // unquoted blanks split the path
      {{"-dash.vtxt", "plain.vtxt"}, "plain.vtxt"},    // a leading "-" makes a switch
      {{"/C:/x.vtxt"}, ""},
      {{"日本語 メモ.vtxt"}, "日本語 メモ.vtxt"},
      {{"", "later.vtxt"}, "later.vtxt"},  // an empty parameter names nothing
  };
  for (const Case& c : cases) {
    CommandLine1File info;
    info.parse(c.parameters);
    EXPECT_EQ(info.fileName(), c.fileName);
  }
}

TEST(CommandLineInfo, SwitchesArriveWithoutTheirPrefixAndTheLastIsMarked) {
  struct Recorder : CommandLineInfo {
    void ParseParam(const char* p, bool isSwitch, bool last) override {
      seen += std::string(isSwitch ? "S:" : "P:") + p + (last ? "!" : "") + " ";
    }
    std::string seen;
  } r;
  r.parse({"/p", "file", "-q"});
  EXPECT_EQ(r.seen, "S:p P:file S:q! ");
}

}  // namespace
}  // namespace orka
