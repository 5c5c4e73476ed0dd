#include "tools/vtxt/cli.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <string>

#include "document/document.h"
#include "document/machine_serial.h"
#include "document/strong_document.h"
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
  "  info FILE    print the document's format, and for the strong format its\n"
  "               key derivation costs (no password needed)\n"
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
  "  --format classic|strong\n"
  "                         the format that write and rekey save in (default:\n"
  "                         the document's own; classic for a new document)\n"
    "  -h, --help             show this help\n"
    "\n"
    "Without a password file the password is asked on the terminal. An empty\n"
    "password is the machine's default password. Text is UTF-8 on standard\n"
    "input and output; line breaks pass unchanged (the editor uses CR LF).\n"
    "\n"
    "Exit status: 0 success, 1 usage, 2 wrong password or damaged document,\n"
    "3 file error, 4 text or password not representable in the code page,\n"
    "5 text longer than a document holds (67,108,864 bytes).\n"
    "\n"
    "The strong format derives the key with Argon2id from the password and a\n"
    "random salt, and detects a changed or truncated document. Classic is the\n"
    "format that every version of the editor reads. Convert with\n"
    "'vtxt rekey --format strong FILE' (or --format classic).\n";

// A failure that ends the command with its exit code and message.
struct Failure {
  int code;
  std::string message;
};

Failure usage(const std::string& what) { return {kUsage, what + "\nTry 'vtxt --help'."}; }

tolvane::DocumentFormat formatNamed(const std::string& name) {
  if (name == "classic") return tolvane::DocumentFormat::kClassic;
  if (name == "strong") return tolvane::DocumentFormat::kStrong;
  throw usage("unknown format '" + name + "' (classic or strong)");
}

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
      std::optional<std::string> formatName;
      std::optional<std::string>* target = name == "--password-file"       ? &o.passwordFile
                                           : name == "--new-password-file" ? &o.newPasswordFile
                                           : name == "--serial"            ? &o.serial
                                           : name == "--codepage"          ? &o.codePageName
                                           : name == "--format"            ? &formatName
                                                                           : nullptr;
      if (!target) throw usage("unknown option '" + arg + "'");
      if (!inlineValue) {
        if (i + 1 >= args.size()) throw usage("option '" + name + "' needs a value");
        value = args[++i];
      }
      *target = value;
      if (formatName) o.format = formatNamed(*formatName);
      continue;
    }
    plain.push_back(arg);
  }
  if (o.help) return o;
  if (plain.empty()) throw usage("no command given");
  o.command = plain[0];
  if (o.command != "cat" && o.command != "write" && o.command != "rekey" && o.command != "check" &&
      o.command != "info")
    throw usage("unknown command '" + o.command + "'");
  if (plain.size() != 2) throw usage("'" + o.command + "' takes exactly one FILE");
  o.file = plain[1];
  if (o.newPasswordFile && o.command != "rekey") throw usage("--new-password-file belongs to rekey");
  if (o.format && o.command != "write" && o.command != "rekey") throw usage("--format belongs to write and rekey");
  return o;
}

// One run of a command: options, code page and the console.
class Session {
 public:
  Session(const Options& options, Console& console, tolvane::KeyDerivationCost newKeyCost)
      : o_(options), console_(console), newKeyCost_(newKeyCost) {
    if (o_.codePageName) {
      auto cp = orka::codePageFromName(*o_.codePageName);
      if (!cp) throw usage("unknown code page '" + *o_.codePageName + "'");
      codePage_ = *cp;
    } else {
      codePage_ = orka::ansiCodePage();
    }
  }

  void cat() {
    std::string text = readText(currentKeyring(currentPassword()));
    if (!o_.raw) text = toUtf8(text);
    if (!console_.writeOutput(text, !o_.raw)) throw Failure{kFileError, "cannot write to standard output"};
  }

  void write() {
    // The password comes first: typed text on standard input must not be
    // mistaken for it, and a wrong one should not cost the typing.
    std::optional<tolvane::DocumentKeyring> keyring;
    if (orka::detail::pathExists(o_.file)) {
      // Replacing the text must not change the password behind the user's
      // back: the password has to open the document that is there.
      const std::string password = currentPassword();
      keyring = currentKeyring(password);
      readText(*keyring);
      // Another format needs a key of its own from the same password.
      if (o_.format && *o_.format != keyring->format())
        keyring = newKeyring(*o_.format, password);
      else
        keyring = keyringForSaving(*keyring, password);
    } else {
      keyring = newKeyring(o_.format.value_or(tolvane::DocumentFormat::kClassic), newPassword(o_.passwordFile));
    }
    std::string input;
    if (!console_.readInput(&input)) throw Failure{kFileError, "cannot read standard input"};
    std::string text = o_.raw ? input : fromUtf8(withoutByteOrderMark(input), "the text");
    // The editor reads a document as a string: a 0 byte would hide the rest.
    if (text.find('\0') != std::string::npos)
      throw Failure{kNotRepresentable, "the text contains a NUL character, which a document cannot hold"};
    // Checked here, before anything is written, so that the message can say
    // how long the text is; the document library refuses it as well.
    if (text.size() > tolvane::kMaxTextBytes)
      throw Failure{kTextTooLong, "the text is " + std::to_string(text.size()) +
                                      " bytes; a document holds at most 67,108,864 bytes (64 MiB)"};
    tolvane::writeDocument(o_.file, *keyring, text.data(), static_cast<uint32_t>(text.size()));
  }

  void rekey() {
    tolvane::DocumentKeyring current = currentKeyring(currentPassword());
    std::string text = readText(current);
    tolvane::DocumentKeyring next = newKeyring(o_.format.value_or(current.format()), newPassword(o_.newPasswordFile));
    tolvane::writeDocument(o_.file, next, text.data(), static_cast<uint32_t>(text.size()));
  }

  void check() { readText(currentKeyring(currentPassword())); }

  void info() {
    if (tolvane::documentFormat(o_.file) == tolvane::DocumentFormat::kClassic) {
      console_.writeOutput("format: classic\n", true);
      return;
    }
    const tolvane::StrongHeader header = tolvane::readStrongHeader(o_.file);
    const uint32_t kib = header.cost.memoryKiB;
    const std::string memory = kib % 1024 == 0 ? std::to_string(kib / 1024) + " MiB" : std::to_string(kib) + " KiB";
    console_.writeOutput("format: strong\nversion: " + std::to_string(header.version) +
                             "\nkey derivation: Argon2id\npasses: " + std::to_string(header.cost.passes) +
                             "\nmemory: " + memory + "\n",
                         true);
  }

 private:
  // The document's text without the terminating 0 that readDocument adds.
  std::string readText(const tolvane::DocumentKeyring& keyring) {
    std::unique_ptr<orka::MemWriteStream> stream = tolvane::readDocument(o_.file, keyring);
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

  // The keyring of a UTF-8 password for the document there, its bytes in
  // the document's code page.
  tolvane::DocumentKeyring currentKeyring(const std::string& password) {
    std::string bytes = fromUtf8(password, "the password", orka::codePagePassword);
    return tolvane::keyringForDocument(o_.file, bytes, serialFor(bytes));
  }

  tolvane::DocumentKeyring newKeyring(tolvane::DocumentFormat format, const std::string& password) {
    std::string bytes = fromUtf8(password, "the password", orka::codePagePassword);
    return tolvane::newKeyring(format, bytes, serialFor(bytes), newKeyCost_);
  }

  // The keyring to write a document with that `opened` and `password` have
  // just read: stronger costs when the document's are below the new keys'.
  tolvane::DocumentKeyring keyringForSaving(const tolvane::DocumentKeyring& opened,
                                            const std::string& password) {
    std::string bytes = fromUtf8(password, "the password", orka::codePagePassword);
    return tolvane::keyringForSaving(opened, bytes, serialFor(bytes), newKeyCost_);
  }

  // What stands in for the empty password: --serial, else this machine's.
  const char* serialFor(const std::string& passwordBytes) {
    if (!passwordBytes.empty()) return nullptr;
    if (!o_.serial) return tolvane::machineSerialNumber();
    serialBytes_ = fromUtf8(*o_.serial, "the serial number");
    return serialBytes_.c_str();
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
  tolvane::KeyDerivationCost newKeyCost_;
  unsigned codePage_;
  std::string serialBytes_;
};

int exitCodeOf(const orka::Error& e) {
  if (dynamic_cast<const orka::StreamError*>(&e) && e.code() == orka::StreamError::kDamagedOrWrongKey)
    return kWrongPassword;
  // The only error of making a key: the default password without a serial
  // number, or no memory for the strong derivation.
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

int run(const std::vector<std::string>& args, Console& console, tolvane::KeyDerivationCost newKeyCost) {
  try {
    Options options = parse(args);
    if (options.help) {
      console.writeOutput(kUsageText, true);
      return kSuccess;
    }
    Session session(options, console, newKeyCost);
    if (options.command == "cat")
      session.cat();
    else if (options.command == "write")
      session.write();
    else if (options.command == "rekey")
      session.rekey();
    else if (options.command == "info")
      session.info();
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
