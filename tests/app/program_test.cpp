// The program itself: started from a directory of its own, driven through the
// X server, ended with Esc.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/extraction.h"
#include "app/shell.h"
#include "app/window_gtk.h"
#include "regex/automation.h"
#include "sitemap_server.h"
#include "test_support.h"

extern char** environ;

namespace sl {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WaitFor;

// Runs a command to its end within the limit; its exit code, or -1.
int RunCommand(const std::vector<std::string>& args, std::chrono::milliseconds limit) {
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = -1;
  if (!WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, limit)) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    pclose(pipe);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// A copy of the program in a directory of its own, where it writes url.txt.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program = dir.File("sitemap-links");
    std::error_code error;
    std::filesystem::create_hard_link(SL_PROGRAM_PATH, program, error);
    if (error) std::filesystem::copy_file(SL_PROGRAM_PATH, program);
  }
  bool HaveDisplay() {
    return getenv("DISPLAY") != nullptr && Output("xdpyinfo >/dev/null 2>&1 && echo yes") == "yes";
  }

  TempDir dir{std::filesystem::current_path()};
  std::string program;
};

TEST_F(ProgramTest, WithoutADisplayItReportsAndExitsWith255) {
  const std::string command =
      "env -u DISPLAY -u WAYLAND_DISPLAY '" + program + "' 2>&1; echo \"rc=$?\"";
  const std::string out = Output(command);
  EXPECT_NE(out.find("cannot create the main window"), std::string::npos) << out;
  EXPECT_NE(out.find("rc=255"), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(dir.File("url.txt")));
}

TEST_F(ProgramTest, TypeClickSaveAndEscEndsIt) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display";
  test::SitemapServer server;
  server.Serve("/sitemap.xml", "<urlset><url><loc>http://a/1</loc></url></urlset>");

  pid_t pid = -1;
  std::vector<std::string> args{program, "--ignored", "arguments"};
  std::vector<char*> argv{args[0].data(), args[1].data(), args[2].data(), nullptr};
  ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);

  const std::string window = Output("timeout 20 xdotool search --sync --onlyvisible --pid " +
                                    std::to_string(pid) + " | head -n 1");
  ASSERT_FALSE(window.empty());
  EXPECT_EQ(Output("xdotool getwindowname " + window), "网页链接获取工具（只能通过网站地图获取）");
  EXPECT_EQ(RunCommand({"xdotool", "windowfocus", "--sync", window}, std::chrono::seconds(10)), 0);
  EXPECT_EQ(RunCommand({"xdotool", "type", server.Url("/sitemap.xml")}, std::chrono::seconds(20)),
            0);
  EXPECT_EQ(RunCommand({"xdotool", "key", "Return"}, std::chrono::seconds(5)), 0);
  EXPECT_EQ(RunCommand({"xdotool", "mousemove", "--window", window, "404", "112", "click", "1"},
                       std::chrono::seconds(10)),
            0);
  const std::string urlTxt = dir.File("url.txt");
  EXPECT_TRUE(WaitFor([&] { return ReadFile(urlTxt) == "http://a/1\r\n"; }));
  // Enter did not start an extraction: one request, from the click.
  EXPECT_EQ(server.Requests().size(), 1u);

  EXPECT_EQ(RunCommand({"xdotool", "key", "Escape"}, std::chrono::seconds(5)), 0);
  int status = -1;
  EXPECT_TRUE(WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }));
  if (status == -1) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// The shell in this process, so that its end can be watched: Esc from another
// thread's xdotool, ExitCleanup once, OLE uninitialised last.
TEST(ShellOnGtkTest, EscEndsTheLoopAndTheShellCleansUpOnce) {
  if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
  const auto before = std::filesystem::current_path();
  const int32_t comDepth = automation::ComInitDepth();

  std::thread user([] {
    const std::string window = Output("timeout 20 xdotool search --sync --onlyvisible --pid " +
                                      std::to_string(getpid()) + " | head -n 1");
    RunCommand({"xdotool", "windowfocus", "--sync", window}, std::chrono::seconds(10));
    RunCommand({"xdotool", "key", "Escape"}, std::chrono::seconds(5));
  });
  // Closes the window should Esc never arrive, so that the test cannot hang.
  bool guardFired = false;
  guint guard = g_timeout_add_seconds(
      30,
      +[](gpointer fired) -> gboolean {
        *static_cast<bool*>(fired) = true;
        GList* toplevels = gtk_window_list_toplevels();
        for (GList* l = toplevels; l != nullptr; l = l->next)
          gtk_widget_destroy(GTK_WIDGET(l->data));
        g_list_free(toplevels);
        return G_SOURCE_REMOVE;
      },
      &guardFired);

  GtkWindowSystem windows;
  EXPECT_EQ(RunShell(windows), 0);
  user.join();
  if (!guardFired) g_source_remove(guard);
  std::filesystem::current_path(before);

  EXPECT_FALSE(guardFired);
  EXPECT_FALSE(LinkMatcher);
  EXPECT_EQ(automation::ComInitDepth(), comDepth);
  EXPECT_EQ(automation::OleInitDepth(), 0);
}

}  // namespace
}  // namespace sl
