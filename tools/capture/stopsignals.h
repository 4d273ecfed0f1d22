// How the capture is stopped: SIGINT (Ctrl-C) and SIGTERM ask it to stop
// between frames; it then takes no new frame, closes what it writes and ends
// with 128 + the signal. A second such signal ends it at once (the handler
// is reset by the first). SIGPIPE is ignored, so that a video whose ffmpeg
// has ended fails its next write instead of killing the capture. This module
// owns the signal state; nothing else installs handlers.
#pragma once

// Installs the handlers above; called once, before the start-up.
void CatchStopSignals();

// The signal that asked the capture to stop, 0 while none has.
int StopSignal();

// "SIGINT", "SIGTERM", or "a signal" for any other, for the messages.
const char* SignalName(int signal);
