// Every seed of every fuzz target, run once: the corpora hold the inputs
// that once found faults, so this keeps them fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "targets.h"

namespace {

namespace fs = std::filesystem;

struct Target {
  const char* name;  // its folder under the corpus
  void (*run)(const uint8_t*, size_t);
};

class Replay : public ::testing::TestWithParam<Target> {};

TEST_P(Replay, EverySeedPasses) {
  const fs::path folder = fs::u8path(TOLVANE_CORPUS_DIR) / GetParam().name;
  ASSERT_TRUE(fs::is_directory(folder)) << folder.u8string();
  size_t seeds = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SCOPED_TRACE(entry.path().filename().u8string());
    GetParam().run(bytes.data(), bytes.size());
    ++seeds;
  }
  EXPECT_GT(seeds, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Fuzz, Replay,
    ::testing::Values(Target{"document", fuzz::document}, Target{"strong", fuzz::strongDocument},
                      Target{"settings", fuzz::settings}, Target{"tolvreg", fuzz::tolvreg},
                      Target{"vtxt_args", fuzz::vtxtArguments}, Target{"codepage", fuzz::codePage},
                      Target{"search", fuzz::search}, Target{"recovery", fuzz::recovery}),
    [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

}  // namespace
