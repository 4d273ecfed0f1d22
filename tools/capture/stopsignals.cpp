#include "stopsignals.h"

#include <signal.h>

namespace {

volatile sig_atomic_t Stop = 0;  // written by OnStopSignal only

void OnStopSignal(int signal)
{
  Stop = signal;
}

}  // namespace

void CatchStopSignals()
{
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
}

int StopSignal()
{
  return Stop;
}

const char* SignalName(int signal)
{
  return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal";
}
