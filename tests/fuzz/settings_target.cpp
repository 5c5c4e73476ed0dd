#include <fstream>
#include <string>

#include "settings/settings.h"
#include "targets.h"

namespace fuzz {
namespace {

bool sameRecord(const Settings& a, const Settings& b) {
  if (a.windowWidth != b.windowWidth || a.windowHeight != b.windowHeight || a.windowLeft != b.windowLeft ||
      a.windowTop != b.windowTop || a.showToolBar != b.showToolBar || a.showStatusBar != b.showStatusBar ||
      a.wordWrap != b.wordWrap || a.readOnly != b.readOnly || a.hidePasswordDialog != b.hidePasswordDialog ||
      a.alwaysOnTop != b.alwaysOnTop || a.rememberWindowPos != b.rememberWindowPos ||
      a.perFileReadOnly != b.perFileReadOnly || !(a.font == b.font) || a.dateFormat != b.dateFormat ||
      a.readOnlyList.capacity() != b.readOnlyList.capacity() || a.readOnlyList.size() != b.readOnlyList.size())
    return false;
  auto j = b.readOnlyList.begin();
  for (auto i = a.readOnlyList.begin(); i != a.readOnlyList.end(); ++i, ++j)
    if (i->path != j->path || i->readOnly != j->readOnly) return false;
  return true;
}

}  // namespace

void settings(const uint8_t* data, size_t size) {
  const std::string folder = scratchFolder();
  const std::string first = folder + "/tolvane.dat", second = folder + "/again.dat";
  {
    std::ofstream out(first, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const FixedScreenSize screen(1920, 1080);
  Settings loaded;
  if (!loaded.load(first, screen)) {
    check(sameRecord(loaded, Settings()), "a refused file leaves every default");
    return;
  }
  check(loaded.save(second), "a loaded record saves");
  Settings reloaded;
  check(reloaded.load(second, screen), "a saved record loads");
  check(sameRecord(loaded, reloaded), "save and load keep the record");
}

}  // namespace fuzz
