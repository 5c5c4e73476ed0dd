#include "tools/vtxt/cli.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>

#include "document/document.h"
#include "orka/errors/error.h"
#include "orka/files/path_ops.h"
#include "orka/text/codepage.h"

namespace vtxt {
namespace {

const char kUsageText[] =
    "Usage: vtxt COMMAND [OPTIONS] FILE\n"
    "\n"
    "Reads and writes the encrypted .vtxt documents of the editor.\n"
    "\n"
    "Commands:\n"
    "  cat FILE     print the document's text\n"
    "  write FILE   save standard input as the document's text; an existing\n"
    "               document is replaced only with the password that opens it\n"
    "  rekey FILE   give the document a new password\n"
    "  check FILE   succeed when the password opens the document\n"
    "\n"
    "Options:\n"
    "  --password-file F      take the password from the first line of F\n"
    "  --new-password-file F  the same for the new password of rekey\n"
    "  --serial TEXT          the machine serial number that stands in for an\n"
    "                         empty password (to open a document saved with the\n"
    "                         default password on another machine)\n"
    "  --codepage NAME        the code page of the document's text (default: the\n"
    "                         system's ANSI code page; 932 outside Windows)\n"
    "  --raw                  pass the text's bytes unchanged, without conversion\n"
    "  -h, --help             show this help\n"
    "\n"
    "Without a password file the password is asked on the terminal. An empty\n"
    "password is the machine's default password. Text is UTF-8 on standard\n"
    "input and output; line breaks pass unchanged (the editor uses CR LF).\n"
    "\n"
    "Exit status: 0 success, 1 usage, 2 wrong password or damaged document,\n"
    "3 file error, 4 text or password not representable in the code page.\n";

// A failure that ends the command with its exit code and message.
struct Failure {
  int code;
  std::string message;
};

Failure usage(const std::string& what) { return {kUsage, what + "\nTry 'vtxt --help'."}; }

Options parse(const std::vector<std::string>& args) {
  Options o;
  std::vector<std::string> plain;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "-h" || arg == "--help") {
      o.help = true;
      continue;
    }
    if (arg == "--raw") {
      o.raw = true;
      continue;
    }
    if (arg == "--") {
      plain.insert(plain.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      std::string name = arg, value;
      bool inlineValue = false;
      size_t eq = arg.find('=');
      if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
        name = arg.substr(0, eq);
        value = arg.substr(eq + 1);
        inlineValue = true;
      }
      std::optional<std::string>* target = name == "--password-file"       ? &o.passwordFile
                                           : name == "--new-password-file" ? &o.newPasswordFile
                                           : name == "--serial"            ? &o.serial
                                           : name == "--codepage"          ? &o.codePageName
                                                                           : nullptr;
      if (!target) throw usage("unknown option '" + arg + "'");
      if (!inlineValue) {
        if (i + 1 >= args.size()) throw usage("option '" + name + "' needs a value");
        value = args[++i];
      }
      *target = value;
      continue;
    }
    plain.push_back(arg);
  }
  if (o.help) return o;
  if (plain.empty()) throw usage("no command given");
  o.command = plain[0];
  if (o.command != "cat" && o.command != "write" && o.command != "rekey" && o.command != "check")
    throw usage("unknown command '" + o.command + "'");
  if (plain.size() != 2) throw usage("'" + o.command + "' takes exactly one FILE");
  o.file = plain[1];
  if (o.newPasswordFile && o.command != "rekey") throw usage("--new-password-file belongs to rekey");
  return o;
}

// One run of a command: options, code page and the console.
class Session {
 public:
  Session(const Options& options, Console& console) : o_(options), console_(console) {
    if (o_.codePageName) {
      auto cp = orka::codePageFromName(*o_.codePageName);
      if (!cp) throw usage("unknown code page '" + *o_.codePageName + "'");
      codePage_ = *cp;
    } else {
      codePage_ = orka::ansiCodePage();
    }
  }

  void cat() {
    std::string text = readText(documentKey(currentPassword()));
    if (!o_.raw) text = toUtf8(text);
    if (!console_.writeOutput(text, !o_.raw)) throw Failure{kFileError, "cannot write to standard output"};
  }

  void write() {
    // The password comes first: typed text on standard input must not be
    // mistaken for it, and a wrong one should not cost the typing.
    tolvane::DocumentKey key;
    if (orka::detail::pathExists(o_.file)) {
      // Replacing the text must not change the password behind the user's
      // back: the password has to open the document that is there.
      key = documentKey(currentPassword());
      readText(key);
    } else {
      key = documentKey(newPassword(o_.passwordFile));
    }
    std::string input;
    if (!console_.readInput(&input)) throw Failure{kFileError, "cannot read standard input"};
    std::string text = o_.raw ? input : fromUtf8(withoutByteOrderMark(input), "the text");
    // The editor reads a document as a string: a 0 byte would hide the rest.
    if (text.find('\0') != std::string::npos)
      throw Failure{kNotRepresentable, "the text contains a NUL character, which a document cannot hold"};
    if (text.size() > 0xFFFFFFF0u) throw Failure{kFileError, "the text is too long for a document"};
    tolvane::writeDocument(o_.file, key, text.data(), static_cast<uint32_t>(text.size()));
  }

  void rekey() {
    std::string text = readText(documentKey(currentPassword()));
    tolvane::DocumentKey key = documentKey(newPassword(o_.newPasswordFile));
    tolvane::writeDocument(o_.file, key, text.data(), static_cast<uint32_t>(text.size()));
  }

  void check() { readText(documentKey(currentPassword())); }

 private:
  // The document's text without the terminating 0 that readDocument adds.
  std::string readText(const tolvane::DocumentKey& key) {
    std::unique_ptr<orka::MemWriteStream> stream = tolvane::readDocument(o_.file, key);
    return std::string(reinterpret_cast<const char*>(stream->data()), stream->size() - 1);
  }

  std::string currentPassword() {
    if (o_.passwordFile) return passwordFromFile(*o_.passwordFile);
    return ask("Password: ");
  }

  std::string newPassword(const std::optional<std::string>& file) {
    if (file) return passwordFromFile(*file);
    std::string first = ask("New password: ");
    if (ask("Repeat the new password: ") != first)
      throw Failure{kWrongPassword, "the two new passwords differ; nothing was changed"};
    return first;
  }

  std::string ask(const char* prompt) {
    auto answer = console_.askPassword(prompt);
    if (!answer) throw Failure{kUsage, "no terminal to ask the password on; use --password-file"};
    return *answer;
  }

  static std::string passwordFromFile(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    std::string line;
    if (!in) throw Failure{kFileError, "cannot read the password file '" + path + "'"};
    std::getline(in, line);
    if (in.bad()) throw Failure{kFileError, "cannot read the password file '" + path + "'"};
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return withoutByteOrderMark(line);
  }

  // The key of a UTF-8 password, hashed in the document's code page.
  tolvane::DocumentKey documentKey(const std::string& password) {
    std::string bytes = fromUtf8(password, "the password", orka::passwordBytes);
    if (!bytes.empty() || !o_.serial) return tolvane::makeDocumentKey(bytes);
    std::string serial = fromUtf8(*o_.serial, "the serial number");
    return tolvane::makeDocumentKey(bytes, serial.c_str());
  }

  static std::string withoutByteOrderMark(const std::string& s) {
    return s.compare(0, 3, "\xEF\xBB\xBF") == 0 ? s.substr(3) : s;
  }

  using Conversion = std::optional<std::string> (*)(std::string_view, unsigned);
  std::string fromUtf8(const std::string& utf8, const char* what, Conversion convert = orka::utf8ToCodePage) {
    if (auto bytes = convert(utf8, codePage_)) return *bytes;
    throw Failure{kNotRepresentable, std::string(what) + " " + whereUnconvertible(utf8) +
                                         "is not valid UTF-8 or has a character that code page " +
                                         std::to_string(codePage_) + " cannot hold"};
  }

  std::string toUtf8(const std::string& bytes) {
    if (auto text = orka::codePageToUtf8(bytes, codePage_)) return *text;
    throw Failure{kNotRepresentable, "the document's text is not valid in code page " +
                                         std::to_string(codePage_) + "; try another --codepage or --raw"};
  }

  // "(line N) " for the first line that does not convert, when there are several.
  std::string whereUnconvertible(const std::string& utf8) {
    if (utf8.find('\n') == std::string::npos) return "";
    size_t start = 0;
    for (int line = 1;; ++line) {
      size_t end = utf8.find('\n', start);
      std::string piece = utf8.substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (!orka::utf8ToCodePage(piece, codePage_)) return "(line " + std::to_string(line) + ") ";
      if (end == std::string::npos) return "";
      start = end + 1;
    }
  }

  const Options& o_;
  Console& console_;
  unsigned codePage_;
};

int exitCodeOf(const orka::Error& e) {
  if (dynamic_cast<const orka::StreamError*>(&e) && e.code() == orka::StreamError::kInflateFailed)
    return kWrongPassword;
  // makeDocumentKey's only error: the default password without a serial number.
  if (e.kind() == orka::Error::kFree) return kWrongPassword;
  return kFileError;
}

}  // namespace

std::optional<Options> parseArguments(const std::vector<std::string>& args, std::string* usageMessage) {
  try {
    return parse(args);
  } catch (const Failure& f) {
    *usageMessage = f.message;
    return std::nullopt;
  }
}

int run(const std::vector<std::string>& args, Console& console) {
  try {
    Options options = parse(args);
    if (options.help) {
      console.writeOutput(kUsageText, true);
      return kSuccess;
    }
    Session session(options, console);
    if (options.command == "cat")
      session.cat();
    else if (options.command == "write")
      session.write();
    else if (options.command == "rekey")
      session.rekey();
    else
      session.check();
    return kSuccess;
  } catch (const Failure& f) {
    console.writeError("vtxt: " + f.message + "\n");
    return f.code;
  } catch (const orka::Error& e) {
    console.writeError("vtxt: " + e.message() + "\n");
    return exitCodeOf(e);
  } catch (const std::bad_alloc&) {
    console.writeError("vtxt: not enough memory\n");
    return kFileError;
  } catch (const std::exception& e) {
    console.writeError(std::string("vtxt: ") + e.what() + "\n");
    return kFileError;
  }
}

}  // namespace vtxt
