#include "app/extraction.h"

#include "app/link_list.h"
#include "web/web_request.h"

namespace sl {

Text SitemapText;
std::unique_ptr<RegexMatcher> LinkMatcher;
int32_t MatchTotal = 0;
int32_t LinkIndex = 0;
Text LinkLine;

void InitGlobals() { LinkMatcher = std::make_unique<RegexMatcher>(); }

void ExitCleanup() {
  SitemapText = Text();
  if (LinkMatcher) {
    LinkMatcher->Destroy();
    LinkMatcher.reset();
  }
  LinkLine = Text();
}

void OnMainWindowCreated(MainWindow& window) { window.SetScrollBarMode(ControlId::编辑框_链接, 2); }

void OnExtractClicked(MainWindow& window) {
  {
    ByteBuffer body;
    {
      Text address = window.ReadContent(ControlId::编辑框_地图);
      WebRequestOptions options;
      options.method = 0;
      body = WebRequest(address, options);
    }
    SitemapText = BytesToText(body);
  }

  // Without a matcher (the shell did not run InitGlobals) nothing matches.
  MatchTotal = 0;
  if (LinkMatcher) {
    LinkMatcher->CreateAndExecute("<loc>(.*?)</loc>", SitemapText, false, false, true, true);
    MatchTotal = LinkMatcher->MatchCount();
  }
  const int32_t total = MatchTotal;
  for (LinkIndex = 1; LinkIndex <= total; ++LinkIndex) {
    LinkLine = TextConcat(LinkMatcher->SubmatchText(LinkIndex, 1), "\r\n");
    window.AppendText(ControlId::编辑框_链接, LinkLine);
  }

  SaveLinkList(window);
}

}  // namespace sl
