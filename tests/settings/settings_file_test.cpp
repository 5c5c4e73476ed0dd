// Reading and writing "tolvane.dat": exact bytes, the older versions, the
// checks that send a file back to the defaults, and saves that fail.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "orka/streams/file_stream.h"
#include "settings/settings.h"
#include "support/injected_faults.h"
#include "support/temp_dir.h"

namespace {

using testing_support::TempDir;

// Little-endian bytes built by hand, independent of the code under test.
class Bytes {
 public:
  Bytes& i32(int64_t value) {
    uint32_t u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) s_ += static_cast<char>((u >> (8 * i)) & 0xFF);
    return *this;
  }
  Bytes& u8(unsigned value) {
    s_ += static_cast<char>(value);
    return *this;
  }
  Bytes& raw(const std::string& bytes) {
    s_ += bytes;
    return *this;
  }
  Bytes& text(const std::string& bytes) { return raw(bytes).u8(0); }
  const std::string& str() const { return s_; }

 private:
  std::string s_;
};

std::string defaultFontBlock() {
  return std::string(
             "\x0c\0\0\0"
             "\0\0\0\0"
             "\0\0\0\0"
             "\0\0\0\0"
             "\x90\x01\0\0"
             "\0\0\0\x80\0\0\0\0"
             "FixedSys",
             36) +
         std::string(24, '\0');
}

// Bold italic "ＭＳ ゴシック" at -16 with every single-byte field distinct.
const char kGothicFace[] = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

std::string customFontBlock() {
  std::string face(kGothicFace);
  return Bytes()
      .i32(-16)
      .i32(7)
      .i32(900)
      .i32(450)
      .i32(700)
      .raw(std::string("\x01\x02\x03\x80\x04\x05\x06\x31", 8))
      .raw(face)
      .raw(std::string(32 - face.size(), '\0'))
      .str();
}

LogFontA customFont() {
  unsigned char bytes[LogFontA::kByteSize];
  std::string block = customFontBlock();
  std::copy(block.begin(), block.end(), bytes);
  return LogFontA::fromBytes(bytes);
}

// The fields of a file in the layout of a given version.
struct FileImage {
  int32_t version = 2;
  int32_t width = 800, height = 600, left = 10, top = -20;
  uint32_t flags = 0xFF;
  std::string font = customFontBlock();
  std::string dateFormat = "yyyy-MM-dd";
  int32_t capacity = 5;
  std::optional<int32_t> count;  // defaults to the number of entries
  std::vector<std::pair<std::string, unsigned>> entries = {{"C:\\old.vtxt", 1}, {"C:\\new.vtxt", 0}};

  std::string bytes() const {
    Bytes b;
    b.i32(version).i32(width).i32(height);
    if (version != 0 && version != 1) b.i32(left).i32(top);
    b.i32(flags).raw(font).text(dateFormat);
    if (version == 0) return b.str();
    b.i32(capacity).i32(count.value_or(static_cast<int32_t>(entries.size())));
    for (const auto& e : entries) b.text(e.first).u8(e.second);
    return b.str();
  }
};

using Entries = std::vector<std::pair<std::string, bool>>;

Entries entriesOf(const ReadOnlyList& list) {
  Entries out;
  for (const auto& e : list) out.emplace_back(e.path, e.readOnly);
  return out;
}

void expectSame(const Settings& want, const Settings& got) {
  EXPECT_EQ(want.windowWidth, got.windowWidth);
  EXPECT_EQ(want.windowHeight, got.windowHeight);
  EXPECT_EQ(want.windowLeft, got.windowLeft);
  EXPECT_EQ(want.windowTop, got.windowTop);
  EXPECT_EQ(want.showToolBar, got.showToolBar);
  EXPECT_EQ(want.showStatusBar, got.showStatusBar);
  EXPECT_EQ(want.wordWrap, got.wordWrap);
  EXPECT_EQ(want.readOnly, got.readOnly);
  EXPECT_EQ(want.hidePasswordDialog, got.hidePasswordDialog);
  EXPECT_EQ(want.alwaysOnTop, got.alwaysOnTop);
  EXPECT_EQ(want.rememberWindowPos, got.rememberWindowPos);
  EXPECT_EQ(want.perFileReadOnly, got.perFileReadOnly);
  EXPECT_TRUE(want.font == got.font);
  EXPECT_EQ(want.dateFormat, got.dateFormat);
  EXPECT_EQ(want.readOnlyList.capacity(), got.readOnlyList.capacity());
  EXPECT_EQ(entriesOf(want.readOnlyList), entriesOf(got.readOnlyList));
}

const FixedScreenSize kScreen(1024, 768);

class SettingsFile : public ::testing::Test {
 protected:
  std::string path() const { return dir_.path("tolvane.dat"); }
  std::string write(const std::string& bytes) const { return dir_.write("tolvane.dat", bytes); }
  std::string contents() const { return dir_.read("tolvane.dat"); }

  // Loads `bytes` into a record that held other values before.
  bool loadBytes(const std::string& bytes, Settings* s) {
    write(bytes);
    s->windowWidth = 1;
    s->dateFormat = "stale";
    s->readOnlyList.touch("stale");
    return s->load(path(), kScreen);
  }

  TempDir dir_;
};

TEST_F(SettingsFile, MissingFileGivesTheDefaults) {
  Settings s;
  s.wordWrap = true;
  s.readOnlyList.touch("stale");
  EXPECT_FALSE(s.load(path(), kScreen));

  EXPECT_EQ(s.windowWidth, INT32_MIN);
  EXPECT_EQ(s.windowHeight, INT32_MIN);
  EXPECT_EQ(s.windowLeft, INT32_MIN);
  EXPECT_EQ(s.windowTop, INT32_MIN);
  EXPECT_TRUE(s.showToolBar);
  EXPECT_TRUE(s.showStatusBar);
  EXPECT_FALSE(s.wordWrap || s.readOnly || s.hidePasswordDialog || s.alwaysOnTop || s.rememberWindowPos ||
               s.perFileReadOnly);
  unsigned char font[LogFontA::kByteSize];
  s.font.toBytes(font);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(font), sizeof font), defaultFontBlock());
  EXPECT_EQ(s.dateFormat, "yyyy/MM/dd HH:mm");
  EXPECT_EQ(s.readOnlyList.capacity(), 10);
  EXPECT_EQ(s.readOnlyList.size(), 0);
}

// A default font sized in 96-dpi pixels would be half as tall to the eye on
// a 200% screen; a font from the file is the user's choice and stays.
TEST_F(SettingsFile, TheDefaultFontKeepsItsSizeOnDenserScreensAndAStoredOneIsKept) {
  Settings stored;
  stored.font.lfHeight = -13;
  ASSERT_TRUE(stored.save(path()));
  for (const auto& row : {std::pair<int32_t, int32_t>{96, 12}, {120, 15}, {144, 18}, {192, 24}}) {
    SCOPED_TRACE(row.first);
    const FixedScreenSize screen(1024, 768, row.first);
    Settings s;
    EXPECT_TRUE(s.load(path(), screen));
    EXPECT_EQ(s.font.lfHeight, -13);
    EXPECT_FALSE(s.load(dir_.path("missing.dat"), screen));
    EXPECT_EQ(s.font.lfHeight, row.second);
  }
}

TEST_F(SettingsFile, SaveWritesVersionTwoBytesOldestEntryFirst) {
  Settings s;
  s.windowWidth = 800;
  s.windowHeight = 600;
  s.windowLeft = 10;
  s.windowTop = -20;
  s.showToolBar = true;
  s.showStatusBar = false;
  s.wordWrap = true;
  s.readOnly = false;
  s.hidePasswordDialog = true;
  s.alwaysOnTop = true;
  s.rememberWindowPos = true;
  s.perFileReadOnly = false;
  s.font = customFont();
  s.dateFormat = "yyyy年M月d日";
  s.readOnlyList.setCapacity(5);
  s.readOnlyList.touch("C:\\a.vtxt") = true;
  s.readOnlyList.touch("C:\\文書\\メモ.vtxt") = false;
  s.readOnlyList.touch("D:\\b.vtxt") = true;
  ASSERT_TRUE(s.save(path()));

  std::string expected = Bytes()
                             .i32(2)
                             .i32(800)
                             .i32(600)
                             .i32(10)
                             .i32(-20)
                             .i32(0xD5)
                             .raw(customFontBlock())
                             .text(
                                 "yyyy\x94\x4eM\x8c\x8e"
                                 "d\x93\xfa")
                             .i32(5)
                             .i32(3)
                             .text("C:\\a.vtxt")
                             .u8(1)
                             .text("C:\\\x95\xb6\x8f\x91\\\x83\x81\x83\x82.vtxt")
                             .u8(0)
                             .text("D:\\b.vtxt")
                             .u8(1)
                             .str();
  EXPECT_EQ(contents(), expected);

  Settings back;
  ASSERT_TRUE(back.load(path(), kScreen));
  expectSame(s, back);
}

TEST_F(SettingsFile, EachFlagHasItsOwnBit) {
  struct Case {
    bool Settings::*field;
    uint32_t bit;
  } cases[] = {
      {&Settings::showToolBar, 0x01},        {&Settings::showStatusBar, 0x02},
      {&Settings::wordWrap, 0x04},           {&Settings::readOnly, 0x08},
      {&Settings::hidePasswordDialog, 0x10}, {&Settings::perFileReadOnly, 0x20},
      {&Settings::alwaysOnTop, 0x40},        {&Settings::rememberWindowPos, 0x80},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bit);
    Settings s;
    s.showToolBar = s.showStatusBar = false;
    s.*c.field = true;
    ASSERT_TRUE(s.save(path()));
    EXPECT_EQ(contents().substr(20, 4), Bytes().i32(c.bit).str());

    FileImage image;
    image.flags = c.bit | 0xFFFFFF00u;  // the unused bits are ignored
    Settings back;
    ASSERT_TRUE(loadBytes(image.bytes(), &back));
    for (const auto& other : cases) EXPECT_EQ(back.*other.field, other.bit == c.bit) << other.bit;
  }
}

TEST_F(SettingsFile, OlderVersionsKeepDefaultsForWhatTheyLack) {
  Settings v2;
  v2.windowWidth = 800;
  v2.windowHeight = 600;
  v2.windowLeft = 10;
  v2.windowTop = -20;
  v2.wordWrap = v2.readOnly = v2.hidePasswordDialog = true;
  v2.perFileReadOnly = v2.alwaysOnTop = v2.rememberWindowPos = true;
  v2.font = customFont();
  v2.dateFormat = "yyyy-MM-dd";
  v2.readOnlyList.setCapacity(5);
  v2.readOnly = true;
  v2.readOnlyList.touch("C:\\old.vtxt") = true;
  v2.readOnlyList.touch("C:\\new.vtxt") = false;

  Settings v1 = v2;  // no position, no bit 7
  v1.windowLeft = v1.windowTop = Settings::kUseDefault;
  v1.rememberWindowPos = false;

  Settings v0 = v1;  // no bits 5 and 6, no list
  v0.perFileReadOnly = v0.alwaysOnTop = false;
  v0.readOnlyList.clear();
  v0.readOnlyList.setCapacity(10);

  const Settings* expected[] = {&v0, &v1, &v2};
  for (int version = 0; version <= 2; ++version) {
    SCOPED_TRACE(version);
    FileImage image;
    image.version = version;
    Settings got;
    EXPECT_TRUE(loadBytes(image.bytes(), &got));
    expectSame(*expected[version], got);
  }
}

TEST_F(SettingsFile, UnusableContentsResetEveryField) {
  struct Case {
    const char* what;
    void (*change)(FileImage&);
  } cases[] = {
      {"width 0", [](FileImage& f) { f.width = 0; }},
      {"width -5", [](FileImage& f) { f.width = -5; }},
      {"wider than the screen", [](FileImage& f) { f.width = 1025; }},
      {"height 0", [](FileImage& f) { f.height = 0; }},
      {"taller than the screen", [](FileImage& f) { f.height = 769; }},
      {"empty date format", [](FileImage& f) { f.dateFormat = ""; }},
      {"capacity 0", [](FileImage& f) { f.capacity = 0; }},
      {"capacity -3", [](FileImage& f) { f.capacity = -3; }},
      {"version 3", [](FileImage& f) { f.version = 3; }},
      {"version -1", [](FileImage& f) { f.version = -1; }},
      {"date format over 100 bytes", [](FileImage& f) { f.dateFormat = std::string(101, 'y'); }},
      {"path without terminator in reach", [](FileImage& f) { f.entries[0].first = std::string(260, 'p'); }},
      {"date format not Shift_JIS", [](FileImage& f) { f.dateFormat = "yyyy\x81"; }},
      {"path not Shift_JIS", [](FileImage& f) { f.entries[1].first = "C:\\\x82"; }},
      {"count beyond the entries present", [](FileImage& f) { f.count = 3; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FileImage image;
    c.change(image);
    Settings s;
    EXPECT_FALSE(loadBytes(image.bytes(), &s));
    expectSame(Settings(), s);
  }
}

TEST_F(SettingsFile, SizesAtTheLimitsAreAccepted) {
  struct Case {
    int32_t width, height;
  } cases[] = {{Settings::kUseDefault, 600}, {800, Settings::kUseDefault}, {1024, 768}, {1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    FileImage image;
    image.width = c.width;
    image.height = c.height;
    Settings s;
    EXPECT_TRUE(loadBytes(image.bytes(), &s));
    EXPECT_EQ(s.windowWidth, c.width);
    EXPECT_EQ(s.windowHeight, c.height);
  }
}

TEST_F(SettingsFile, EveryTruncationOfAFileGivesTheDefaults) {
  const std::string whole = FileImage().bytes();
  for (size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE(length);
    Settings s;
    EXPECT_FALSE(loadBytes(whole.substr(0, length), &s));
    expectSame(Settings(), s);
  }
}

TEST_F(SettingsFile, CountBeyondCapacityReadsOnlyTheFirstEntries) {
  FileImage image;
  image.capacity = 2;
  image.entries = {{"first", 1}, {"second", 0}, {"third", 1}};
  Settings s;
  ASSERT_TRUE(loadBytes(image.bytes() + "trailing bytes", &s));
  EXPECT_EQ(entriesOf(s.readOnlyList), (Entries{{"second", false}, {"first", true}}));
}

// Each entry used to search the whole list: a file with a huge capacity and
// tens of thousands of entries took minutes to load.
TEST_F(SettingsFile, LongListLoadsWithTheNewestOfRepeatedPathsWinning) {
  constexpr int kDistinct = 20000;
  FileImage image;
  image.capacity = 0x7FFFFFFF;
  image.entries.clear();
  for (int round = 0; round < 2; ++round)
    for (int i = 0; i < kDistinct; ++i) image.entries.emplace_back("C:\\d\\" + std::to_string(i), round);
  Settings s;
  ASSERT_TRUE(loadBytes(image.bytes(), &s));
  ASSERT_EQ(s.readOnlyList.size(), kDistinct);
  EXPECT_EQ(s.readOnlyList.begin()->path, "C:\\d\\" + std::to_string(kDistinct - 1));
  for (const auto& e : s.readOnlyList) ASSERT_TRUE(e.readOnly) << e.path;
}

TEST_F(SettingsFile, HundredByteDateFormatSurvivesWithTheFieldsAfterIt) {
  Settings s;
  s.dateFormat = std::string(98, 'y') + "年";  // 100 bytes in Shift_JIS
  s.readOnlyList.setCapacity(4);
  s.readOnlyList.touch("C:\\x.vtxt") = true;
  ASSERT_TRUE(s.save(path()));
  Settings back;
  ASSERT_TRUE(back.load(path(), kScreen));
  expectSame(s, back);
}

TEST_F(SettingsFile, JapanesePathsTravelAsShiftJisBytes) {
  const std::string path = "C:\\ドキュメント\\日記～２０２６.vtxt";
  Settings s;
  s.readOnlyList.touch(path) = true;
  ASSERT_TRUE(s.save(this->path()));
  const std::string sjis =
      "C:\\\x83\x68\x83\x4c\x83\x85\x83\x81\x83\x93\x83\x67\\\x93\xfa\x8b\x4c\x81\x60"
      "\x82\x51\x82\x4f\x82\x51\x82\x55.vtxt";
  EXPECT_NE(contents().find(std::string(sjis) + '\0' + '\x01'), std::string::npos);

  Settings back;
  ASSERT_TRUE(back.load(this->path(), kScreen));
  EXPECT_EQ(entriesOf(back.readOnlyList), (Entries{{path, true}}));
}

TEST_F(SettingsFile, TextWithoutAShiftJisFormIsLeftOutAtSave) {
  Settings s;
  s.dateFormat = "yyyy \xF0\x9F\x98\x80";  // no Shift_JIS form: the default goes out instead
  s.readOnlyList.touch("C:\\kept.vtxt") = true;
  s.readOnlyList.touch("C:\\\xED\x95\x9C.vtxt");  // Hangul
  s.readOnlyList.touch(std::string(260, 'p'));    // longer than a path can be
  ASSERT_TRUE(s.save(path()));

  Settings back;
  ASSERT_TRUE(back.load(path(), kScreen));
  EXPECT_EQ(back.dateFormat, "yyyy/MM/dd HH:mm");
  EXPECT_EQ(entriesOf(back.readOnlyList), (Entries{{"C:\\kept.vtxt", true}}));

  s.dateFormat = std::string(101, 'y');  // more than the reader takes
  ASSERT_TRUE(s.save(path()));
  ASSERT_TRUE(back.load(path(), kScreen));
  EXPECT_EQ(back.dateFormat, "yyyy/MM/dd HH:mm");
}

// A save that cannot complete must leave the previous file, and nothing else.
class FailedSave : public SettingsFile {
 protected:
  void SetUp() override { write(kOld); }

  void expectOldFileAlone() {
    EXPECT_EQ(contents(), kOld);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(dir_.path()))) {
      (void)entry;
      ++files;
    }
    EXPECT_EQ(files, 1u);
  }

  const std::string kOld = FileImage().bytes();
};

TEST_F(FailedSave, ReadOnlyFileIsKept) {
  std::filesystem::permissions(std::filesystem::u8path(path()),
                               std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  EXPECT_FALSE(Settings().save(path()));
  expectOldFileAlone();
}

TEST_F(FailedSave, FileHeldOpenIsKept) {
  {
    orka::FileReadStream holder(path());  // another instance reading at that moment
    EXPECT_FALSE(Settings().save(path()));
  }
  expectOldFileAlone();
}

// Every step of a settings save failing in turn: silent, and the old file
// stays as it was.
TEST_F(FailedSave, AFailureAtAnyStepKeepsTheOldFile) {
  Settings s;
  s.windowWidth = 640;
  for (int i = 0; i < 3; ++i) s.readOnlyList.touch("C:\\documents\\" + std::to_string(i) + ".vtxt");
  bool saved = false;
  auto attempt = [&] {
    write(kOld);
    saved = s.save(path());
  };
  std::string steps = testing_support::forEveryFault(attempt, [&](const std::string& fault,
                                                                   testing_support::FileStep) {
    EXPECT_FALSE(saved) << fault << " was reported as a success";
    EXPECT_EQ(contents(), kOld) << fault;
    expectOldFileAlone();
  });
  std::printf("settings save steps, each failed alone: %s\n", steps.c_str());
  attempt();  // unhindered
  Settings back;
  ASSERT_TRUE(back.load(path(), kScreen));
  EXPECT_EQ(back.windowWidth, 640);
}

TEST_F(FailedSave, MissingFolderWritesNothing) {
  EXPECT_FALSE(Settings().save(dir_.path("missing/tolvane.dat")));
  expectOldFileAlone();
}

// An installed copy cannot write beside its programs; the installer's
// marker sends each user's settings to the user's own folder.
TEST(ProgramFolder, OnlyAnInstalledCopyKeepsItsSettingsInTheUsersFolder) {
  struct Case {
    const char* what;
    bool marker;
    bool folderExists;
    const char* expected;  // below the test's folder
  };
  for (const Case& c : {Case{"zip copy", false, false, "programs/security.dat"},
                        Case{"installed, first start", true, false, "user/Tolvane/security.dat"},
                        Case{"installed, folder made before", true, true, "user/Tolvane/security.dat"}}) {
    TempDir dir;
    orka::Dir(dir.path("programs"), true);
    orka::Dir(dir.path("user"), true);
    if (c.marker) dir.write("programs/installed.ini", "");
    if (c.folderExists) orka::Dir(dir.path("user/Tolvane"), true);
    const std::string path = settingsFilePath("security.dat", dir.path("programs"), dir.path("user"));
    EXPECT_EQ(orka::File(path).path(), orka::File(dir.path(c.expected)).path()) << c.what;
    EXPECT_EQ(std::filesystem::is_directory(std::filesystem::u8path(dir.path("user/Tolvane"))), c.marker) << c.what;
  }
}

TEST(ProgramFolder, SettingsLiveBesideTheExecutable) {
  const std::string program = programPath();
  const orka::File file = fileBesideProgram("tolvane.dat");
  EXPECT_EQ(settingsFilePath("tolvane.dat"), file.path()) << "no installer's marker beside the tests";
  EXPECT_EQ(file.parentDir().path(), orka::File(program).parentDir().path());
  EXPECT_EQ(std::filesystem::u8path(file.path()).filename().u8string(), "tolvane.dat");

  // The everyday entry points, on the real folder and the real screen.
  Settings s;
  s.windowWidth = 320;
  s.windowHeight = 200;
  s.readOnlyList.touch("C:\\real.vtxt");
  orka::File(file.path()).remove();
  s.save();
  Settings back;
  back.load();
  orka::File(file.path()).remove();
  expectSame(s, back);
}

}  // namespace
