#include "engine/boxprocess.h"

#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>

namespace {

std::atomic<bool> BoxShowing{false};
pid_t Program = 0;  // the program's process id, while a box shows

// Runs in a child right after fork, where only async-signal-safe calls are
// allowed: the child gets SIGKILL when the program ends, and ends at once if
// the program already has.
void TieChildToProgram()
{
  if (!BoxShowing.load())
    return;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != Program)
    _exit(1);
}

}  // namespace

void BeginBoxProcess()
{
  static const bool registered = pthread_atfork(nullptr, nullptr, TieChildToProgram) == 0;
  (void)registered;
  Program = getpid();
  BoxShowing = true;
}

void EndBoxProcess()
{
  BoxShowing = false;
}
