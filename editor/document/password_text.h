// Passwords between the dialogs' masked fields and the document key.
//
// A document key is the digest of the password's bytes in the ANSI code page
// (Shift_JIS on the target systems), so what was typed into a Unicode field
// has to become those bytes.  There are two ways, for two purposes:
//
//  - typedPassword converts exactly as the system converts (best-fit
//    characters and the default character included).  That is how the
//    password of every existing document became bytes, so it is the one to
//    use wherever a typed password must reproduce a key: opening a document
//    and the old password of Save As.
//  - exactPassword gives the same bytes, but nothing when some character has
//    no exact place in the code page.  A new password with such a character
//    would silently share its key with every other text that converts to the
//    same bytes ("café" and "cafe"), so it is refused instead.
//
// The field's text is wiped from the buffers used on the way; the caller
// wipes the result with wipePassword once the key is made.  User-interface
// thread only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

std::string typedPassword(HWND field);
std::optional<std::string> exactPassword(HWND field);

// Overwrites the bytes (so no copy of the password outlives its use) and
// empties the string.
void wipePassword(std::string& password);
