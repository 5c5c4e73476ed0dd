// The fuzz targets: each takes one input of any bytes and either returns or
// aborts (a failed check, a sanitizer report).  The same functions run under
// libFuzzer in the fuzz preset and replay their seed corpora in the normal
// test run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// A document file through readDocument (from a file) with a fixed key; the
// first byte picks whether the rest is the file itself or the plaintext
// that gets enciphered first, so that inflating is reached too.
void document(const uint8_t* data, size_t size);
// The strong document reader with a fixed key taken as derived: by the first
// byte, any bytes as a header and a file; a document as written, then cut,
// changed or lengthened (it must open exactly when untouched); or pieces
// sealed with the fuzzer's lengths and tags.
void strongDocument(const uint8_t* data, size_t size);
// A recovery copy under a fixed user key: by the first byte, any bytes as a
// copy, or a copy as written, then cut, changed or lengthened (it must open
// exactly when untouched).
void recovery(const uint8_t* data, size_t size);
// A "tolvane.dat" through the loader; what loads must save and load again
// to the same record.
void settings(const uint8_t* data, size_t size);
// A Tolvreg command line (UTF-16) through the parser and the whole helper
// run against the in-memory registry.
void tolvreg(const uint8_t* data, size_t size);
// vtxt's command line (arguments separated by 0 bytes) through its parser.
void vtxtArguments(const uint8_t* data, size_t size);
// Shift_JIS text, a search text, case rule, direction and selection through
// the search engine, against a naive reference: the same hit or the same miss.
void search(const uint8_t* data, size_t size);
// Text through the code-page conversions both ways, in the code page that
// the first byte picks.
void codePage(const uint8_t* data, size_t size);

// Aborts with a message when `condition` is false: the fuzzer then keeps the
// input that did it.
inline void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
  }
}

// A folder for the files a target needs, on a memory file system where there
// is one: saves flush to the disk, which would make each run slow.
const char* scratchFolder();

}  // namespace fuzz
