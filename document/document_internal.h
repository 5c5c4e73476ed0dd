// What the classic and the strong format share inside document/: the bytes
// a password stands for, and the zlib stream of the text on its way into
// and out of a file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "document/document.h"
#include "orka/streams/mem_stream.h"
#include "orka/streams/zip_stream.h"

namespace tolvane {

// The message of every failure to make a key.
extern const char kKeyFailedMessage[];

// The bytes of `password`, or for the empty password the machine serial
// number followed by its terminating 0 (so that the machine key differs from
// the key of the serial typed as a password).  A view of `password` or of
// `serial`; throws orka::Error kKeyFailedMessage for the empty password with
// a null serial.
std::string_view passwordOrSerial(std::string_view password, const char* serial);

// Throws orka::Error naming `path`, before anything is written, when a
// document of `length` bytes under `key` must not be saved: a text longer
// than kMaxTextBytes could be written but never opened again, and an
// all-zero key is a wiped one (a keyring moved from or cleared), never a
// real password's.
void refuseUnsaveable(const std::string& path, const DocumentKey& key, uint32_t length);

// How many Argon2id derivations this process has run.  Tests check with it
// that a header asking for hostile costs is refused before any derivation.
uint64_t keyDerivationCount();

// Reads from `stream` until `size` bytes came or the data ended; returns the
// count read.
uint32_t readUpTo(orka::DataReadStream& stream, void* buffer, uint32_t size);

// Inflates `zip` into a new buffer, the text and one 0 byte; StreamError 7
// as soon as the text passes `maxText`.
std::unique_ptr<orka::MemWriteStream> inflateText(orka::ZipReadStream& zip, uint32_t maxText);

// Compresses `text` onto `below` (taken over) in one write and finishes the
// stream; returns the chain for writeFileSafely.
std::unique_ptr<orka::DataWriteStream> compressText(orka::DataWriteStream* below, const void* text,
                                                    uint32_t length);

}  // namespace tolvane
