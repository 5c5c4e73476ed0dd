#include "orka/files/safe_write.h"

#include <atomic>
#include <cctype>
#include <vector>

#include "orka/errors/error.h"
#include "orka/files/file_faults.h"
#include "orka/files/path_ops.h"

namespace orka {
namespace {

// How much of the target's name goes into a temporary name: file systems
// allow 255 characters in one name, and the rest of it takes up to 27.
constexpr size_t kLongestNamePart = 200;
// How many temporary names a save tries before it gives up: more taken
// names than this are no accident.
constexpr int kTemporaryNameTries = 100;

const char kNoTemporaryName[] = "一時ファイルを作成できません。同じ名前のファイルが既にあります。\n\n";
const char kTargetLost[] = "ファイルの置き換えに失敗しました。保存した内容は次のファイルに残っています。\n\n";

struct Place {
  std::string folder;  // with its trailing separator, or empty
  std::string name;
};

Place splitPath(const std::string& path) {
  size_t end = path.find_last_of("/\\:");
  if (end == std::string::npos) return {std::string(), path};
  return {path.substr(0, end + 1), path.substr(end + 1)};
}

// The part of every temporary name of `name` before the process number.
std::string temporaryPrefix(const std::string& name) {
  std::string part = name.substr(0, kLongestNamePart);
  // Cut at a character boundary of the UTF-8 text.
  if (part.size() < name.size())
    while (!part.empty() && (static_cast<unsigned char>(name[part.size()]) & 0xC0) == 0x80) part.pop_back();
  return ".~" + part + ".";
}

std::string temporaryPath(const Place& target) {
  static std::atomic<uint32_t> counter{0};
  return target.folder + temporaryPrefix(target.name) + std::to_string(detail::processId()) + "-" +
         std::to_string(counter++) + ".tmp";
}

bool allDigits(const std::string& s) {
  if (s.empty() || s.size() > 10) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// The process that wrote temporary file `entry` of `prefix`, if it is one.
bool writerOf(const std::string& entry, const std::string& prefix, uint32_t* process) {
  const std::string suffix = ".tmp";
  if (entry.size() <= prefix.size() + suffix.size() || entry.compare(0, prefix.size(), prefix) != 0 ||
      entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  std::string middle = entry.substr(prefix.size(), entry.size() - prefix.size() - suffix.size());
  size_t dash = middle.find('-');
  if (dash == std::string::npos || !allDigits(middle.substr(0, dash)) || !allDigits(middle.substr(dash + 1)))
    return false;
  unsigned long long id = std::stoull(middle.substr(0, dash));
  if (id > 0xFFFFFFFFull) return false;
  *process = static_cast<uint32_t>(id);
  return true;
}

// Removes what saves of `target` cut short have left.  A file of this
// process or of one still running is left alone: it may be a save in
// progress.  Only plain files go: anything else at such a name was not
// made by a save, and a link is never followed.  Failures do not matter;
// the next save tries again.
void removeLeftovers(const Place& target) {
  std::vector<detail::DirEntry> entries;
  const std::string folder = target.folder.empty() ? std::string(".") : target.folder;
  if (!detail::listDirectory(folder, &entries)) return;
  const std::string prefix = temporaryPrefix(target.name);
  const uint32_t self = detail::processId();
  for (const detail::DirEntry& entry : entries) {
    uint32_t writer;
    if (!entry.regular || entry.link || !writerOf(entry.name, prefix, &writer)) continue;
    if (writer == self || detail::processRunning(writer)) continue;
    detail::deleteFile(target.folder + entry.name);
  }
}

// Creates the temporary file under the first free name.  Exclusively: in a
// shared folder someone may have put a file or a link at the name, and
// writing through it would put the document's bytes wherever it leads.
std::unique_ptr<FileWriteStream> createTemporary(const Place& place, const std::string& path,
                                                 std::string* temp) {
  for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    *temp = temporaryPath(place);
    try {
      if (std::unique_ptr<FileWriteStream> stream = FileWriteStream::createNew(*temp)) return stream;
    } catch (const StreamError&) {
      throw StreamError(StreamError::kOpenFailed, path);
    }
  }
  throw Error(kNoTemporaryName + *temp);
}

// The replacement, or what the fault seam makes of it.  A partial fault
// leaves what a ReplaceFileW that failed half-way leaves: the target gone
// from its name and the new contents only under the temporary one.
detail::ReplaceResult replaceStep(const std::string& source, const std::string& target) {
  switch (detail::faultAt(detail::FileStep::kReplace)) {
    case detail::StepOutcome::kProceed:
      return detail::replaceFile(source, target);
    case detail::StepOutcome::kPartial:
      detail::deleteFile(target);
      return detail::ReplaceResult::kTargetLost;
    case detail::StepOutcome::kFail:
      break;
  }
  return detail::ReplaceResult::kUnchanged;
}

}  // namespace

void writeFileSafely(const std::string& path, const SafeWriter& write) {
  // Writing through a symbolic link changes the file it leads to; replacing
  // the link itself would leave that file with the old contents.
  std::string target = detail::finalTarget(path);
  std::string absolute;
  if (detail::fullPath(target, &absolute)) target = absolute;
  detail::FileInfo existing;
  bool exists = detail::findFile(target, &existing);
  // Refuse up front what the old in-place save refused, so that a read-only
  // or busy document is reported the same way and never replaced behind the
  // user's back.
  if (exists && (existing.directory || existing.readOnly || !detail::canOpenForWriting(target)))
    throw StreamError(StreamError::kOpenFailed, path);

  const Place place = splitPath(target);
  std::string temp;
  std::unique_ptr<FileWriteStream> stream = createTemporary(place, path, &temp);
  bool onlyCopy = false;
  try {
    FileWriteStream* file = stream.get();
    std::unique_ptr<DataWriteStream> chain = write(std::move(stream));
    file->close();
    chain.reset();
    if (exists) detail::copyKeptAttributes(target, temp);
    switch (replaceStep(temp, target)) {
      case detail::ReplaceResult::kReplaced:
        break;
      case detail::ReplaceResult::kUnchanged:
        throw StreamError(StreamError::kWriteFailed, path);
      case detail::ReplaceResult::kTargetLost:
        // The temporary file now holds the only copy of the document: it
        // stays, and the message says where it is.
        onlyCopy = true;
        throw Error(kTargetLost + temp);
    }
  } catch (const StreamError& e) {
    detail::deleteFile(temp);
    // Errors about the temporary file are errors of saving the target.
    if (!e.path().empty() && e.path() != path) throw StreamError(e.code(), path);
    throw;
  } catch (...) {
    if (!onlyCopy) detail::deleteFile(temp);
    throw;
  }
  removeLeftovers(place);
}

}  // namespace orka
