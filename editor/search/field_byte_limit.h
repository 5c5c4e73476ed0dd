// Keeps the text of an edit field within a number of bytes of the ANSI code
// page, the unit in which the search remembers its texts.
//
// A field of the system's dialogs counts characters, and a double-byte
// character takes two bytes.  The field is subclassed: before each message
// that can put text in (typing, an input method, pasting, undo, a program's
// text) the text and selection are noted, and should the message leave more
// than the limit, both are put back and the input is refused with a beep,
// whole, as the field refuses a character at its own limit.  The subclass
// goes with the field's window.  User-interface thread only.
#pragma once

#include <windows.h>

// False when the field could not be subclassed (it then keeps its own limit).
bool limitFieldBytes(HWND field, int maxBytes);
