// DocumentRecord: what the editor keeps of the open document besides its
// text.  The main window owns the one record; the document commands fill it
// when a document is opened or saved under a new name and clear it for a new
// document.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// The open document: its full path (empty while untitled) and the key its
// file is enciphered with.
struct DocumentRecord {
  std::string path;
  std::array<uint8_t, 32> key{};
};
