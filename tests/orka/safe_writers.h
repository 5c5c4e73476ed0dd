// A writer for writeFileSafely that the file tests share.
#pragma once

#include <memory>
#include <string>

#include "orka/files/safe_write.h"
#include "orka/streams/file_stream.h"

namespace orka {

// Writes "new" and hands the stream back, as a complete save does.
inline std::unique_ptr<DataWriteStream> writeNew(std::unique_ptr<FileWriteStream> s) {
  s->write("new", 3);
  s->flush(true);
  return s;
}

// The temporary name `steps` counter values after `name`.
inline std::string temporaryNameAfter(const std::string& name, unsigned long steps) {
  const size_t dash = name.rfind('-');
  return name.substr(0, dash + 1) + std::to_string(std::stoul(name.substr(dash + 1)) + steps) + ".tmp";
}

// The temporary name the next save of `path` tries first: a save that
// records its own tells the counter.
inline std::string nextTemporaryName(const std::string& path) {
  std::string used;
  writeFileSafely(path, [&used](std::unique_ptr<FileWriteStream> s) {
    used = s->fullPath();
    return writeNew(std::move(s));
  });
  return temporaryNameAfter(used, 1);
}

}  // namespace orka
