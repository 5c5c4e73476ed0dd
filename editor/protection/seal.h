// The open document's state while it is locked, and the seal that keeps it.
//
// Locking keeps the document's state (text, selection, modified flag,
// read-only mode and what Undo would bring back) only enciphered, under a
// key made from the document's key and a fresh random salt; nothing else of
// it survives.  The sealed record is libsodium's secretbox (XSalsa20 and
// Poly1305), so a wrong document key and a damaged record are both refused
// before a byte is deciphered:
//
//   record = salt (16) | nonce (24) | secretbox(plain) (16 + plain)
//   key    = BLAKE2b-256(key = document key, salt, personal "Tolvane.seal.v1")
//   plain  = u32 selection start | u32 end | u8 modified | u8 read-only |
//            u8 has-undo | u32 length | text | u32 length | undo text
//            (little-endian; the texts are the control's ANSI bytes)
//
// One bit stays plain beside the record: whether the text was modified, so
// that whoever asks whether there are unsaved changes gets the same answer
// locked or not.
//
// Every buffer that holds plain bytes is sized exactly once and wiped before
// it is freed.  Needs no window; thread-compatible.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/document.h"

// What Lock keeps of the document.  Its texts are wiped with it.
struct DocumentState {
  DocumentState() = default;
  ~DocumentState();
  DocumentState(const DocumentState&) = delete;
  DocumentState& operator=(const DocumentState&) = delete;

  uint32_t selectionStart = 0;
  uint32_t selectionEnd = 0;
  bool modified = false;
  bool readOnly = false;
  bool hasUndo = false;
  std::string text;
  std::string undo;
};

class SealedState {
 public:
  // Seals `state` under `key`.  Throws orka::Error when libsodium cannot
  // start, std::bad_alloc when memory runs out; `state` is left as it was.
  static SealedState seal(const DocumentState& state, const tolvane::DocumentKey& key);

  // Opens the record into `state`; false (with `state` untouched) when
  // `key` is not the one it was sealed with, or the record was changed.
  bool open(const tolvane::DocumentKey& key, DocumentState& state) const;

  bool modified() const { return modified_; }
  // The record itself, for tests that look at or damage it.
  std::vector<unsigned char>& record() { return record_; }

 private:
  std::vector<unsigned char> record_;
  bool modified_ = false;
};
