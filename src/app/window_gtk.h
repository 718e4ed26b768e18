// MainWindow on GTK 3: a fixed-size toplevel whose controls sit at their
// stored pixel rectangles in a GtkFixed.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <memory>
#include <string>

#include "app/main_window.h"

namespace sl {

// Owns one reference to a GObject.
template <typename T>
class GObjectRef {
 public:
  GObjectRef() = default;
  // Takes over a reference the caller owns.
  explicit GObjectRef(T* adopted) : object_(adopted) {}
  GObjectRef(const GObjectRef&) = delete;
  GObjectRef& operator=(const GObjectRef&) = delete;
  GObjectRef(GObjectRef&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  GObjectRef& operator=(GObjectRef&& other) noexcept {
    if (this != &other) {
      Reset();
      object_ = other.object_;
      other.object_ = nullptr;
    }
    return *this;
  }
  ~GObjectRef() { Reset(); }
  T* Get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void Reset() {
    if (object_ != nullptr) g_object_unref(object_);
    object_ = nullptr;
  }

 private:
  T* object_ = nullptr;
};

class GtkMainWindow final : public MainWindow {
 public:
  // Builds the window hidden, with every control created and shown inside it.
  GtkMainWindow(const MainWindowDesign& design, MainWindowEvents events);
  GtkMainWindow(const GtkMainWindow&) = delete;
  GtkMainWindow& operator=(const GtkMainWindow&) = delete;
  ~GtkMainWindow() override;

  Text ReadContent(ControlId editBox) override;
  void AppendText(ControlId editBox, const Text& text) override;
  void SetCaption(ControlId label, const Text& caption) override;
  void SetScrollBarMode(ControlId editBox, int32_t mode) override;

  void RaiseCreated();
  void Show();
  bool Destroyed() const { return destroyed_; }

  GtkWidget* Toplevel() const { return toplevel_.Get(); }
  // The widget that takes the focus and the input: the text view of the
  // multi-line box, the entry, the button, the drawing area of a label.
  GtkWidget* Widget(ControlId id) const { return State(id).widget; }
  // The widget placed at the control's rectangle (the scroller of the link box).
  GtkWidget* Placed(ControlId id) const { return State(id).placed; }
  const std::string& Caption(ControlId id) const { return State(id).caption; }
  int32_t ScrollBarMode(ControlId id) const { return State(id).scrollBarMode; }
  // The colour a hyperlink box draws its text in now.
  Rgb HyperlinkColour(ControlId id) const;

  struct ControlState {
    GtkMainWindow* owner = nullptr;
    const ControlDesign* design = nullptr;
    GtkWidget* widget = nullptr;
    GtkWidget* placed = nullptr;
    std::string caption;
    int32_t scrollBarMode = 0;
    bool hover = false;
    bool visited = false;
    bool pressed = false;
  };

 private:
  ControlState& State(ControlId id) { return controls_[static_cast<size_t>(id)]; }
  const ControlState& State(ControlId id) const { return controls_[static_cast<size_t>(id)]; }
  void BuildControl(GtkFixed* fixed, ControlState& state);
  void ApplyScrollBarMode(ControlState& state);

  static gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer self);
  static void OnDestroy(GtkWidget* widget, gpointer self);
  static void OnButtonClicked(GtkButton* button, gpointer self);
  static void OnLinkBoxHeightChanged(GtkAdjustment* adjustment, gpointer self);
  static gboolean OnUserScroll(GtkWidget* widget, GdkEvent* event, gpointer self);
  void MoveFocus(bool backward);

  const MainWindowDesign& design_;
  MainWindowEvents events_;
  GObjectRef<GtkWidget> toplevel_;
  GObjectRef<GtkCssProvider> css_;
  GObjectRef<GdkCursor> handCursor_;
  std::array<ControlState, kControlCount> controls_;
  bool destroyed_ = false;
  // Set by AppendText: keep the caret in view while the text view lays out
  // the new lines, until the user scrolls by hand.
  bool followCaret_ = false;
};

class GtkWindowSystem final : public WindowSystem {
 public:
  bool LoadMainWindow(const MainWindowDesign& design, MainWindowEvents events,
                      std::string& error) override;
  void RunMessageLoop() override;

  GtkMainWindow* Window() { return window_.get(); }

 private:
  std::unique_ptr<GtkMainWindow> window_;
};

}  // namespace sl
