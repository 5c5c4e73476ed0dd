#include "editor/document/document_commands.h"

#include <cstring>
#include <new>
#include <utility>

#include "editor/datetime/date_time.h"
#include "editor/document/input_pass_dialog.h"
#include "editor/document/open_document.h"
#include "editor/document/passed_file_dialog.h"
#include "editor/document/password_text.h"
#include "editor/document/read_only_dialog.h"
#include "editor/document/shortcut.h"
#include "editor/editing/read_only_mode.h"
#include "editor/protection/control_wipe.h"
#include "editor/protection/secret_memory.h"
#include "editor/res/resource.h"
#include "editor/window_host.h"
#include "framework/modal.h"
#include "orka/crypto/wipe.h"
#include "orka/errors/error.h"
#include "settings/settings.h"

namespace {

constexpr const char* kSaveFailed = "ファイルの保存に失敗しました。\n\n";
constexpr const char* kOutOfMemory = "メモリが足りないため開けません。\n\n";

// The whole text of the control, read in place for the writer.
class TextForWriting {
 public:
  explicit TextForWriting(const EditCtrl& edit) : lock_(lockEditText(edit)) {}
  ~TextForWriting() { unlockEditText(lock_); }
  TextForWriting(const TextForWriting&) = delete;
  TextForWriting& operator=(const TextForWriting&) = delete;
  const char* data() const { return lock_.text; }
  uint32_t length() const { return static_cast<uint32_t>(lock_.length); }

 private:
  EditTextLock lock_;
};

}  // namespace

DocumentCommands::DocumentCommands(WindowHost& host, OpenDocument& document, Settings& settings,
                                   ReadOnlyMode& readOnly)
    : host_(host), document_(document), settings_(settings), readOnly_(readOnly) {
  setReader(nullptr);
  host_.onCommand(ID_FILE_NEW, [this] { newDocument(); });
  host_.onCommand(ID_FILE_OPEN, [this] { open(); });
  host_.onCommand(
      ID_FILE_SAVE, [this] { save(); }, [this](fw::CmdUI& ui) { ui.enable(document_.hasUnsavedChanges()); });
  host_.onCommand(ID_FILE_SAVE_AS, [this] {
    saveDocumentAs();
    host_.focusText();
  });
  host_.onCommand(ID_SETTINGS_READ_ONLY_LIST, [this] { readOnlyList(); });
  host_.onUpdate(ID_INDICATOR_FORMAT, [this](fw::CmdUI& ui) {
    ui.setText(fw::loadString(format() == tolvane::DocumentFormat::kStrong ? IDS_FORMAT_STRONG
                                                                           : IDS_FORMAT_CLASSIC));
  });
}

tolvane::DocumentFormat DocumentCommands::format() const {
  if (!document_.path().empty()) return document_.record().format;
  return newDocumentsStrong_ && newDocumentsStrong_() ? tolvane::DocumentFormat::kStrong
                                                      : tolvane::DocumentFormat::kClassic;
}

void DocumentCommands::setReader(Reader reader) {
  if (!reader) {
    reader = [](const std::string& path, const tolvane::DocumentKeyring& keyring) {
      try {
        return tolvane::readDocument(path, keyring, EditCtrl::kMaxBytes);
      } catch (const orka::StreamError& e) {
        // The stream's own words for this ("no room for the output") would
        // not tell the user what is wrong with the file.
        if (e.code() != orka::StreamError::kNoOutputSpace) throw;
        throw orka::Error("ファイルが大きすぎるため開けません。\n\n" + path);
      }
    };
  }
  reader_ = std::move(reader);
}

bool DocumentCommands::querySaveChanges() {
  if (document_.mayClose()) return true;
  // Saving now would write the empty stand-in over the document.
  if (document_.locked()) return false;
  const std::string question =
      "ファイル " + document_.displayName() + " の内容は変更されています。\n\n変更を保存しますか？";
  switch (host_.ask(question, MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDYES:
      return document_.path().empty() ? saveDocumentAs() : saveDocument();
    case IDNO:
      if (textGone_) textGone_();
      return true;
    default:
      return false;
  }
}

void DocumentCommands::newDocument() {
  if (querySaveChanges()) {
    // The document that goes leaves nothing behind: its text is overwritten
    // in the control and in the memory the heaps got back, as at Lock.
    EditCtrl* edit = document_.edit();
    wipeEditCtrl(*edit);
    edit->setModified(false);
    DocumentRecord& record = document_.record();
    record.path.clear();
    record.forget();
    host_.updateTitle();
    wipeFreeHeapMemory();
    wipeUnusedStack();
  }
  host_.focusText();
}

DWORD DocumentCommands::recentListFlag() const {
  return keepOffRecent_ && keepOffRecent_() ? OFN_DONTADDTORECENT : 0;
}

void DocumentCommands::open() {
  if (querySaveChanges()) {
    fw::CFileDialog dialog(true, host_.owner());
    dialog.setFilter(kDocumentFilter);
    dialog.setFlags(OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | recentListFlag());
    dialog.setFlagsEx(OFN_EX_NOPLACESBAR);
    if (dialog.DoModal() == IDOK) openDocument(dialog.path());
  }
  host_.focusText();
}

void DocumentCommands::openDocument(const std::string& path) { openDocument(path, nullptr); }

bool DocumentCommands::openDocument(const std::string& requested, const PasswordWitness& witness) {
  // A shortcut's target stands for it everywhere: dialog, title, list.
  const std::string path = resolveShortcut(requested, host_.owner()).value_or(requested);
  std::optional<tolvane::DocumentKeyring> keyring;
  std::unique_ptr<orka::MemWriteStream> text = readWithPassword(path, keyring, witness);
  // The stamp is decided on the bytes, before they are handed over.
  const bool log = text && std::strncmp(reinterpret_cast<const char*>(text->data()), ".LOG", 4) == 0;
  if (text && showText(std::move(text), path)) {
    document_.edit()->setModified(false);
    DocumentRecord& record = document_.record();
    record.path = path;
    record.keep(*keyring);
    host_.updateTitle();
    readOnly_.restoreForDocument();
    if (log && !settings_.readOnly) stampLog();
    host_.focusText();
    return true;
  }
  host_.focusText();
  return false;
}

std::unique_ptr<orka::MemWriteStream> DocumentCommands::readWithPassword(
    const std::string& path, std::optional<tolvane::DocumentKeyring>& keyring,
    const PasswordWitness& witness) {
  // Silent mode tries the default password first; once that fails, or
  // whenever silent mode is off, the user is asked.
  bool ask = !settings_.hidePasswordDialog;
  for (;;) {
    std::string password;
    if (ask) {
      InputPassDialog dialog(path, host_.owner());
      if (dialog.DoModal() != IDOK) return nullptr;
      // Copied, not swapped: the dialog wipes its own copy.
      password.assign(dialog.password);
    }
    try {
      try {
        // For a strong document this is the one slow derivation of the try.
        keyring = tolvane::keyringForDocument(path, password);
      } catch (const orka::StreamError&) {
        throw;  // the file's own failure, answered below as the reader's
      } catch (const orka::Error& e) {
        orka::secureWipe(password);
        // No default key without the machine's serial number: silent mode
        // then asks for the password; a password left empty in the dialog
        // gets the reason.
        if (ask) {
          host_.showError(e.message());
          return nullptr;
        }
        ask = true;
        continue;
      }
      std::unique_ptr<orka::MemWriteStream> text = reader_(path, *keyring);
      if (witness) witness(password);
      // A strong document whose key was made cheaply gets the costs of a new
      // password (and a fresh salt) for its next save.  Without memory for
      // that derivation it opens all the same, as it was.
      try {
        keyring = tolvane::keyringForSaving(*keyring, password, newKeyCost_);
      } catch (const orka::Error&) {
      }
      orka::secureWipe(password);
      return text;
    } catch (const orka::StreamError& e) {
      orka::secureWipe(password);
      keyring.reset();
      // The reader cannot tell a wrong key from a damaged file (a classic
      // one fails to inflate, a strong one to authenticate), and both are
      // answered as a wrong password.
      if (e.code() != orka::StreamError::kDamagedOrWrongKey) {
        host_.showError(e.message());
        return nullptr;
      }
      if (ask) host_.showError(kWrongPassword);
      ask = true;
    } catch (const orka::Error& e) {
      orka::secureWipe(password);
      host_.showError(e.message());
      return nullptr;
    } catch (const std::bad_alloc&) {
      orka::secureWipe(password);
      host_.showError(kOutOfMemory + path);
      return nullptr;
    }
  }
}

bool DocumentCommands::showText(std::unique_ptr<orka::MemWriteStream> text, const std::string& path) {
  // The text ends at its first 0 byte.  The bytes go as soon as they are
  // converted, before the control and its mirror take their copies.
  const char* bytes = reinterpret_cast<const char*>(text->data());
  bool shown = false;
  try {
    shown = document_.edit()->setText(std::string_view(bytes, std::strlen(bytes)), [&text] { text.reset(); });
  } catch (const std::bad_alloc&) {
  } catch (const orka::Error&) {  // too long for the system's conversion
  }
  if (!shown) host_.showError(kOutOfMemory + path);
  return shown;
}

void DocumentCommands::stampLog() {
  EditCtrl* edit = document_.edit();
  // At the very end, however long the text.
  const int end = edit->textLength();
  edit->setSelection(end, end);
  edit->send(EM_SCROLLCARET);
  edit->replaceSelection("\r\n" + dateTimeStamp(settings_.dateFormat) + "\r\n", true);
}

void DocumentCommands::save() {
  if (document_.path().empty())
    saveDocumentAs();
  else
    saveDocument();
  host_.focusText();
}

bool DocumentCommands::saveDocument() {
  const DocumentRecord& document = document_.record();
  EditCtrl* edit = document_.edit();
  try {
    TextForWriting text(*edit);
    document.useKeyring([&](const tolvane::DocumentKeyring& keyring) {
      tolvane::writeDocument(document.path, keyring, text.data(), text.length());
    });
    edit->setModified(false);
    if (textGone_) textGone_();
    return true;
  } catch (const orka::Error& e) {
    // A replacement that lost the old file names the file that now holds
    // the text: that the user must see.  Any other failure is told by the
    // name of the file that was not saved.
    const std::string& message = e.message();
    const size_t named = message.rfind("\n\n");
    if (named != std::string::npos && message.compare(named + 2, std::string::npos, document.path) != 0) {
      host_.showError(message);
      return false;
    }
  } catch (const std::bad_alloc&) {
  }
  host_.showError(kSaveFailed + document.path);
  return false;
}

bool DocumentCommands::saveDocumentAs() {
  DocumentRecord& document = document_.record();
  std::string path;
  std::optional<tolvane::DocumentKeyring> keyring;
  try {
    PassedFileDialog dialog(document, format(), host_.owner());
    dialog.setFlags(dialog.flags() | recentListFlag());
    if (dialog.DoModal() != IDOK) return false;
    keyring = tolvane::newKeyring(dialog.format, dialog.newPassword, newKeyCost_);
    path = dialog.path();
  } catch (const orka::Error&) {
    // No key could be made (an empty password without the machine's serial
    // number, no memory for the derivation): nothing has changed yet.
    host_.showError(kSaveFailed + document.path);
    return false;
  }
  // Name, key and title stay even if the write below fails: the text is
  // then still modified and a later Save tries the same file again.
  document.path = std::move(path);
  document.keep(*keyring);
  host_.updateTitle();
  readOnly_.restoreForDocument();
  return saveDocument();
}

void DocumentCommands::readOnlyList() {
  ReadOnlyDialog dialog(settings_);
  if (dialog.DoModal() == IDOK) readOnly_.restoreForDocument();
  host_.focusText();
}
