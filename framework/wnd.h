// CWnd: a C++ object bound to one Win32 window.
//
// The window procedure of every window we create is only a dispatch table:
// a message found in the object's table goes to its small named handler;
// otherwise to the class's built-in handler for it (frames and dialogs install
// a few); otherwise to the default window procedure.  A handler that wants the
// standard behaviour as well calls Default(), which runs the next stage for the
// message being handled.
//
// Ownership: the object owns the window it created and destroys it in its
// destructor; the binding is removed at WM_NCDESTROY.  A window taken over
// with attach() (a control made elsewhere) is only looked up through the
// object, never destroyed by it, and its destruction goes unnoticed: whoever
// destroys such a window detaches or deletes the object with it.
//
// Instance data lives with the window: GWLP_USERDATA of our own window classes
// holds the object; every bound window (ours, dialogs, attached controls) also
// carries a window property so that fromHandle() can tell our objects from
// foreign windows, whose user data we must never interpret.
//
// Text is UTF-8 at this interface.  Single-threaded: everything runs on the
// user-interface thread.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace fw {

class CWnd {
 public:
  using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;

  CWnd();
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND hwnd() const { return hwnd_; }

  // The object bound to a window, or nullptr for windows that are not ours.
  static CWnd* fromHandle(HWND hwnd);

  // Binds an existing window (for example a system control) without
  // subclassing it: it takes part in pre-translation but keeps its own
  // window procedure.  detach() undoes it and returns the window.
  void attach(HWND hwnd);
  HWND detach();

  // Pre-translation: the application offers each queued message to the
  // objects of the target window and its ancestors, innermost first, before
  // it is translated and dispatched.  A hook may rewrite the message in place
  // (it is then dispatched as rewritten) or return true to swallow it.
  virtual bool PreTranslateMessage(MSG& msg);

  // Message table: the handler replaces the built-in handling of that
  // message for this object (it may call Default() to run it as well).
  void onMessage(UINT message, MessageHandler handler);
  template <class T>
  void onMessage(UINT message, LRESULT (T::*member)(WPARAM, LPARAM)) {
    T* self = static_cast<T*>(this);
    onMessage(message, [self, member](WPARAM w, LPARAM l) { return (self->*member)(w, l); });
  }

  // Default processing of the message currently being handled.
  LRESULT Default();

  LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  std::string windowText() const;
  void setWindowText(std::string_view text);
  // Destroys the window now (no-op when there is none).
  void destroyWindow();

 protected:
  // Built-in handlers of a window class (frames, dialogs).  Looked up after
  // the object's own table.
  void onBuiltin(UINT message, MessageHandler handler);
  template <class T>
  void onBuiltin(UINT message, LRESULT (T::*member)(WPARAM, LPARAM)) {
    T* self = static_cast<T*>(this);
    onBuiltin(message, [self, member](WPARAM w, LPARAM l) { return (self->*member)(w, l); });
  }

  // Drops the object's own table, e.g. before destroying the window from a
  // base destructor when the handlers' object is already gone.
  void clearMessageTable() { table_.clear(); }

  // The last stage: DefWindowProc for plain windows; dialogs override it.
  virtual LRESULT defaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);

  // The body of a window procedure: table, built-ins, default.
  LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  // Binding used by window and dialog procedures of the framework.
  void bind(HWND hwnd, bool owned);
  void unbind();

  // Called after the window is gone (WM_NCDESTROY); the object may be reused.
  virtual void PostNcDestroy() {}

 private:
  struct Current {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int stage;  // 0: own table, 1: built-in, 2: default
  };
  LRESULT runFrom(int stage, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  bool owned_ = false;
  std::unordered_map<UINT, MessageHandler> table_;
  std::unordered_map<UINT, MessageHandler> builtins_;
  Current* current_ = nullptr;
};

// The instance that holds the program's resources (the executable).
HINSTANCE resourceInstance();

// The text of any window (a control, say) as UTF-8.
std::string windowTextOf(HWND hwnd);
// The same as UTF-16, as the window holds it; empty for no window.  The
// string is made once at the text's full length and never grows, so a
// caller that reads a secret with it can wipe every copy by wiping the
// string's storage.
std::wstring wideWindowTextOf(HWND hwnd);

// A string-table entry as UTF-8; empty when the id has no string.
std::string loadString(UINT id);

}  // namespace fw
