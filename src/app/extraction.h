// The one user command: fetch the sitemap typed into 编辑框_地图, list the text
// of every <loc> element in 编辑框_链接 and save the box. Also the globals the
// command keeps, created by InitGlobals and released by ExitCleanup.
#pragma once

#include <cstdint>
#include <memory>

#include "app/main_window.h"
#include "regex/regex_matcher.h"
#include "text/text.h"

namespace sl {

// The downloaded document of the latest click.
extern Text SitemapText;
// The program's one matcher, alive from InitGlobals to ExitCleanup.
extern std::unique_ptr<RegexMatcher> LinkMatcher;
// Matches of the latest click.
extern int32_t MatchTotal;
// The match being listed; MatchTotal + 1 after the loop.
extern int32_t LinkIndex;
// The line appended last: a link and "\r\n".
extern Text LinkLine;

// Shell steps: run once before the window exists and once after it is gone.
void InitGlobals();
void ExitCleanup();

// The created event of MainWindow: gives the link box its vertical scroll bar.
void OnMainWindowCreated(MainWindow& window);

// The click on 按钮1.
void OnExtractClicked(MainWindow& window);

}  // namespace sl
