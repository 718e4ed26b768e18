#include "app/window_gtk.h"

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace sl {

namespace {

struct GFreeDeleter {
  void operator()(gchar* p) const { g_free(p); }
};
using GString_ = std::unique_ptr<gchar, GFreeDeleter>;

// GTK holds text as UTF-8, the code page of this platform; bytes that are no
// character of it are shown as U+FFFD rather than refused.
std::string ValidUtf8(std::string_view bytes) {
  if (g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr)) {
    return std::string(bytes);
  }
  GString_ valid(g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size())));
  return std::string(valid.get());
}

// The edit box's content has "\r\n" line breaks; Enter typed into a text view
// inserts a lone "\n".
std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

// Win32 controls are laid out for a 9-point font at 96 dots per inch; the
// theme's paddings and minimum sizes are trimmed so that every control fits
// its stored rectangle.
constexpr const char* kCss =
    "* { font-size: 9pt; }\n"
    "entry { min-height: 0; padding-top: 0; padding-bottom: 0; }\n"
    "button { min-height: 0; min-width: 0; padding: 0 4px; }\n"
    "textview text { color: #000000; background-color: #ffffff; }\n"
    "entry { color: #000000; background-color: #ffffff; }\n"
    // Edit boxes hide their selection while another control has the focus.
    "textview:not(:focus) text selection, entry:not(:focus) selection {"
    " background-color: transparent; color: #000000; }\n";

void SetColour(cairo_t* cr, Rgb c) {
  cairo_set_source_rgb(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0);
}

// Labels and hyperlink boxes: one line, clipped at the rectangle, vertically
// centred; labels left-aligned, hyperlinks centred.
gboolean DrawCaption(GtkWidget* widget, cairo_t* cr, gpointer data) {
  auto* state = static_cast<GtkMainWindow::ControlState*>(data);
  const int width = gtk_widget_get_allocated_width(widget);
  const int height = gtk_widget_get_allocated_height(widget);
  GObjectRef<PangoLayout> layout(gtk_widget_create_pango_layout(widget, nullptr));
  pango_layout_set_single_paragraph_mode(layout.Get(), TRUE);
  pango_layout_set_text(layout.Get(), state->caption.data(),
                        static_cast<int>(state->caption.size()));
  int textWidth = 0;
  int textHeight = 0;
  pango_layout_get_pixel_size(layout.Get(), &textWidth, &textHeight);
  const bool centred = state->design->kind == ControlKind::kHyperlink;
  const int x = centred ? (width - textWidth) / 2 : 0;
  const int y = (height - textHeight) / 2;
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_clip(cr);
  SetColour(cr,
            centred ? state->owner->HyperlinkColour(state->design->id) : state->design->textColour);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout.Get());
  return FALSE;
}

// The desktop's default handler for the address, else the one for HTML files.
// Both are asked synchronously, so that the box knows whether the open worked.
bool OpenAddress(GtkWindow* parent, const char* address) {
  GObjectRef<GdkAppLaunchContext> context(
      gdk_display_get_app_launch_context(gtk_widget_get_display(GTK_WIDGET(parent))));
  GAppLaunchContext* launch = G_APP_LAUNCH_CONTEXT(context.Get());
  GError* error = nullptr;
  if (g_app_info_launch_default_for_uri(address, launch, &error)) return true;
  g_clear_error(&error);
  GObjectRef<GAppInfo> html(g_app_info_get_default_for_type("text/html", FALSE));
  if (!html) return false;
  GList uris{};
  uris.data = const_cast<char*>(address);
  const bool launched = g_app_info_launch_uris(html.Get(), &uris, launch, &error);
  g_clear_error(&error);
  return launched;
}

gboolean OnHyperlinkCrossing(GtkWidget* widget, GdkEventCrossing* event, gpointer data) {
  auto* state = static_cast<GtkMainWindow::ControlState*>(data);
  state->hover = event->type == GDK_ENTER_NOTIFY;
  gtk_widget_queue_draw(widget);
  return FALSE;
}

gboolean OnHyperlinkPress(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto* state = static_cast<GtkMainWindow::ControlState*>(data);
  if (event->button == GDK_BUTTON_PRIMARY && event->type == GDK_BUTTON_PRESS) state->pressed = true;
  return TRUE;
}

gboolean OnHyperlinkRelease(GtkWidget* widget, GdkEventButton* event, gpointer data) {
  auto* state = static_cast<GtkMainWindow::ControlState*>(data);
  if (event->button != GDK_BUTTON_PRIMARY || !state->pressed) return TRUE;
  state->pressed = false;
  const int width = gtk_widget_get_allocated_width(widget);
  const int height = gtk_widget_get_allocated_height(widget);
  if (event->x < 0 || event->y < 0 || event->x >= width || event->y >= height) return TRUE;
  if (OpenAddress(GTK_WINDOW(state->owner->Toplevel()), state->design->target)) {
    state->visited = true;
    gtk_widget_queue_draw(widget);
  }
  return TRUE;
}

void OnHyperlinkRealize(GtkWidget* widget, gpointer cursor) {
  gdk_window_set_cursor(gtk_widget_get_window(widget), static_cast<GdkCursor*>(cursor));
}

}  // namespace

GtkMainWindow::GtkMainWindow(const MainWindowDesign& design, MainWindowEvents events)
    : design_(design), events_(std::move(events)) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  toplevel_ = GObjectRef<GtkWidget>(GTK_WIDGET(g_object_ref(window)));
  gtk_window_set_title(GTK_WINDOW(window), design.title);
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);

  css_ = GObjectRef<GtkCssProvider>(gtk_css_provider_new());
  gtk_css_provider_load_from_data(css_.Get(), kCss, -1, nullptr);
  handCursor_ =
      GObjectRef<GdkCursor>(gdk_cursor_new_from_name(gtk_widget_get_display(window), "pointer"));

  GtkWidget* fixed = gtk_fixed_new();
  gtk_widget_set_size_request(fixed, design.clientWidth, design.clientHeight);
  gtk_container_add(GTK_CONTAINER(window), fixed);
  gtk_widget_show(fixed);

  for (const ControlDesign& d : design.controls) {
    ControlState& state = State(d.id);
    state.owner = this;
    state.design = &d;
    BuildControl(GTK_FIXED(fixed), state);
  }
  // The user types the sitemap's address first.
  gtk_window_set_focus(GTK_WINDOW(window), Widget(ControlId::编辑框_地图));

  g_signal_connect(window, "key-press-event", G_CALLBACK(&GtkMainWindow::OnKeyPress), this);
  g_signal_connect(window, "destroy", G_CALLBACK(&GtkMainWindow::OnDestroy), this);
}

GtkMainWindow::~GtkMainWindow() {
  if (!destroyed_) gtk_widget_destroy(toplevel_.Get());
  g_signal_handlers_disconnect_by_data(toplevel_.Get(), this);
}

void GtkMainWindow::BuildControl(GtkFixed* fixed, ControlState& state) {
  const ControlDesign& d = *state.design;
  GtkWidget* placed = nullptr;
  switch (d.kind) {
    case ControlKind::kMultiLineEdit: {
      GtkWidget* view = gtk_text_view_new();
      gtk_text_view_set_left_margin(GTK_TEXT_VIEW(view), 2);
      gtk_text_view_set_right_margin(GTK_TEXT_VIEW(view), 2);
      placed = gtk_scrolled_window_new(nullptr, nullptr);
      gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(placed), GTK_SHADOW_IN);
      // A scroll bar is shown for good, not faded in under the pointer.
      gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(placed), FALSE);
      gtk_container_add(GTK_CONTAINER(placed), view);
      gtk_widget_show(view);
      g_signal_connect(gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(placed)), "changed",
                       G_CALLBACK(&GtkMainWindow::OnLinkBoxHeightChanged), this);
      g_signal_connect(placed, "scroll-event", G_CALLBACK(&GtkMainWindow::OnUserScroll), this);
      for (GtkWidget* bar : {gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(placed)),
                             gtk_scrolled_window_get_hscrollbar(GTK_SCROLLED_WINDOW(placed))}) {
        g_signal_connect(bar, "button-press-event", G_CALLBACK(&GtkMainWindow::OnUserScroll), this);
      }
      state.widget = view;
      state.scrollBarMode = ClampScrollBarMode(d.scrollBarMode);
      state.placed = placed;
      ApplyScrollBarMode(state);
      break;
    }
    case ControlKind::kSingleLineEdit:
      placed = gtk_entry_new();
      gtk_entry_set_width_chars(GTK_ENTRY(placed), 1);
      state.widget = placed;
      state.scrollBarMode = ClampScrollBarMode(d.scrollBarMode);
      break;
    case ControlKind::kButton:
      placed = gtk_button_new_with_label(d.text);
      gtk_widget_set_focus_on_click(placed, TRUE);
      g_signal_connect(placed, "clicked", G_CALLBACK(&GtkMainWindow::OnButtonClicked), this);
      state.widget = placed;
      break;
    case ControlKind::kLabel:
    case ControlKind::kHyperlink:
      placed = gtk_drawing_area_new();
      state.caption = ValidUtf8(d.kind == ControlKind::kHyperlink ? d.target : d.text);
      g_signal_connect(placed, "draw", G_CALLBACK(&DrawCaption), &state);
      if (d.kind == ControlKind::kHyperlink) {
        gtk_widget_add_events(placed, GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK |
                                          GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
        g_signal_connect(placed, "enter-notify-event", G_CALLBACK(&OnHyperlinkCrossing), &state);
        g_signal_connect(placed, "leave-notify-event", G_CALLBACK(&OnHyperlinkCrossing), &state);
        g_signal_connect(placed, "button-press-event", G_CALLBACK(&OnHyperlinkPress), &state);
        g_signal_connect(placed, "button-release-event", G_CALLBACK(&OnHyperlinkRelease), &state);
        g_signal_connect(placed, "realize", G_CALLBACK(&OnHyperlinkRealize), handCursor_.Get());
      }
      state.widget = placed;
      break;
  }
  state.placed = placed;
  // Only the three tab stops take the keyboard; the link box's scroller does not.
  gtk_widget_set_can_focus(state.widget, d.tabStop);
  if (state.widget != placed) gtk_widget_set_can_focus(placed, FALSE);
  gtk_style_context_add_provider(gtk_widget_get_style_context(placed),
                                 GTK_STYLE_PROVIDER(css_.Get()),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  if (state.widget != placed) {
    gtk_style_context_add_provider(gtk_widget_get_style_context(state.widget),
                                   GTK_STYLE_PROVIDER(css_.Get()),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  }
  gtk_widget_set_size_request(placed, d.rect.width, d.rect.height);
  gtk_fixed_put(fixed, placed, d.rect.left, d.rect.top);
  gtk_widget_show(placed);
}

void GtkMainWindow::ApplyScrollBarMode(ControlState& state) {
  if (state.design->kind != ControlKind::kMultiLineEdit) return;
  const int32_t mode = state.scrollBarMode;
  // EXTERNAL scrolls without a bar and, unlike NEVER, keeps the box its size.
  gtk_scrolled_window_set_policy(
      GTK_SCROLLED_WINDOW(state.placed),
      ModeHasHorizontalBar(mode) ? GTK_POLICY_ALWAYS : GTK_POLICY_EXTERNAL,
      ModeHasVerticalBar(mode) ? GTK_POLICY_ALWAYS : GTK_POLICY_EXTERNAL);
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(state.widget),
                              ModeWraps(mode) ? GTK_WRAP_WORD_CHAR : GTK_WRAP_NONE);
}

Text GtkMainWindow::ReadContent(ControlId editBox) {
  ControlState& state = State(editBox);
  if (state.design->kind == ControlKind::kSingleLineEdit) {
    return Text(std::string_view(gtk_entry_get_text(GTK_ENTRY(state.widget))));
  }
  if (state.design->kind != ControlKind::kMultiLineEdit) return Text(state.caption);
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(state.widget));
  GtkTextIter start;
  GtkTextIter end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  GString_ text(gtk_text_buffer_get_text(buffer, &start, &end, TRUE));
  return Text(WithCrLf(text.get()));
}

void GtkMainWindow::AppendText(ControlId editBox, const Text& text) {
  ControlState& state = State(editBox);
  if (state.design->kind != ControlKind::kMultiLineEdit) return;
  GtkTextView* view = GTK_TEXT_VIEW(state.widget);
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
  GtkTextIter end;
  GtkTextIter caret;
  GtkTextIter bound;
  gtk_text_buffer_get_end_iter(buffer, &end);
  gtk_text_buffer_get_iter_at_mark(buffer, &caret, gtk_text_buffer_get_insert(buffer));
  gtk_text_buffer_get_iter_at_mark(buffer, &bound, gtk_text_buffer_get_selection_bound(buffer));
  const bool caretAtEnd = gtk_text_iter_equal(&caret, &end) && gtk_text_iter_equal(&bound, &end);
  // Placing the caret where it already is, and asking again for a scroll that
  // is still pending, would only cost time: the text view answers every move
  // of the caret, and each scroll request makes a mark of its own.
  if (!caretAtEnd) gtk_text_buffer_place_cursor(buffer, &end);
  if (!caretAtEnd || !followCaret_) {
    // Scrolls once the layout has caught up, to wherever the caret is by
    // then: no relayout of the whole buffer for each line.
    gtk_text_view_scroll_mark_onscreen(view, gtk_text_buffer_get_insert(buffer));
  }
  const std::string_view bytes = text.View();
  if (g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr)) {
    gtk_text_buffer_insert_at_cursor(buffer, bytes.data(), static_cast<gint>(bytes.size()));
  } else {
    const std::string valid = ValidUtf8(bytes);
    gtk_text_buffer_insert_at_cursor(buffer, valid.data(), static_cast<gint>(valid.size()));
  }
  followCaret_ = true;
}

// The text view lays out new lines bit by bit after the handler has returned,
// and each piece moves the end further down: the caret is kept in view.
void GtkMainWindow::OnLinkBoxHeightChanged(GtkAdjustment*, gpointer data) {
  auto* self = static_cast<GtkMainWindow*>(data);
  if (!self->followCaret_) return;
  GtkTextView* view = GTK_TEXT_VIEW(self->Widget(ControlId::编辑框_链接));
  gtk_text_view_scroll_mark_onscreen(view,
                                     gtk_text_buffer_get_insert(gtk_text_view_get_buffer(view)));
}

gboolean GtkMainWindow::OnUserScroll(GtkWidget*, GdkEvent*, gpointer data) {
  static_cast<GtkMainWindow*>(data)->followCaret_ = false;
  return FALSE;
}

void GtkMainWindow::SetCaption(ControlId label, const Text& caption) {
  ControlState& state = State(label);
  if (state.design->kind == ControlKind::kButton) {
    gtk_button_set_label(GTK_BUTTON(state.widget), ValidUtf8(caption.View()).c_str());
    return;
  }
  if (state.design->kind != ControlKind::kLabel && state.design->kind != ControlKind::kHyperlink) {
    return;
  }
  state.caption = ValidUtf8(caption.View());
  gtk_widget_queue_draw(state.widget);
}

void GtkMainWindow::SetScrollBarMode(ControlId editBox, int32_t mode) {
  ControlState& state = State(editBox);
  const int32_t clamped = ClampScrollBarMode(mode);
  if (clamped == state.scrollBarMode) return;
  state.scrollBarMode = clamped;
  ApplyScrollBarMode(state);
}

Rgb GtkMainWindow::HyperlinkColour(ControlId id) const {
  const ControlState& state = State(id);
  if (state.hover) return design_.hyperlinkHover;
  if (state.visited) return design_.hyperlinkVisited;
  return design_.hyperlinkNormal;
}

void GtkMainWindow::RaiseCreated() {
  if (events_.created) events_.created(*this);
}

void GtkMainWindow::Show() { gtk_widget_show(toplevel_.Get()); }

void GtkMainWindow::MoveFocus(bool backward) {
  // The tab stops of the design, in the order of its controls.
  std::vector<GtkWidget*> order;
  for (const ControlState& state : controls_) {
    if (state.design->tabStop) order.push_back(state.widget);
  }
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(toplevel_.Get()));
  size_t next = backward ? order.size() - 1 : 0;
  for (size_t i = 0; i < order.size(); ++i) {
    if (order[i] == focus) {
      next = backward ? (i + order.size() - 1) % order.size() : (i + 1) % order.size();
      break;
    }
  }
  gtk_widget_grab_focus(order[next]);
}

gboolean GtkMainWindow::OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* self = static_cast<GtkMainWindow*>(data);
  switch (event->keyval) {
    case GDK_KEY_Tab:
    case GDK_KEY_KP_Tab:
    case GDK_KEY_ISO_Left_Tab:
      self->MoveFocus(event->keyval == GDK_KEY_ISO_Left_Tab ||
                      (event->state & GDK_SHIFT_MASK) != 0);
      return TRUE;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
      // Only the multi-line box takes Enter; nowhere else does it press a button.
      return gtk_window_get_focus(GTK_WINDOW(self->Toplevel())) !=
             self->Widget(ControlId::编辑框_链接);
    case GDK_KEY_Escape:
      gtk_window_close(GTK_WINDOW(self->Toplevel()));
      return TRUE;
    default:
      return FALSE;
  }
}

void GtkMainWindow::OnDestroy(GtkWidget*, gpointer data) {
  static_cast<GtkMainWindow*>(data)->destroyed_ = true;
}

void GtkMainWindow::OnButtonClicked(GtkButton*, gpointer data) {
  auto* self = static_cast<GtkMainWindow*>(data);
  if (self->events_.extractClicked) self->events_.extractClicked(*self);
}

bool GtkWindowSystem::LoadMainWindow(const MainWindowDesign& design, MainWindowEvents events,
                                     std::string& error) {
  // The command line is the program's, not the toolkit's: GTK sees none.
  if (!gtk_init_check(nullptr, nullptr)) {
    const char* display = g_getenv("DISPLAY");
    error = std::string("cannot open the display") + (display ? std::string(" ") + display : "");
    return false;
  }
  window_ = std::make_unique<GtkMainWindow>(design, std::move(events));
  window_->RaiseCreated();
  window_->Show();
  return true;
}

void GtkWindowSystem::RunMessageLoop() {
  while (window_ && !window_->Destroyed()) gtk_main_iteration_do(TRUE);
  window_.reset();
}

std::unique_ptr<WindowSystem> MakeNativeWindowSystem() {
  return std::make_unique<GtkWindowSystem>();
}

}  // namespace sl
