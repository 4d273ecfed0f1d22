#include "engine/boxprocess.h"

// A box on Windows lives in the program's own process and ends with it.
void BeginBoxProcess() {}

void EndBoxProcess() {}
