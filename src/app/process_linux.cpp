#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/process.h"

namespace sl {

Text ProgramFilePath() {
  // realpath with a null buffer allocates the result, whatever its length.
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath("/proc/self/exe", nullptr),
                                                       &std::free);
  if (!resolved) return Text();
  return Text(std::string_view(resolved.get()));
}

Text ProgramDirectoryOf(const Text& programPath) {
  // UTF-8 never has a "/" byte inside a character, so a plain search is safe.
  std::string_view path = programPath.View();
  size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return Text();
  return Text(path.substr(0, slash));
}

bool MakeCurrentDirectory(const Text& directory) {
  // The empty run directory is the root: "" + "/url.txt" names /url.txt.
  const char* dir = directory.IsEmpty() ? "/" : directory.CStr();
  return chdir(dir) == 0;
}

const char* PathSeparator() { return "/"; }

void ReportFatalError(std::string_view message) {
  std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
  std::fflush(stderr);
}

}  // namespace sl
