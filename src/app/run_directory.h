// The directory of the program file, fixed once at start-up; url.txt is
// written there.
#pragma once

#include "text/text.h"

namespace sl {

// A new copy of the run directory, without a trailing separator.
Text RunDirectory();

// Start-up sets it from the program's path; tests point it elsewhere.
void FixRunDirectory(const Text& directory);

}  // namespace sl
