// Passwords between the dialogs' masked fields and the document key.
//
// A document key is the digest of the password's bytes in the ANSI code page
// (Shift_JIS on the target systems), so what was typed into a Unicode field
// has to become those bytes, by the rule the vtxt tool follows too
// (orka::codePagePassword): a look-alike such as 〜 or − takes the code page's
// own form, as Windows writes it, and a character with no form at all has
// no bytes.  There are two uses:
//
//  - exactPassword gives the rule's bytes, or nothing.  A new password with
//    a character that has no form would silently share its key with every
//    other text that converts to the same bytes ("café" and "cafe"), so it
//    is refused instead.
//  - typedPassword gives the rule's bytes too, and where the rule has none,
//    the bytes the system's own conversion makes (best-fit characters and
//    the default character included): that is how passwords with such
//    characters became keys before, so it is the one to use wherever a
//    typed password must reproduce a key: opening a document and the old
//    password of Save As.
//
// The field's text is wiped from the buffers used on the way; the caller
// wipes the result with orka::secureWipe once the key is made.  User-interface
// thread only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

std::string typedPassword(HWND field);
std::optional<std::string> exactPassword(HWND field);
