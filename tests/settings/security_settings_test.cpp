// The security settings' own file: what is written, what is read back, and
// every kind of damage sending the record to its defaults.
#include <gtest/gtest.h>

#include <string>

#include "settings/security_settings.h"
#include "support/temp_dir.h"

namespace {

using testing_support::TempDir;

TEST(SecuritySettings, SavesTextThatLoadsBackAndLeavesDefaultsForMissingFile) {
  TempDir dir;
  SecuritySettings settings;
  EXPECT_FALSE(settings.load(dir.path("none.dat")));
  EXPECT_EQ(settings, SecuritySettings());
  EXPECT_TRUE(settings.lockOnSessionLock);
  EXPECT_TRUE(settings.clearClipboard);
  EXPECT_TRUE(settings.hideFromCapture);
  EXPECT_TRUE(settings.lockOnSuspend);
  EXPECT_TRUE(settings.keepOffRecent);
  EXPECT_FALSE(settings.clipboardTimer);
  EXPECT_TRUE(settings.keepRecoveryCopy);

  settings.idleMinutes = 15;
  settings.lockOnMinimize = true;
  settings.lockOnSessionLock = false;
  settings.clearClipboard = false;
  settings.strongNewDocuments = true;
  settings.hideFromCapture = false;
  settings.lockOnSuspend = false;
  settings.keepOffRecent = false;
  settings.clipboardTimer = true;
  settings.clipboardSeconds = 600;
  settings.keepRecoveryCopy = false;
  const std::string path = dir.path(SecuritySettings::kFileName);
  ASSERT_TRUE(settings.save(path));
  SecuritySettings read;
  ASSERT_TRUE(read.load(path));
  EXPECT_EQ(read, settings);

  EXPECT_EQ(dir.read(SecuritySettings::kFileName),
            "TolvaneSecurity 1\nidleMinutes=15\nlockOnMinimize=1\nlockOnSessionLock=0\nclearClipboard=0\n"
            "strongNewDocuments=1\nhideFromCapture=0\nlockOnSuspend=0\nkeepOffRecent=0\nclipboardTimer=1\n"
            "clipboardSeconds=600\nkeepRecoveryCopy=0\n");
}

TEST(SecuritySettings, SitsBesideTheSettingsFile) {
  EXPECT_EQ(SecuritySettings::pathBeside("C:\\app\\tolvane.dat"), "C:\\app\\tolvane-security.dat");
  EXPECT_EQ(SecuritySettings::pathBeside("/a/b/tolvane.dat"), "/a/b/tolvane-security.dat");
  EXPECT_EQ(SecuritySettings::pathBeside("tolvane.dat"), "tolvane-security.dat");
}

// A file from an older version has only some of the lines: the rest keep
// their defaults, the protections that are on by default included.
TEST(SecuritySettings, ReadsCrLfAndOlderFilesAndSkipsNamesItDoesNotKnow) {
  TempDir dir;
  SecuritySettings settings;
  ASSERT_TRUE(settings.load(dir.write("s.dat",
                                      "TolvaneSecurity 1\r\nsomeLaterField=2\r\nidleMinutes=9999\r\n"
                                      "lockOnSessionLock=0\r\nclipboardSeconds=10\r\n")));
  SecuritySettings expected;
  expected.idleMinutes = 9999;
  expected.lockOnSessionLock = false;
  expected.clipboardSeconds = 10;
  EXPECT_EQ(settings, expected);
}

TEST(SecuritySettings, DamagedFileGivesEveryDefault) {
  const char* cases[] = {
      "",                                                    // empty
      "TolvaneSecurity 2\nidleMinutes=5\n",                  // unknown version
      "TolvaneSecurity 1\nidleMinutes=10000\n",              // out of range
      "TolvaneSecurity 1\nlockOnMinimize=2\n",               // not a flag
      "TolvaneSecurity 1\nidleMinutes=-1\n",                 // not a number
      "TolvaneSecurity 1\nidleMinutes=\n",                   // no number
      "TolvaneSecurity 1\nidleMinutes=5\nclearClipboard\n",  // no '='
      "TolvaneSecurity 1\nclipboardSeconds=9\n",             // below the shortest time
      "TolvaneSecurity 1\nclipboardSeconds=601\n",           // above the longest
  };
  TempDir dir;
  for (const char* text : cases) {
    SecuritySettings settings;
    settings.idleMinutes = 3;
    EXPECT_FALSE(settings.load(dir.write("s.dat", text))) << text;
    EXPECT_EQ(settings, SecuritySettings()) << text;
  }
  SecuritySettings settings;
  EXPECT_FALSE(settings.load(dir.write("big.dat", "TolvaneSecurity 1\n" + std::string(5000, '\n'))));
}

}  // namespace
