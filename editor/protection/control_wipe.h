// Overwriting what the text's control holds, when a document is locked or
// replaced by a new one.
//
// The control keeps the text in its own buffer and what Undo would bring
// back in another; neither is ours to free.  wipeEditCtrl overwrites both,
// then empties them, and wipes the wrapper's own copies; the control stays
// in its read-only mode, empty and unmodified.  The control's older
// buffers, freed as it grew, are for wipeFreeHeapMemory (secret_memory.h).
// User-interface thread only.
#pragma once

class EditCtrl;

void wipeEditCtrl(EditCtrl& edit);
