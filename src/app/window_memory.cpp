#include "app/window_memory.h"

#include <utility>

namespace sl {

MemoryMainWindow::MemoryMainWindow(const MainWindowDesign& design, MainWindowEvents events)
    : events_(std::move(events)) {
  for (const ControlDesign& d : design.controls) {
    Control& c = Get(d.id);
    c.content = d.kind == ControlKind::kHyperlink ? d.target : d.text;
    c.scrollBarMode = d.scrollBarMode;
  }
}

Text MemoryMainWindow::ReadContent(ControlId editBox) { return Text(Get(editBox).content); }

void MemoryMainWindow::AppendText(ControlId editBox, const Text& text) {
  Control& c = Get(editBox);
  c.content.append(text.View());
  c.caret = c.content.size();
  ++c.appendCount;
}

void MemoryMainWindow::SetCaption(ControlId label, const Text& caption) {
  Get(label).content = std::string(caption.View());
}

void MemoryMainWindow::SetScrollBarMode(ControlId editBox, int32_t mode) {
  Control& c = Get(editBox);
  int32_t clamped = ClampScrollBarMode(mode);
  if (clamped == c.scrollBarMode) return;
  c.scrollBarMode = clamped;
  ++c.scrollBarChanges;
}

void MemoryMainWindow::Type(ControlId editBox, std::string_view typed) {
  Control& c = Get(editBox);
  c.content.insert(c.caret, typed);
  c.caret += typed.size();
}

void MemoryMainWindow::ClickButton() {
  if (events_.extractClicked) events_.extractClicked(*this);
}

void MemoryMainWindow::RaiseCreated() {
  if (events_.created) events_.created(*this);
}

bool MemoryWindowSystem::LoadMainWindow(const MainWindowDesign& design, MainWindowEvents events,
                                        std::string& error) {
  if (failCreation) {
    error = "no display";
    return false;
  }
  window_ = std::make_unique<MemoryMainWindow>(design, std::move(events));
  window_->RaiseCreated();
  window_->Show();
  return true;
}

void MemoryWindowSystem::RunMessageLoop() {
  if (!window_) return;
  for (const Step& step : script) step(*window_);
  window_.reset();
}

}  // namespace sl
