// MainWindow as the handlers see it: its design held once as data, the four
// control operations and the two events, behind one interface that every
// window system (GTK 3, in-memory, Win32) implements.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "text/text.h"

namespace sl {

// The nine controls, named as in the window's design, in creation order.
enum class ControlId : uint8_t {
  编辑框_链接,
  标签1,
  编辑框_地图,
  按钮1,
  标签2,
  超级链接框1,
  标签3,
  超级链接框2,
  标签4,
};
inline constexpr int kControlCount = 9;

enum class ControlKind : uint8_t { kMultiLineEdit, kSingleLineEdit, kLabel, kButton, kHyperlink };

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Pixels in the window's client area.
struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct ControlDesign {
  ControlId id;
  const char* name;
  ControlKind kind;
  PixelRect rect;
  // Caption at start; a hyperlink box shows its target instead.
  const char* text;
  bool tabStop;
  // Labels only.
  Rgb textColour;
  // Edit boxes only: the stored ScrollBarMode.
  int scrollBarMode;
  // Hyperlink boxes only.
  const char* target;
};

struct MainWindowDesign {
  const char* title;
  // Outside size with the fixed single frame and title bar of the Win32 window.
  int outerWidth;
  int outerHeight;
  // What that frame leaves for the controls.
  int clientWidth;
  int clientHeight;
  Rgb hyperlinkNormal;
  Rgb hyperlinkHover;
  Rgb hyperlinkVisited;
  std::array<ControlDesign, kControlCount> controls;

  const ControlDesign& Control(ControlId id) const { return controls[static_cast<size_t>(id)]; }
};

const MainWindowDesign& TheMainWindowDesign();

// The operations the handlers use. All run on the user-interface thread and
// return when done; none reports an error.
class MainWindow {
 public:
  virtual ~MainWindow() = default;

  // The whole text of an edit box, line breaks as "\r\n".
  virtual Text ReadContent(ControlId editBox) = 0;
  // Caret to the end with an empty selection, scroll to it, insert there;
  // the insertion cannot be undone.
  virtual void AppendText(ControlId editBox, const Text& text) = 0;
  virtual void SetCaption(ControlId label, const Text& caption) = 0;
  // 0 none, 1 horizontal, 2 vertical, 3 both; clamped to 0..3.
  virtual void SetScrollBarMode(ControlId editBox, int32_t mode) = 0;
};

inline int32_t ClampScrollBarMode(int32_t mode) { return mode < 0 ? 0 : (mode > 3 ? 3 : mode); }
inline bool ModeHasHorizontalBar(int32_t mode) { return mode == 1 || mode == 3; }
inline bool ModeHasVerticalBar(int32_t mode) { return mode == 2 || mode == 3; }
// Without a horizontal scroll bar long lines wrap at the box's width.
inline bool ModeWraps(int32_t mode) { return !ModeHasHorizontalBar(mode); }

struct MainWindowEvents {
  // All controls exist, the window is not yet shown.
  std::function<void(MainWindow&)> created;
  // A click on 按钮1.
  std::function<void(MainWindow&)> extractClicked;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Creates MainWindow hidden with its controls, raises `created`, shows it.
  // False, with a reason in `error`, when the window cannot be created.
  virtual bool LoadMainWindow(const MainWindowDesign& design, MainWindowEvents events,
                              std::string& error) = 0;
  // Dispatches events one at a time until MainWindow has been destroyed.
  virtual void RunMessageLoop() = 0;
};

// The desktop's own window system on this platform.
std::unique_ptr<WindowSystem> MakeNativeWindowSystem();

}  // namespace sl
