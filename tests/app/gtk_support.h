// Driving the GTK window under a display: pumping its events with a time
// limit and sending real input through the X server with xdotool.
#pragma once

#include <gtk/gtk.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace sl::test {

// Dispatches pending events until `done` holds or `limit` passes.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
  }
  return true;
}

inline void Pump(std::chrono::milliseconds duration) {
  PumpUntil([] { return false; }, duration);
}

// Runs xdotool with `args` while the window keeps handling its events; true
// when it ran to a zero exit within the limit.
inline bool Xdotool(const std::vector<std::string>& args,
                    std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  std::vector<std::string> all{"xdotool"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = -1;
  bool ended = PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, limit);
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace sl::test
