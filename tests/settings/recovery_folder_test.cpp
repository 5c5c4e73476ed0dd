#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "orka/errors/error.h"
#include "settings/program_file.h"
#include "support/temp_dir.h"

namespace {

#ifdef _WIN32
constexpr bool kNamesIgnoreCase = true;
#else
constexpr bool kNamesIgnoreCase = false;
#endif

std::string normal(const std::filesystem::path& path) { return path.lexically_normal().u8string(); }

// Only the installed copy's folder in the roaming profile sends the copies
// to the local profile, and never to the roaming one.
TEST(RecoveryFolder, OnlyTheRoamingSettingsFolderSendsTheCopiesToTheLocalOne) {
  enum Expect { kBeside, kLocal, kRefused };
  struct Case {
    const char* settings;  // below the test's folder
    const char* roaming;
    const char* local;
    Expect expect;
  } cases[] = {
      {"roaming/Tolvane/tolvane.dat", "roaming/", "local", kLocal},
      {"roaming/x/../TOLVANE/tolvane.dat", "roaming", "local", kNamesIgnoreCase ? kLocal : kBeside},
      {"programs/tolvane.dat", "roaming", "local", kBeside},
      {"roaming/tolvane.dat", "roaming", "local", kBeside},
      {"roaming/Tolvane/sub/tolvane.dat", "roaming", "local", kBeside},
      {"roaming/Tolvane/tolvane.dat", "", "local", kBeside},
      {"roaming/Tolvane/tolvane.dat", "roaming", "", kRefused},
  };
  for (const Case& c : cases) {
    testing_support::TempDir dir;
    const std::string settings = dir.path(c.settings);
    const auto below = [&](const char* name) { return *name ? dir.path(name) : std::string(); };
    const std::string beside = normal(std::filesystem::u8path(normal(settings)).parent_path() / "recovery");
    const std::string expected = c.expect == kLocal ? normal(dir.path("local/Tolvane/recovery")) : beside;
    try {
      EXPECT_EQ(normal(recoveryFolderPath(settings, below(c.roaming), below(c.local))), expected)
          << c.settings;
      EXPECT_NE(c.expect, kRefused) << c.settings;
    } catch (const orka::FileError& e) {
      EXPECT_EQ(c.expect, kRefused) << c.settings;
      EXPECT_EQ(e.code(), orka::FileError::kBadFileName);
    }
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::u8path(dir.path()))) << "nothing is created";
  }
}

TEST(RecoveryFolder, TheSystemsFoldersKeepATestsCopiesBesideItsSettings) {
  EXPECT_NE(localDataFolder(), userDataFolder());
  const std::string settings = settingsFilePath("tolvane.dat");
  EXPECT_EQ(recoveryFolderPath(settings),
            normal(std::filesystem::u8path(settings).parent_path() / "recovery"));
}

}  // namespace
