#include <fstream>
#include <iterator>
#include <string>

#include "editor/recovery/recovery_copy.h"
#include "targets.h"

namespace fuzz {
namespace {

using tolvane::RecoveryOutcome;

// The user key of the seeds: bytes 0, 1, 2, ... 31.
const tolvane::RecoveryKey& fixedKey() {
  static const tolvane::RecoveryKey key = [] {
    tolvane::RecoveryKey::Bytes bytes;
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i);
    return tolvane::RecoveryKey::ofUser(bytes);
  }();
  return key;
}

std::string scratchFile() { return std::string(scratchFolder()) + "/copy.tvr"; }

void put(const std::string& bytes) {
  std::ofstream out(scratchFile(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Closed again at once: the reader opens the file exclusively, as on Windows.
std::string fileBytes() {
  std::ifstream in(scratchFile(), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Reads the scratch file as the start-up question and the restore do: the
// two must agree, and only the outcomes of a file that exists may come.
RecoveryOutcome readBack(std::string* text) {
  const tolvane::RecoveryHeading heading = tolvane::readRecoveryHeader(scratchFile());
  const tolvane::RecoveredText opened = tolvane::openRecoveryCopy(scratchFile(), fixedKey());
  check(heading.outcome != RecoveryOutcome::kUnreadable && opened.outcome != RecoveryOutcome::kUnreadable,
        "an existing file is always read");
  check(heading.outcome != RecoveryOutcome::kDamaged || opened.outcome == RecoveryOutcome::kDamaged,
        "a header that does not read never opens");
  if (opened.outcome == RecoveryOutcome::kOpened) {
    check(opened.text.size() == heading.header.textLength, "the text is as long as the header says");
    check(opened.header.documentPath == heading.header.documentPath, "the path shown is the path opened");
    *text = opened.text;
  } else {
    check(opened.text.empty(), "nothing of a refused text is handed out");
  }
  return opened.outcome;
}

// A copy as written, then cut, changed or lengthened where the input says:
// it must open exactly when untouched.
void changedCopy(const uint8_t* data, size_t size) {
  if (size < 4) return;
  std::string text(reinterpret_cast<const char*>(data) + 4, size - 4);
  // Now and then a text of two pieces.
  if (data[1] % 16 == 0) text.resize(tolvane::kRecoveryPieceSize + text.size() % 64, 'x');
  tolvane::writeRecoveryCopy(scratchFile(), fixedKey(), text.substr(0, data[1] % 8), data[2], text.data(),
                             static_cast<uint32_t>(text.size()));
  const std::string good = fileBytes();
  std::string file = good;
  const size_t at = (size_t{data[2]} << 8 | data[3]) * 131 % (good.size() + 1);
  switch (data[0] >> 1 & 3) {
    case 0:
      file.resize(at);
      break;
    case 1:
      if (at < file.size()) file[at] ^= static_cast<char>(data[1] | 1);
      break;
    case 2:
      file.append(good, 0, at % 40 + 1);
      break;
    default:
      break;
  }
  put(file);
  std::string read;
  const RecoveryOutcome outcome = readBack(&read);
  check((outcome == RecoveryOutcome::kOpened) == (file == good), "only the untouched copy opens");
  if (outcome == RecoveryOutcome::kOpened) check(read == text, "the text comes back whole");
}

}  // namespace

void recovery(const uint8_t* data, size_t size) {
  if (size == 0) return;
  if (data[0] % 2 == 0) {
    put(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    std::string text;
    readBack(&text);
  } else {
    changedCopy(data, size);
  }
}

}  // namespace fuzz
