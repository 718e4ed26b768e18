// A window system without a display: MainWindow's controls as plain values,
// driven by the tests and benchmarks of the handlers.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"

namespace sl {

class MemoryMainWindow final : public MainWindow {
 public:
  MemoryMainWindow(const MainWindowDesign& design, MainWindowEvents events);

  Text ReadContent(ControlId editBox) override;
  void AppendText(ControlId editBox, const Text& text) override;
  void SetCaption(ControlId label, const Text& caption) override;
  void SetScrollBarMode(ControlId editBox, int32_t mode) override;

  // What the user does.
  void Type(ControlId editBox, std::string_view typed);
  void ClickButton();

  // What the user sees.
  const std::string& Content(ControlId id) const { return Get(id).content; }
  int32_t ScrollBarMode(ControlId id) const { return Get(id).scrollBarMode; }
  // Bumped by every change of scroll bars, so that a repeated mode can be seen to change nothing.
  int ScrollBarChanges(ControlId id) const { return Get(id).scrollBarChanges; }
  int AppendCount(ControlId id) const { return Get(id).appendCount; }
  bool Visible() const { return visible_; }
  void Show() { visible_ = true; }
  void RaiseCreated();

 private:
  struct Control {
    std::string content;
    size_t caret = 0;
    int32_t scrollBarMode = 0;
    int scrollBarChanges = 0;
    int appendCount = 0;
  };
  Control& Get(ControlId id) { return controls_[static_cast<size_t>(id)]; }
  const Control& Get(ControlId id) const { return controls_[static_cast<size_t>(id)]; }

  std::array<Control, kControlCount> controls_;
  MainWindowEvents events_;
  bool visible_ = false;
};

class MemoryWindowSystem final : public WindowSystem {
 public:
  using Step = std::function<void(MemoryMainWindow&)>;

  bool LoadMainWindow(const MainWindowDesign& design, MainWindowEvents events,
                      std::string& error) override;
  // Runs the scripted steps in order, then the user closes the window.
  void RunMessageLoop() override;

  // Set before loading: creation fails as without a display.
  bool failCreation = false;
  std::vector<Step> script;
  // Alive between loading and the end of the loop.
  MemoryMainWindow* Window() { return window_.get(); }

 private:
  std::unique_ptr<MemoryMainWindow> window_;
};

}  // namespace sl
