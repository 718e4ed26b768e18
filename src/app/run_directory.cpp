#include "app/run_directory.h"

namespace sl {

namespace {
Text theRunDirectory;
}  // namespace

Text RunDirectory() { return theRunDirectory; }

void FixRunDirectory(const Text& directory) { theRunDirectory = directory; }

}  // namespace sl
