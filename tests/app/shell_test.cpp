#include "app/shell.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/extraction.h"
#include "app/process.h"
#include "app/run_directory.h"
#include "app/window_memory.h"
#include "regex/automation.h"

namespace sl {
namespace {

// RunShell makes the program's directory current; the tests put the old one back.
class ShellTest : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::current_path(before); }
  std::filesystem::path before = std::filesystem::current_path();
};

int endRoutineRuns = 0;
void CountingEndRoutine() { ++endRoutineRuns; }

TEST_F(ShellTest, EndRoutinesRunOnceEachInOrder) {
  endRoutineRuns = 0;
  RegisterEndRoutine(&CountingEndRoutine);
  RegisterEndRoutine(&CountingEndRoutine);
  RunEndRoutines();
  RunEndRoutines();
  EXPECT_EQ(endRoutineRuns, 1);
}

TEST_F(ShellTest, StartsInOrderRunsTheWindowAndEndsOnce) {
  const int32_t comDepth = automation::ComInitDepth();
  MemoryWindowSystem windows;
  bool stepRan = false;
  windows.script.push_back([&](MemoryMainWindow& window) {
    stepRan = true;
    // OLE first, then the matcher's own COM initialisation in InitGlobals.
    EXPECT_EQ(automation::OleInitDepth(), 1);
    EXPECT_EQ(automation::ComInitDepth(), comDepth + 2);
    EXPECT_TRUE(LinkMatcher);
    // The run directory is the program's, and current.
    const std::string program(ProgramFilePath().View());
    EXPECT_EQ(std::string(RunDirectory().View()), program.substr(0, program.rfind('/')));
    EXPECT_EQ(std::filesystem::current_path().string(), std::string(RunDirectory().View()));
    // The created handler ran before the window was shown.
    EXPECT_TRUE(window.Visible());
    EXPECT_EQ(window.ScrollBarMode(ControlId::编辑框_链接), 2);
    EXPECT_EQ(window.ScrollBarChanges(ControlId::编辑框_链接), 1);
  });

  EXPECT_EQ(RunShell(windows), 0);
  EXPECT_TRUE(stepRan);
  EXPECT_FALSE(LinkMatcher);
  EXPECT_EQ(automation::OleInitDepth(), 0);
  EXPECT_EQ(automation::ComInitDepth(), comDepth);
  // ExitCleanup has been run and forgotten: a second end has nothing to run.
  RunEndRoutines();
  EXPECT_EQ(automation::ComInitDepth(), comDepth);
}

TEST_F(ShellTest, NoWindowIsFatalWithoutTheEndRoutines) {
  MemoryWindowSystem windows;
  windows.failCreation = true;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunShell(windows), 255);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("cannot create the main window"), std::string::npos) << err;
  EXPECT_TRUE(LinkMatcher) << "ExitCleanup must not run";
  EXPECT_EQ(automation::OleInitDepth(), 1);

  // What the process end would have thrown away.
  RunEndRoutines();
  automation::OleUninitialize();
}

}  // namespace
}  // namespace sl
