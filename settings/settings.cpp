#include "settings/settings.h"

#include <exception>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "orka/errors/error.h"
#include "orka/files/safe_write.h"
#include "orka/streams/buffered_stream.h"
#include "orka/streams/file_stream.h"
#include "orka/text/codepage.h"

namespace {

constexpr int32_t kCurrentVersion = 2;

enum FlagBit : uint32_t {
  kShowToolBar = 0x01,
  kShowStatusBar = 0x02,
  kWordWrap = 0x04,
  kReadOnly = 0x08,
  kHidePasswordDialog = 0x10,
  kPerFileReadOnly = 0x20,
  kAlwaysOnTop = 0x40,
  kRememberWindowPos = 0x80,
};

// The flags each version knows; bits beyond them are ignored on reading.
constexpr uint32_t kFlagsOfVersion[] = {0x1F, 0x7F, 0xFF};

// The longest path an entry holds, in ANSI bytes (MAX_PATH less the terminator).
constexpr uint32_t kMaxPathBytes = 259;

// Why a file that read without a stream error still does not count.
struct BadFile {};

// The pairing of each flag with its field, for reading and writing alike.
template <typename Record, typename Visit>
void forEachFlag(Record& s, Visit visit) {
  visit(kShowToolBar, s.showToolBar);
  visit(kShowStatusBar, s.showStatusBar);
  visit(kWordWrap, s.wordWrap);
  visit(kReadOnly, s.readOnly);
  visit(kHidePasswordDialog, s.hidePasswordDialog);
  visit(kPerFileReadOnly, s.perFileReadOnly);
  visit(kAlwaysOnTop, s.alwaysOnTop);
  visit(kRememberWindowPos, s.rememberWindowPos);
}

// Reads a zero-terminated ANSI string of at most `maxBytes` bytes and returns
// it as UTF-8.  A string with no terminator within reach is not one the
// editor wrote: reading on would take its tail for the fields that follow, so
// the file counts as bad.  The end of the data also ends the string.
std::string readText(orka::DataReadStream& in, uint32_t maxBytes) {
  std::vector<char> buffer(maxBytes + 2, '\0');
  uint32_t length = orka::readString(in, buffer.data(), maxBytes + 1);
  if (length > maxBytes) throw BadFile();
  auto utf8 = orka::codePageToUtf8(std::string_view(buffer.data(), length), orka::ansiCodePage());
  if (!utf8) throw BadFile();
  return std::move(*utf8);
}

void readFont(orka::DataReadStream& in, LogFontA* font) {
  unsigned char bytes[LogFontA::kByteSize];
  if (in.read(bytes, sizeof bytes) != sizeof bytes) orka::raiseShortInput();
  *font = LogFontA::fromBytes(bytes);
}

// Fills `s` (already at its defaults) from the file's fields.  Stream errors
// pass through; BadFile reports contents that cannot be used.
void readRecord(orka::DataReadStream& in, Settings& s) {
  const int32_t version = orka::readInt32(in);
  if (version < 0 || version > kCurrentVersion) throw BadFile();

  s.windowWidth = orka::readInt32(in);
  s.windowHeight = orka::readInt32(in);
  if (version >= 2) {
    s.windowLeft = orka::readInt32(in);
    s.windowTop = orka::readInt32(in);
  }
  const uint32_t flags = static_cast<uint32_t>(orka::readInt32(in));
  const uint32_t known = kFlagsOfVersion[version];
  forEachFlag(s, [&](uint32_t bit, bool& field) {
    if (known & bit) field = (flags & bit) != 0;
  });
  readFont(in, &s.font);
  s.dateFormat = readText(in, Settings::kMaxDateFormatBytes);
  if (version < 1) return;

  int32_t capacity = orka::readInt32(in);
  if (capacity < 0) capacity = 0;
  s.readOnlyList.setCapacity(capacity);
  int32_t count = orka::readInt32(in);
  if (count > capacity) count = capacity;
  // The file lists the oldest entry first, so touching each in turn leaves
  // the newest at the front, as it was when saved.
  for (int32_t i = 0; i < count; ++i) {
    std::string path = readText(in, kMaxPathBytes);
    s.readOnlyList.touch(path) = orka::readFlag(in);
  }
}

bool sizeFits(int32_t size, int32_t screen) {
  return size == Settings::kUseDefault || (size > 0 && size <= screen);
}

bool isUsable(const Settings& s, const ScreenSize& screen) {
  return sizeFits(s.windowWidth, screen.width()) && sizeFits(s.windowHeight, screen.height()) &&
         !s.dateFormat.empty() && s.readOnlyList.capacity() != 0;
}

std::optional<std::string> toFileText(const std::string& utf8, size_t maxBytes) {
  auto bytes = orka::utf8ToCodePage(utf8, orka::ansiCodePage());
  if (!bytes || bytes->size() > maxBytes) return std::nullopt;
  return bytes;
}

void writeText(orka::DataWriteStream& out, const std::string& bytes) {
  out.write(bytes.c_str(), static_cast<uint32_t>(bytes.size() + 1));
}

}  // namespace

void Settings::setDefaults() {
  // The member initialisers are the one list of defaults; assignment keeps
  // this record's list bound to its own readOnly.
  *this = Settings();
}

void Settings::setDefaults(const ScreenSize& screen) {
  setDefaults();
  font = LogFontA::defaultFont(screen.dpi());
}

void Settings::load() {
  try {
    load(settingsFilePath(kFileName), systemScreenSize());
  } catch (const orka::Error&) {
    setDefaults(systemScreenSize());  // the settings' folder could not be found
  }
}

bool Settings::load(const std::string& path, const ScreenSize& screen) {
  setDefaults(screen);
  try {
    // Strings are read a byte at a time: a block at a time from the file.
    orka::BufferedReadStream in(new orka::FileReadStream(path));
    readRecord(in, *this);
  } catch (const orka::Error&) {
    setDefaults(screen);
    return false;
  } catch (const BadFile&) {
    setDefaults(screen);
    return false;
  } catch (const std::exception&) {  // out of memory: still start, with defaults
    setDefaults(screen);
    return false;
  }
  if (!isUsable(*this, screen)) {
    setDefaults(screen);
    return false;
  }
  return true;
}

void Settings::save() const {
  try {
    save(settingsFilePath(kFileName));
  } catch (const orka::Error&) {
    // No folder to write to; the settings simply are not kept.
  }
}

bool Settings::save(const std::string& path) const {
  try {
    // The format came from the file or from the dialog, which both limit it,
    // so this only guards against a value nothing can read back: writing it
    // would make the next start throw away every setting.
    std::string format = toFileText(dateFormat, kMaxDateFormatBytes).value_or(kDefaultDateFormat);
    if (format.empty()) format = kDefaultDateFormat;

    // A path the ANSI code page cannot hold (characters outside it) or too
    // long for the reader is left out rather than written mangled: the old
    // program would open a different file under a "?" name, and a long one
    // would shift every field after it.  Such a document simply is not
    // remembered, like one evicted from the list.
    std::vector<std::pair<std::string, bool>> entries;
    for (auto it = readOnlyList.rbegin(); it != readOnlyList.rend(); ++it) {
      if (auto bytes = toFileText(it->path, kMaxPathBytes))
        entries.emplace_back(std::move(*bytes), it->readOnly);
    }

    uint32_t flags = 0;
    forEachFlag(*this, [&](uint32_t bit, const bool& field) {
      if (field) flags |= bit;
    });
    unsigned char fontBytes[LogFontA::kByteSize];
    font.toBytes(fontBytes);

    orka::writeFileSafely(path, [&](std::unique_ptr<orka::FileWriteStream> out) {
      orka::writeInt32(*out, kCurrentVersion);
      orka::writeInt32(*out, windowWidth);
      orka::writeInt32(*out, windowHeight);
      orka::writeInt32(*out, windowLeft);
      orka::writeInt32(*out, windowTop);
      orka::writeInt32(*out, static_cast<int32_t>(flags));
      out->write(fontBytes, sizeof fontBytes);
      writeText(*out, format);
      orka::writeInt32(*out, readOnlyList.capacity());
      orka::writeInt32(*out, static_cast<int32_t>(entries.size()));
      for (const auto& entry : entries) {
        writeText(*out, entry.first);
        orka::writeFlag(*out, entry.second);
      }
      out->flush(true);
      return std::unique_ptr<orka::DataWriteStream>(std::move(out));
    });
    return true;
  } catch (const orka::Error&) {
    return false;
  } catch (const std::exception&) {
    return false;
  }
}
