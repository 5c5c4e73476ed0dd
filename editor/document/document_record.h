// DocumentRecord: what the editor keeps of the open document besides its
// text.  The main window owns the one record; the document commands fill it
// when a document is opened or saved under a new name and clear it for a new
// document.
#pragma once

#include <string>

#include "document/strong_document.h"

// The open document: its full path (empty while untitled) and the keyring
// its file is enciphered with, which also says the file's format.  While
// untitled the keyring is a classic one of no use: Save As makes the first.
struct DocumentRecord {
  std::string path;
  tolvane::DocumentKeyring keyring{tolvane::DocumentKey{}};
};
