#include "app/window_gtk.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

// After GoogleTest: the X11 headers define None.
#include <gdk/gdkx.h>

#include <string>

#include "app/extraction.h"
#include "app/link_list.h"
#include "app/run_directory.h"
#include "gtk_support.h"
#include "sitemap_server.h"
#include "test_support.h"
#include "web/transport_timeouts.h"

namespace sl {
namespace {

using test::PumpUntil;
using test::ReadFile;
using test::TempDir;
using test::Xdotool;

constexpr ControlId kLinks = ControlId::编辑框_链接;
constexpr ControlId kAddress = ControlId::编辑框_地图;
constexpr ControlId kButton = ControlId::按钮1;

// The hyperlink boxes open their target with a handler registered only for
// HTML files, which writes what it was given to `opened` in this directory.
TempDir* desktop = nullptr;

class GtkWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    desktop = new TempDir();  // lives for the process: the handler may still write
    const std::string apps = desktop->File("data/applications");
    std::filesystem::create_directories(apps);
    std::filesystem::create_directories(desktop->File("config"));
    test::WriteFile(apps + "/sl-test-browser.desktop",
                    "[Desktop Entry]\nType=Application\nName=Test browser\n"
                    "Exec=/bin/sh -c 'printf %s \"$1\" > " +
                        desktop->File("opened") + "' sh %u\nMimeType=text/html;\n");
    test::WriteFile(desktop->File("config/mimeapps.list"),
                    "[Default Applications]\ntext/html=sl-test-browser.desktop\n");
    setenv("XDG_DATA_HOME", desktop->File("data").c_str(), 1);
    setenv("XDG_DATA_DIRS", desktop->File("data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", desktop->File("config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", desktop->File("config").c_str(), 1);
    haveDisplay = gtk_init_check(nullptr, nullptr);
  }

  void SetUp() override {
    if (!haveDisplay) GTEST_SKIP() << "no display";
    FixRunDirectory(Text(dir.Str()));
  }
  void TearDown() override { windows.reset(); }

  // Loads the window as the shell does and waits until it is on the screen.
  GtkMainWindow& Open(MainWindowEvents events) {
    auto created = std::move(events.created);
    events.created = [this, created](MainWindow& window) {
      shownWhenCreated = gtk_widget_get_visible(windows->Window()->Toplevel());
      if (created) created(window);
    };
    windows = std::make_unique<GtkWindowSystem>();
    std::string error;
    EXPECT_TRUE(windows->LoadMainWindow(TheMainWindowDesign(), std::move(events), error)) << error;
    GtkMainWindow& window = *windows->Window();
    EXPECT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(window.Toplevel()); }));
    test::Pump(std::chrono::milliseconds(50));
    return window;
  }
  std::string Xid(const GtkMainWindow& window) {
    return std::to_string(gdk_x11_window_get_xid(gtk_widget_get_window(window.Toplevel())));
  }
  // Gives the window the keyboard; there is no window manager to do it.
  void Focus(const GtkMainWindow& window) {
    ASSERT_TRUE(Xdotool({"windowfocus", "--sync", Xid(window)}));
    ASSERT_TRUE(PumpUntil([&] { return gtk_window_is_active(GTK_WINDOW(window.Toplevel())); }));
  }
  GtkWidget* Focused(const GtkMainWindow& window) {
    return gtk_window_get_focus(GTK_WINDOW(window.Toplevel()));
  }
  // Client-area coordinates of the centre of a control.
  std::vector<std::string> MouseTo(const GtkMainWindow& window, ControlId id) {
    const PixelRect& r = TheMainWindowDesign().Control(id).rect;
    return {"mousemove", "--window", Xid(window), std::to_string(r.left + r.width / 2),
            std::to_string(r.top + r.height / 2)};
  }

  static inline bool haveDisplay = false;
  TempDir dir;
  std::unique_ptr<GtkWindowSystem> windows;
  bool shownWhenCreated = true;
  int clicks = 0;
  MainWindowEvents counting{.created = &OnMainWindowCreated,
                            .extractClicked = [this](MainWindow&) { ++clicks; }};
};

TEST_F(GtkWindowTest, TitleSizePlaceAndEveryControlAtItsRectangle) {
  GtkMainWindow& window = Open(counting);
  const MainWindowDesign& design = TheMainWindowDesign();
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(window.Toplevel())), design.title);
  EXPECT_FALSE(gtk_window_get_resizable(GTK_WINDOW(window.Toplevel())));

  GdkWindow* gdkWindow = gtk_widget_get_window(window.Toplevel());
  int x = 0, y = 0;
  gdk_window_get_origin(gdkWindow, &x, &y);
  EXPECT_EQ(gdk_window_get_width(gdkWindow), design.clientWidth);
  EXPECT_EQ(gdk_window_get_height(gdkWindow), design.clientHeight);
  GdkRectangle screen{};
  gdk_monitor_get_geometry(gdk_display_get_monitor_at_window(gdk_display_get_default(), gdkWindow),
                           &screen);
  // Centred; a window manager's frame may shift it by its own size.
  EXPECT_NEAR(x, (screen.width - design.clientWidth) / 2, 16);
  EXPECT_NEAR(y, (screen.height - design.clientHeight) / 2, 32);

  for (const ControlDesign& control : design.controls) {
    GtkAllocation a{};
    gtk_widget_get_allocation(window.Placed(control.id), &a);
    EXPECT_EQ(a.x, control.rect.left) << control.name;
    EXPECT_EQ(a.y, control.rect.top) << control.name;
    EXPECT_EQ(a.width, control.rect.width) << control.name;
    EXPECT_EQ(a.height, control.rect.height) << control.name;
  }
  EXPECT_EQ(window.Caption(ControlId::标签1), "网站地图");
  EXPECT_EQ(window.Caption(ControlId::标签4), "");
  EXPECT_NE(window.Caption(ControlId::超级链接框1), window.Caption(ControlId::超级链接框2));
}

void RunStoredFunction(gpointer function) { (*static_cast<std::function<void()>*>(function))(); }

TEST_F(GtkWindowTest, TheLinkBoxHasItsVerticalScrollBarFromTheFirstFrame) {
  bool drawn = false;
  bool barShown = false;
  bool horizontalShown = true;
  std::function<void()> onFirstDraw;
  MainWindowEvents events = counting;
  events.created = [&](MainWindow& w) {
    OnMainWindowCreated(w);
    auto& gw = static_cast<GtkMainWindow&>(w);
    auto* scroller = GTK_SCROLLED_WINDOW(gw.Placed(kLinks));
    onFirstDraw = [&, scroller] {
      if (drawn) return;
      drawn = true;
      GtkWidget* bar = gtk_scrolled_window_get_vscrollbar(scroller);
      barShown = gtk_widget_get_mapped(bar) && gtk_widget_get_allocated_width(bar) > 1;
      horizontalShown = gtk_widget_get_mapped(gtk_scrolled_window_get_hscrollbar(scroller));
    };
    g_signal_connect_swapped(gw.Toplevel(), "draw", G_CALLBACK(&RunStoredFunction), &onFirstDraw);
  };
  GtkMainWindow& window = Open(events);
  EXPECT_FALSE(shownWhenCreated);
  ASSERT_TRUE(PumpUntil([&] { return drawn; }));
  EXPECT_TRUE(barShown);
  EXPECT_FALSE(horizontalShown);
  EXPECT_EQ(window.ScrollBarMode(kLinks), 2);
  g_signal_handlers_disconnect_by_data(window.Toplevel(), &onFirstDraw);
}

TEST_F(GtkWindowTest, ScrollBarModesSetBarsAndWrapping) {
  GtkMainWindow& window = Open(counting);
  window.AppendText(kLinks, "kept\r\n");
  auto* scroller = GTK_SCROLLED_WINDOW(window.Placed(kLinks));
  struct Case {
    int32_t mode;
    GtkPolicyType horizontal;
    GtkPolicyType vertical;
    GtkWrapMode wrap;
  };
  const Case cases[] = {
      {0, GTK_POLICY_EXTERNAL, GTK_POLICY_EXTERNAL, GTK_WRAP_WORD_CHAR},
      {1, GTK_POLICY_ALWAYS, GTK_POLICY_EXTERNAL, GTK_WRAP_NONE},
      {2, GTK_POLICY_EXTERNAL, GTK_POLICY_ALWAYS, GTK_WRAP_WORD_CHAR},
      {3, GTK_POLICY_ALWAYS, GTK_POLICY_ALWAYS, GTK_WRAP_NONE},
      {5, GTK_POLICY_ALWAYS, GTK_POLICY_ALWAYS, GTK_WRAP_NONE},
      {-1, GTK_POLICY_EXTERNAL, GTK_POLICY_EXTERNAL, GTK_WRAP_WORD_CHAR},
  };
  for (const Case& c : cases) {
    window.SetScrollBarMode(kLinks, c.mode);
    GtkPolicyType h{}, v{};
    gtk_scrolled_window_get_policy(scroller, &h, &v);
    EXPECT_EQ(h, c.horizontal) << c.mode;
    EXPECT_EQ(v, c.vertical) << c.mode;
    EXPECT_EQ(gtk_text_view_get_wrap_mode(GTK_TEXT_VIEW(window.Widget(kLinks))), c.wrap) << c.mode;
    EXPECT_EQ(window.ScrollBarMode(kLinks), ClampScrollBarMode(c.mode));
    // The box keeps its size, whatever the bars.
    test::Pump(std::chrono::milliseconds(20));
    EXPECT_EQ(gtk_widget_get_allocated_height(window.Placed(kLinks)), 136) << c.mode;
  }
  EXPECT_EQ(std::string(window.ReadContent(kLinks).View()), "kept\r\n");
}

TEST_F(GtkWindowTest, AppendTextGoesToTheEndShowsItAndDropsTheSelection) {
  GtkMainWindow& window = Open(counting);
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(window.Widget(kLinks)));
  // The user typed two lines, Enter giving a lone line feed, and selected the first.
  gtk_text_buffer_set_text(buffer, "typed\nmore", -1);
  GtkTextIter from, to;
  gtk_text_buffer_get_iter_at_offset(buffer, &from, 0);
  gtk_text_buffer_get_iter_at_offset(buffer, &to, 5);
  gtk_text_buffer_select_range(buffer, &from, &to);

  for (int i = 0; i < 200; ++i) window.AppendText(kLinks, TextConcat("http://a/", "x", "\r\n"));
  EXPECT_FALSE(gtk_text_buffer_get_has_selection(buffer));
  GtkTextIter caret, end;
  gtk_text_buffer_get_iter_at_mark(buffer, &caret, gtk_text_buffer_get_insert(buffer));
  gtk_text_buffer_get_end_iter(buffer, &end);
  EXPECT_TRUE(gtk_text_iter_equal(&caret, &end));

  std::string expected = "typed\r\nmore";
  for (int i = 0; i < 200; ++i) expected += "http://a/x\r\n";
  EXPECT_EQ(std::string(window.ReadContent(kLinks).View()), expected);

  // Once the lines are laid out, the view shows the end.
  GtkAdjustment* v =
      gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(window.Placed(kLinks)));
  auto endShown = [&] {
    return gtk_adjustment_get_upper(v) > 1000 &&
           gtk_adjustment_get_value(v) + gtk_adjustment_get_page_size(v) >=
               gtk_adjustment_get_upper(v) - 1;
  };
  EXPECT_TRUE(PumpUntil(endShown));

  // The user scrolls up with the wheel; the next line brings the end back.
  std::vector<std::string> wheel = MouseTo(window, kLinks);
  wheel.insert(wheel.end(), {"click", "--repeat", "10", "4"});
  ASSERT_TRUE(Xdotool(wheel));
  EXPECT_TRUE(PumpUntil([&] { return !endShown(); }, std::chrono::seconds(3)));
  window.AppendText(kLinks, "last\r\n");
  EXPECT_TRUE(PumpUntil(endShown));
}

TEST_F(GtkWindowTest, TabCyclesTheThreeControlsEnterDoesNothingSpacePresses) {
  GtkMainWindow& window = Open(counting);
  Focus(window);
  ASSERT_EQ(Focused(window), window.Widget(kAddress));

  const struct {
    const char* key;
    ControlId then;
  } steps[] = {
      {"Tab", kButton},      {"Tab", kLinks},        {"Tab", kAddress},
      {"shift+Tab", kLinks}, {"shift+Tab", kButton}, {"shift+Tab", kAddress},
  };
  for (const auto& step : steps) {
    ASSERT_TRUE(Xdotool({"key", step.key}));
    EXPECT_TRUE(PumpUntil([&] { return Focused(window) == window.Widget(step.then); },
                          std::chrono::seconds(3)))
        << step.key << " to " << TheMainWindowDesign().Control(step.then).name;
  }
  ASSERT_TRUE(Xdotool({"type", "http://x/"}));
  ASSERT_TRUE(Xdotool({"key", "Return", "KP_Enter"}));
  gtk_widget_grab_focus(window.Widget(kButton));
  ASSERT_TRUE(Xdotool({"key", "Return"}));
  test::Pump(std::chrono::milliseconds(300));
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(std::string(window.ReadContent(kAddress).View()), "http://x/");

  ASSERT_TRUE(Xdotool({"key", "space"}));
  EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }, std::chrono::seconds(3)));

  // The multi-line box takes Enter as a line break, and never a Tab.
  gtk_widget_grab_focus(window.Widget(kLinks));
  ASSERT_TRUE(Xdotool({"type", "a"}));
  ASSERT_TRUE(Xdotool({"key", "Return", "Tab"}));
  test::Pump(std::chrono::milliseconds(100));
  EXPECT_EQ(std::string(window.ReadContent(kLinks).View()), "a\r\n");
  EXPECT_EQ(Focused(window), window.Widget(kAddress));
}

TEST_F(GtkWindowTest, AClickOnTheButtonWritesUrlTxtAndReportsIt) {
  test::SitemapServer server;
  server.Serve("/sitemap.xml",
               "<urlset><url><loc>http://a/1</loc></url><url><loc>http://a/2</loc></url></urlset>");
  ScopedTransportTimeouts quick{{std::chrono::milliseconds(2000), std::chrono::milliseconds(2000)}};
  InitGlobals();
  GtkMainWindow& window =
      Open({.created = &OnMainWindowCreated, .extractClicked = &OnExtractClicked});
  Focus(window);
  ASSERT_TRUE(Xdotool({"type", server.Url("/sitemap.xml")}));
  std::vector<std::string> click = MouseTo(window, kButton);
  click.insert(click.end(), {"click", "1"});
  ASSERT_TRUE(Xdotool(click));
  const std::string urlTxt = dir.File("url.txt");
  EXPECT_TRUE(PumpUntil([&] { return !window.Caption(ControlId::标签4).empty(); }));
  EXPECT_EQ(ReadFile(urlTxt), "http://a/1\r\nhttp://a/2\r\n");
  EXPECT_EQ(window.Caption(ControlId::标签4), "写出文件成功：" + urlTxt);
  EXPECT_EQ(std::string(window.ReadContent(kLinks).View()), "http://a/1\r\nhttp://a/2\r\n");
  ExitCleanup();
}

TEST_F(GtkWindowTest, EscClosesTheWindowFromEveryControl) {
  for (ControlId id : {kLinks, kAddress, kButton}) {
    GtkMainWindow& window = Open(counting);
    Focus(window);
    gtk_widget_grab_focus(window.Widget(id));
    ASSERT_TRUE(Xdotool({"key", "Escape"}));
    EXPECT_TRUE(PumpUntil([&] { return window.Destroyed(); }, std::chrono::seconds(5)))
        << TheMainWindowDesign().Control(id).name;
  }
}

TEST_F(GtkWindowTest, HyperlinksChangeColourUnderThePointerAndOpenTheirTarget) {
  GtkMainWindow& window = Open(counting);
  const MainWindowDesign& design = TheMainWindowDesign();
  const ControlId link = ControlId::超级链接框1;
  EXPECT_EQ(window.HyperlinkColour(link), design.hyperlinkNormal);

  ASSERT_TRUE(Xdotool(MouseTo(window, link)));
  EXPECT_TRUE(PumpUntil([&] { return window.HyperlinkColour(link) == design.hyperlinkHover; }));
  EXPECT_NE(gdk_window_get_cursor(gtk_widget_get_window(window.Widget(link))), nullptr);

  ASSERT_TRUE(Xdotool({"click", "1"}));
  const std::string opened = desktop->File("opened");
  EXPECT_TRUE(
      test::WaitFor([&] { return ReadFile(opened).value_or("") == design.Control(link).target; }));

  ASSERT_TRUE(Xdotool(MouseTo(window, kButton)));
  EXPECT_TRUE(PumpUntil([&] { return window.HyperlinkColour(link) == design.hyperlinkVisited; }));
  EXPECT_EQ(window.HyperlinkColour(ControlId::超级链接框2), design.hyperlinkNormal);
}

}  // namespace
}  // namespace sl
