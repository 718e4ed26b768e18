// sitemap-links: lists the <loc> addresses of a sitemap and saves them to
// url.txt beside the program. The command line is ignored.
#include <cstdlib>

#include "app/main_window.h"
#include "app/shell.h"

int main() {
  auto windows = sl::MakeNativeWindowSystem();
  const int code = sl::RunShell(*windows);
  // A fatal start-up error ends the process at once, without the end routines.
  if (code != 0) std::_Exit(code);
  return code;
}
