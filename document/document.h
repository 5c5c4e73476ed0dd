// The .vtxt document file and the key that opens it.
//
// A document file holds only the text (code-page bytes, CR LF lines, no
// terminator), compressed in the zlib format and enciphered with RijndaelBE
// (AES-256, our byte order) in CBC mode with a zero initialisation vector,
// keyed with the SHA-256 of the password:
//
//   file      = CBC( zlib stream | 0 to 15 zero bytes ), 16 * N bytes, N >= 1
//   key       = SHA-256(password bytes)            for a password
//             = SHA-256(serial number bytes, 0)    for the empty password
//
// There is no header and no check value: a wrong key shows itself only when
// the deciphered bytes fail to inflate (StreamError 13, the same error as a
// damaged, truncated or empty file).  The same text under the same key
// always gives the same bytes.
//
// Failures are thrown as orka::Error: readDocument gives StreamError 13
// (wrong key or damaged file), 1 (no such file), 0 (cannot open), 2 (read
// failed), 11, or 7 when the text is longer than the editor can hold (a
// small file may inflate to any size; reading stops as soon as the text
// passes the limit, so memory never holds more than that); writeDocument
// gives StreamError 0 (cannot open: read-only, in use, denied, missing
// folder), 6 (write or flush failed), 11 or 12, and never harms the previous
// file.  A text longer than kMaxTextBytes, which no reader would open again,
// and an all-zero key (one that was wiped) are refused with an orka::Error
// naming the file before anything is written.  Single-threaded.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "orka/streams/mem_stream.h"

namespace tolvane {

using DocumentKey = std::array<unsigned char, 32>;

// The longest text a document may hold: what the editor's edit control takes.
constexpr uint32_t kMaxTextBytes = 0x4000000;

// The key of `password`, its bytes in the code page of the documents.  The
// empty password means the machine's serial number (machineSerialNumber);
// without one this throws orka::Error "暗号キーの作成に失敗しました。".
DocumentKey makeDocumentKey(std::string_view password);

// The same with the serial number given: for opening a document written
// with the empty password on another machine.  A null serial is none.
DocumentKey makeDocumentKey(std::string_view password, const char* serial);

// Reads the document at `path`: the text's bytes followed by one 0 byte
// (size() counts that 0).  A 0 byte inside the text ends it for callers that
// read the buffer as a string; the bytes after it are still there.  A text
// longer than `maxText` bytes throws StreamError 7.
std::unique_ptr<orka::MemWriteStream> readDocument(const std::string& path, const DocumentKey& key,
                                                   uint32_t maxText = kMaxTextBytes);

// Writes `length` bytes of `text` as the document at `path`.  An existing
// file is replaced only once the new one is safely on disk (a hidden file
// stays hidden); if anything fails the old file is left exactly as it was.
// At most kMaxTextBytes: a longer text is refused, as is an all-zero key.
void writeDocument(const std::string& path, const DocumentKey& key, const void* text, uint32_t length);

}  // namespace tolvane
