// DocumentRecord: what the editor keeps of the open document besides its
// text.  The main window owns the one record; the document commands fill it
// when a document is opened or saved under a new name and clear it for a new
// document; locking wipes its key.
#pragma once

#include <string>

#include "editor/document/secret_memory.h"

// The open document: its full path (empty while untitled) and the key its
// file is enciphered with, kept protected (see secret_memory.h).
struct DocumentRecord {
  std::string path;
  ProtectedKey key;
};
