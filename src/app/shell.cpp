#include "app/shell.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/extraction.h"
#include "app/process.h"
#include "app/run_directory.h"
#include "regex/automation.h"

namespace sl {

namespace {
std::vector<void (*)()> endRoutines;
}  // namespace

void RegisterEndRoutine(void (*routine)()) {
  if (std::find(endRoutines.begin(), endRoutines.end(), routine) == endRoutines.end()) {
    endRoutines.push_back(routine);
  }
}

void RunEndRoutines() {
  std::vector<void (*)()> routines;
  routines.swap(endRoutines);
  for (auto routine : routines) routine();
}

int RunShell(WindowSystem& windows) {
  automation::OleInitialize();

  FixRunDirectory(ProgramDirectoryOf(ProgramFilePath()));
  MakeCurrentDirectory(RunDirectory());

  InitGlobals();
  RegisterEndRoutine(&ExitCleanup);

  std::string error;
  MainWindowEvents events{.created = &OnMainWindowCreated, .extractClicked = &OnExtractClicked};
  if (!windows.LoadMainWindow(TheMainWindowDesign(), std::move(events), error)) {
    ReportFatalError("sitemap-links: cannot create the main window: " + error);
    return 255;
  }

  windows.RunMessageLoop();

  RunEndRoutines();
  automation::OleUninitialize();
  return 0;
}

}  // namespace sl
