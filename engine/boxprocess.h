// The process a message box runs in. On X11, SDL shows each box from a child
// process of its own and the program waits for that child; the child must
// not outlive the program. On Windows the box is a window of the program's
// own process, and these do nothing.
#pragma once

// Between BeginBoxProcess and EndBoxProcess, a child process forked (the
// box's) is ended by the system as soon as the program ends, whatever ends
// it. Call them around showing one box, on the main thread.
void BeginBoxProcess();
void EndBoxProcess();
