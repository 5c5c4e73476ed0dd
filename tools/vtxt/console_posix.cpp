// The console on POSIX systems: file descriptors 0, 1 and 2, and the
// controlling terminal (/dev/tty) for passwords, with echo turned off.
#include <errno.h>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "tools/vtxt/console.h"

namespace vtxt {
namespace {

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

class PosixConsole : public Console {
 public:
  bool readInput(std::string* bytes) override {
    char buffer[65536];
    for (;;) {
      ssize_t n = ::read(0, buffer, sizeof buffer);
      if (n == 0) return true;
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      bytes->append(buffer, static_cast<size_t>(n));
    }
  }

  bool writeOutput(std::string_view bytes, bool) override { return writeAll(1, bytes); }

  void writeError(std::string_view text) override { writeAll(2, text); }

  std::optional<std::string> askPassword(std::string_view prompt) override {
    int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0) return std::nullopt;
    writeAll(tty, prompt);
    termios saved;
    bool quiet = tcgetattr(tty, &saved) == 0;
    if (quiet) {
      termios silent = saved;
      silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      silent.c_lflag |= ECHONL;
      tcsetattr(tty, TCSAFLUSH, &silent);
    }
    std::string line;
    char c;
    bool gotLine = false;
    for (;;) {
      ssize_t n = ::read(tty, &c, 1);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      if (c == '\n') {
        gotLine = true;
        break;
      }
      line += c;
    }
    if (quiet) tcsetattr(tty, TCSAFLUSH, &saved);
    ::close(tty);
    if (!gotLine && line.empty()) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
};

}  // namespace

std::unique_ptr<Console> systemConsole() { return std::make_unique<PosixConsole>(); }

std::vector<std::string> programArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

SystemSession::SystemSession() = default;
SystemSession::~SystemSession() = default;

}  // namespace vtxt
