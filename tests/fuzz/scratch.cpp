#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "targets.h"

namespace fuzz {
namespace {

namespace fs = std::filesystem;

// Made on first use, removed with everything in it when the process ends.
class Scratch {
 public:
  Scratch() {
    std::error_code ec;
    fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path(ec);
    // One folder per process: fuzzing jobs may run side by side.
    path_ = base / ("tolvane-fuzz-" + std::to_string(std::random_device()()));
    fs::create_directories(path_, ec);
    text_ = path_.u8string();
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const char* text() const { return text_.c_str(); }

 private:
  fs::path path_;
  std::string text_;
};

}  // namespace

const char* scratchFolder() {
  static const Scratch scratch;
  return scratch.text();
}

}  // namespace fuzz
