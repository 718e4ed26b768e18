// What the shell needs from the operating system's process functions: where
// the program file lies, the current directory, the path separator and the
// report of a fatal start-up error. One implementation file per platform.
#pragma once

#include <string_view>

#include "text/text.h"

namespace sl {

// The full path of the file the process was started from, links resolved;
// empty when the system cannot tell.
Text ProgramFilePath();

// The directory part of a program path: the text before its last separator,
// empty when there is none (a program at the root of the file system).
Text ProgramDirectoryOf(const Text& programPath);

// Makes `directory` (as ProgramDirectoryOf gives it) the current directory.
bool MakeCurrentDirectory(const Text& directory);

// Stands between a directory and a file name.
const char* PathSeparator();

// Tells the user that the program cannot start, where the user will see it.
void ReportFatalError(std::string_view message);

}  // namespace sl
