#include "orka/files/safe_write.h"

#include <atomic>

#include "orka/errors/error.h"
#include "orka/files/path_ops.h"

namespace orka {
namespace {

// A name in the target's folder that no other save of ours uses at the same
// time.  It is short and independent of the target's name, so that a target
// whose path is near the system's length limit can still be saved.
std::string temporaryNameBeside(const std::string& path) {
  static std::atomic<uint32_t> counter{0};
  size_t folderEnd = path.find_last_of("/\\:");
  std::string folder = folderEnd == std::string::npos ? std::string() : path.substr(0, folderEnd + 1);
  return folder + ".~vtxt-" + std::to_string(detail::processId()) + "-" + std::to_string(counter++) + ".tmp";
}

}  // namespace

void writeFileSafely(const std::string& path,
                     const std::function<void(std::unique_ptr<FileWriteStream>)>& write) {
  detail::FileInfo existing;
  bool exists = detail::findFile(path, &existing);
  // Refuse up front what the old in-place save refused, so that a read-only
  // or busy document is reported the same way and never replaced behind the
  // user's back.
  if (exists && (existing.directory || existing.readOnly || !detail::canOpenForWriting(path)))
    throw StreamError(StreamError::kOpenFailed, path);

  std::string temp = temporaryNameBeside(path);
  try {
    std::unique_ptr<FileWriteStream> stream;
    try {
      stream = std::make_unique<FileWriteStream>(temp);
    } catch (const StreamError&) {
      throw StreamError(StreamError::kOpenFailed, path);
    }
    write(std::move(stream));
    if (exists) detail::copyKeptAttributes(path, temp);
    if (!detail::replaceFile(temp, path)) throw StreamError(StreamError::kWriteFailed, path);
  } catch (const StreamError& e) {
    detail::deleteFile(temp);
    // Errors about the temporary file are errors of saving the target.
    if (!e.path().empty() && e.path() != path) throw StreamError(e.code(), path);
    throw;
  } catch (...) {
    detail::deleteFile(temp);
    throw;
  }
}

}  // namespace orka
