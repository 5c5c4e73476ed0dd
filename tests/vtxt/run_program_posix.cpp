#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_dir.h"
#include "vtxt/run_program.h"

extern char** environ;

namespace vtxt_test {

ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const std::string& scratch) {
  using testing_support::TempDir;
  std::string in = scratch + "/stdin", out = scratch + "/stdout", err = scratch + "/stderr";
  { std::ofstream(in, std::ios::binary) << input; }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // A new session has no controlling terminal, so a password can only come
  // from a file, as in a script.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t pid;
  ProgramResult result;
  if (posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  result.out = TempDir::readFile(out);
  result.err = TempDir::readFile(err);
  return result;
}

}  // namespace vtxt_test
