// A fresh directory for one test, removed with everything in it afterwards.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace testing_support {

class TempDir {
 public:
  TempDir() : TempDir(std::filesystem::temp_directory_path()) {}
  // Inside `base` instead of the system's temporary folder.
  explicit TempDir(const std::filesystem::path& base) {
    static std::atomic<int> counter{0};
    path_ = base / ("tolvane-test-" + std::to_string(nowTicks()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    // Read-only files left by a test would stop the removal.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // A path inside the directory, as UTF-8 text.
  std::string path(const std::string& name = "") const {
    auto p = name.empty() ? path_ : path_ / std::filesystem::u8path(name);
    return p.u8string();
  }

  // Writes `bytes` to a file inside the directory and returns its path.
  std::string write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(path_ / std::filesystem::u8path(name), std::ios::binary);
    out << bytes;
    return path(name);
  }

  std::string read(const std::string& name) const { return readFile(path(name)); }

  static std::string readFile(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  static long long nowTicks();
  std::filesystem::path path_;
};

inline long long TempDir::nowTicks() {
  return static_cast<long long>(std::chrono::steady_clock::now().time_since_epoch().count());
}

}  // namespace testing_support
