// A writer for writeFileSafely that the file tests share.
#pragma once

#include <memory>

#include "orka/streams/file_stream.h"

namespace orka {

// Writes "new" and hands the stream back, as a complete save does.
inline std::unique_ptr<DataWriteStream> writeNew(std::unique_ptr<FileWriteStream> s) {
  s->write("new", 3);
  s->flush(true);
  return s;
}

}  // namespace orka
