// Times one click on 按钮1 for a sitemap of 50,000 addresses (the protocol's
// most per file) served on 127.0.0.1, from the click to url.txt, and the same
// list made by curl and grep, in the same run on the same server:
//   app_click_bench [runs] [addresses]
// The GTK window needs a display; without one only the in-memory click runs.
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/extraction.h"
#include "app/run_directory.h"
#include "app/window_gtk.h"
#include "app/window_memory.h"
#include "gtk_support.h"
#include "sitemap_server.h"
#include "test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double TimeIt(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return Seconds(Clock::now() - start);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  // A second size shows how the times grow: in proportion, nothing quadratic.
  const int kAddresses = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50000;
  sl::test::TempDir dir;
  sl::FixRunDirectory(sl::Text(dir.Str()));
  sl::test::SitemapServer server;
  const std::string sitemap = sl::test::MakeSitemap(kAddresses);
  server.Serve("/sitemap.xml", sitemap);
  const std::string url = server.Url("/sitemap.xml");
  const std::string urlTxt = dir.File("url.txt");
  std::printf("sitemap: %d addresses, %zu bytes, %d runs each (median)\n", kAddresses,
              sitemap.size(), runs);

  const std::string pipeline = "curl -s '" + url + "' | grep -oiP '<loc>\\K.*?(?=</loc>)' > '" +
                               dir.File("pipeline.txt") + "'";
  std::vector<double> pipelineTimes;
  for (int i = 0; i < runs; ++i) {
    pipelineTimes.push_back(TimeIt([&] {
      if (std::system(pipeline.c_str()) != 0) std::fprintf(stderr, "pipeline failed\n");
    }));
  }
  const double pipe = Median(pipelineTimes);
  std::printf("curl | grep -oiP      %8.3f s\n", pipe);

  sl::InitGlobals();
  auto expectFullList = [&] {
    auto saved = sl::test::ReadFile(urlTxt);
    size_t lines = saved ? static_cast<size_t>(std::count(saved->begin(), saved->end(), '\n')) : 0;
    if (lines != static_cast<size_t>(kAddresses))
      std::fprintf(stderr, "url.txt has %zu lines\n", lines);
  };

  std::vector<double> memoryTimes;
  for (int i = 0; i < runs; ++i) {
    sl::MemoryMainWindow window(
        sl::TheMainWindowDesign(),
        {.created = &sl::OnMainWindowCreated, .extractClicked = &sl::OnExtractClicked});
    window.RaiseCreated();
    window.Type(sl::ControlId::编辑框_地图, url);
    memoryTimes.push_back(TimeIt([&] { window.ClickButton(); }));
    expectFullList();
  }
  const double memory = Median(memoryTimes);
  std::printf("in-memory click       %8.3f s   %.2f x the pipeline\n", memory, memory / pipe);

  if (gtk_init_check(nullptr, nullptr)) {
    std::vector<double> gtkTimes;
    std::vector<double> settleTimes;
    for (int i = 0; i < runs; ++i) {
      sl::GtkWindowSystem windows;
      std::string error;
      windows.LoadMainWindow(
          sl::TheMainWindowDesign(),
          {.created = &sl::OnMainWindowCreated, .extractClicked = &sl::OnExtractClicked}, error);
      sl::GtkMainWindow& window = *windows.Window();
      sl::test::PumpUntil([&] { return gtk_widget_get_mapped(window.Toplevel()); });
      sl::test::Pump(std::chrono::milliseconds(100));
      gtk_entry_set_text(GTK_ENTRY(window.Widget(sl::ControlId::编辑框_地图)), url.c_str());
      gtkTimes.push_back(
          TimeIt([&] { gtk_button_clicked(GTK_BUTTON(window.Widget(sl::ControlId::按钮1))); }));
      expectFullList();
      // After the handler the text view lays the lines out in the background
      // and keeps the end in view.
      GtkAdjustment* v = gtk_scrolled_window_get_vadjustment(
          GTK_SCROLLED_WINDOW(window.Placed(sl::ControlId::编辑框_链接)));
      settleTimes.push_back(TimeIt([&] {
        sl::test::PumpUntil(
            [&] {
              return gtk_adjustment_get_upper(v) > kAddresses &&
                     gtk_adjustment_get_value(v) + gtk_adjustment_get_page_size(v) >=
                         gtk_adjustment_get_upper(v) - 1 &&
                     !g_main_context_pending(nullptr);
            },
            std::chrono::seconds(120));
      }));
    }
    const double gtk = Median(gtkTimes);
    std::printf("GTK click             %8.3f s   %.2f x the pipeline\n", gtk, gtk / pipe);
    std::printf("GTK layout to the end %8.3f s   after the click, window responsive\n",
                Median(settleTimes));
  } else {
    std::printf("GTK click             skipped: no display\n");
  }
  sl::ExitCleanup();
  return 0;
}
