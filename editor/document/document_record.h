// DocumentRecord: what the editor keeps of the open document besides its
// text.  The main window owns the one record; the document commands fill it
// when a document is opened or saved under a new name and clear it for a new
// document; locking wipes its key.
//
// Of the document's keyring (document/strong_document.h) only the key is
// secret: it is kept protected (secret_memory.h), while the format, the
// salt and the key-derivation costs sit beside it in plain form.  The
// keyring is put together again only for the moment a read, a write or a
// comparison needs it, and wiped right after.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "document/strong_document.h"
#include "editor/protection/secret_memory.h"

struct DocumentRecord {
  // The full path; empty while untitled.
  std::string path;
  ProtectedKey key;
  tolvane::DocumentFormat format = tolvane::DocumentFormat::kClassic;
  tolvane::DocumentSalt salt{};
  tolvane::KeyDerivationCost cost{0, 0};

  // Keeps `keyring`: its key protected, the rest beside it.  The caller's
  // keyring still wipes itself.
  void keep(const tolvane::DocumentKeyring& keyring);
  // No document: the key wiped, the format back to classic.
  void forget();
  // Runs `user` with the whole keyring, which is wiped afterwards.
  void useKeyring(const std::function<void(const tolvane::DocumentKeyring&)>& user) const;
  // The keyring `password` gives for this document (one derivation for a
  // strong one), whether or not the key is still held.
  tolvane::DocumentKeyring keyringFor(std::string_view password) const;
  // Whether `password` gives the key held.
  bool opensWith(std::string_view password) const;
};
