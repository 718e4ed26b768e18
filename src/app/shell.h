// The life of the process: start-up, MainWindow and its message loop, the end.
#pragma once

#include "app/main_window.h"

namespace sl {

// Routines to run when the program ends, in the order of registration;
// registering one twice keeps one registration.
void RegisterEndRoutine(void (*routine)());
// Runs them, each once, and forgets them.
void RunEndRoutines();

// Starts the system on `windows`, runs MainWindow until it is destroyed and
// ends in order. Returns the exit code: 0, or 255 when MainWindow cannot be
// created (then the end routines do not run).
int RunShell(WindowSystem& windows);

}  // namespace sl
