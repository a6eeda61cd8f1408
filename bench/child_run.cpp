#include "child_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "seconds.h"

namespace bench {

namespace {

[[noreturn]] void Fail(const char* program, const std::vector<std::string>& args) {
  std::fprintf(stderr, "%s: the %s run failed\n", program,
               args.empty() ? "child" : args.front().c_str());
  std::exit(1);
}

}  // namespace

ChildRun RunSelfInChild(const char* program, const std::vector<std::string>& args) {
  // The argument vector is built before fork: the child only execs.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program));
  argv.push_back(const_cast<char*>("--run"));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // Anything still buffered would otherwise be printed by both processes.
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execv("/proc/self/exe", argv.data());
    std::_Exit(127);
  }
  if (pid < 0) Fail(program, args);
  ChildRun run;
  int status = 0;
  pid_t waited;
  do {
    waited = ::wait4(pid, &status, 0, &run.usage);
  } while (waited < 0 && errno == EINTR);
  run.seconds = Seconds(start);
  if (waited != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail(program, args);
  return run;
}

}  // namespace bench
