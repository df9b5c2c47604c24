// Peak memory of a piece of work, measured in a child process so that nothing the test
// program already holds counts, and whatever the work allocates is given back with it.
#pragma once

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace testsupport {

// What the child did: its exit status (-1 when it did not exit normally) and its peak resident
// memory in KiB (-1 when no child could be started).
struct ChildPeak {
  int exitCode = -1;
  long peakKiB = -1;
};

// Runs `work` in a forked child, which exits with its result; the peak comes from wait4.
inline ChildPeak RunMeasured(const std::function<int()>& work) {
  ChildPeak result;
  pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) _exit(work());
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return result;
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.peakKiB = usage.ru_maxrss;  // KiB on Linux
  return result;
}

}  // namespace testsupport
#endif
