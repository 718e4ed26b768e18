#include "app/extraction.h"

#include <gtest/gtest.h>

#include <string>

#include "app/file_write.h"
#include "app/link_list.h"
#include "app/run_directory.h"
#include "app/window_memory.h"
#include "regex/automation.h"
#include "sitemap_server.h"
#include "test_support.h"
#include "web/transport_timeouts.h"

namespace sl {
namespace {

using test::ReadFile;
using test::SitemapServer;
using test::TempDir;
using test::WriteFile;

constexpr ControlId kLinks = ControlId::编辑框_链接;
constexpr ControlId kAddress = ControlId::编辑框_地图;
constexpr ControlId kStatus = ControlId::标签4;

class ExtractionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.Path().empty());
    FixRunDirectory(Text(dir.Str()));
    InitGlobals();
    SaveResult = false;
  }
  void TearDown() override {
    InjectWriteFault(WriteFault::kNone);
    ExitCleanup();
  }

  // A window whose address box holds `address`, created as the shell creates it.
  std::unique_ptr<MemoryMainWindow> NewWindow(const std::string& address) {
    auto window = std::make_unique<MemoryMainWindow>(
        TheMainWindowDesign(),
        MainWindowEvents{.created = &OnMainWindowCreated, .extractClicked = &OnExtractClicked});
    window->RaiseCreated();
    window->Type(kAddress, address);
    return window;
  }
  std::string ServeAndGetUrl(std::string document) {
    server.Serve("/sitemap.xml", std::move(document));
    return server.Url("/sitemap.xml");
  }
  std::string UrlTxt() const { return dir.File("url.txt"); }
  std::string SuccessMessage() const { return "写出文件成功：" + UrlTxt(); }

  TempDir dir;
  SitemapServer server;
  ScopedTransportTimeouts quick{{std::chrono::milliseconds(2000), std::chrono::milliseconds(2000)}};
};

TEST_F(ExtractionTest, ListsEveryLocInOrderAndSavesTheBox) {
  const std::string document =
      "<urlset><url><loc>http://a/1</loc></url>\r\n<url><loc>http://a/2</loc></url>"
      "<url><loc>http://a/3</loc></url></urlset>";
  auto window = NewWindow(ServeAndGetUrl(document));
  window->ClickButton();

  EXPECT_EQ(window->Content(kLinks), "http://a/1\r\nhttp://a/2\r\nhttp://a/3\r\n");
  EXPECT_EQ(window->AppendCount(kLinks), 3);
  EXPECT_EQ(ReadFile(UrlTxt()), window->Content(kLinks));
  EXPECT_EQ(window->Content(kStatus), SuccessMessage());
  EXPECT_EQ(server.Requests(), std::vector<std::string>{"GET /sitemap.xml"});

  EXPECT_EQ(MatchTotal, 3);
  EXPECT_EQ(LinkIndex, 4);
  EXPECT_EQ(std::string(LinkLine.View()), "http://a/3\r\n");
  EXPECT_EQ(std::string(SitemapText.View()), document);
}

TEST_F(ExtractionTest, EveryClickAddsItsLinksAndRewritesTheFile) {
  auto window = NewWindow(ServeAndGetUrl("<loc>http://a/1</loc><loc>http://a/2</loc>"));
  window->ClickButton();
  window->ClickButton();
  const std::string twice = "http://a/1\r\nhttp://a/2\r\nhttp://a/1\r\nhttp://a/2\r\n";
  EXPECT_EQ(window->Content(kLinks), twice);
  EXPECT_EQ(ReadFile(UrlTxt()), twice);
}

TEST_F(ExtractionTest, ElementTextIsTakenOverUnchanged) {
  struct Case {
    const char* name;
    std::string document;
    std::string box;
  };
  const Case cases[] = {
      {"tags in any case", "<LOC>http://a/1</Loc><Loc>http://a/2</LOC>",
       "http://a/1\r\nhttp://a/2\r\n"},
      {"blanks and references kept", "<loc> x </loc><loc>a&amp;b</loc>", " x \r\na&amp;b\r\n"},
      {"empty element", "<loc></loc><loc>b</loc>", "\r\nb\r\n"},
      {"no element", "<urlset></urlset>", ""},
      {"inside a comment", "<!-- <loc>c</loc> -->", "c\r\n"},
      {"to the first end tag", "<loc>a<loc>b</loc>c</loc>", "a<loc>b\r\n"},
      {"non-ASCII", "<loc>http://\xe4\xbe\x8b\xe5\xad\x90/\xe9\xa1\xb5</loc>",
       "http://\xe4\xbe\x8b\xe5\xad\x90/\xe9\xa1\xb5\r\n"},
      {"UTF-16", std::string("<\0l\0o\0c\0>\0a\0<\0/\0l\0o\0c\0>\0", 22), ""},
  };
  for (const Case& c : cases) {
    auto window = NewWindow(ServeAndGetUrl(c.document));
    window->ClickButton();
    EXPECT_EQ(window->Content(kLinks), c.box) << c.name;
    Text box(c.box);
    EXPECT_EQ(ReadFile(UrlTxt()), std::string(TrimmedLinkText(box).View())) << c.name;
    EXPECT_EQ(window->Content(kStatus), SuccessMessage()) << c.name;
  }
}

TEST_F(ExtractionTest, NothingFetchedStillSavesTheBoxAndReports) {
  for (const std::string& address :
       {std::string(), std::string("http://127.0.0.1:1/sitemap.xml"), server.Url("/missing.xml")}) {
    auto window = NewWindow(address);
    window->Type(kLinks, "typed\r\n");
    WriteFile(UrlTxt(), "old");
    window->ClickButton();
    EXPECT_EQ(window->Content(kLinks), "typed\r\n") << address;
    EXPECT_EQ(window->AppendCount(kLinks), 0) << address;
    EXPECT_EQ(ReadFile(UrlTxt()), "typed\r\n") << address;
    EXPECT_EQ(window->Content(kStatus), SuccessMessage()) << address;
    EXPECT_EQ(MatchTotal, 0);
  }
}

TEST_F(ExtractionTest, SpacesTypedAroundTheLinksAreNotSaved) {
  auto window = NewWindow(ServeAndGetUrl("<loc>http://a/1</loc>"));
  window->Type(kLinks, "   ");
  window->ClickButton();
  window->Type(kLinks, "  ");  // the caret stands after the last line break
  window->ClickButton();
  EXPECT_EQ(window->Content(kLinks), "   http://a/1\r\n  http://a/1\r\n");
  EXPECT_EQ(ReadFile(UrlTxt()), "http://a/1\r\n  http://a/1\r\n");
}

TEST_F(ExtractionTest, AFailedSaveLeavesFileAndStatusAsTheyWere) {
  auto window = NewWindow(ServeAndGetUrl("<loc>http://a/1</loc>"));
  window->ClickButton();
  ASSERT_EQ(window->Content(kStatus), SuccessMessage());
  window->SetCaption(kStatus, "earlier");

  InjectWriteFault(WriteFault::kWrite);
  window->ClickButton();
  EXPECT_FALSE(SaveResult);
  EXPECT_EQ(ReadFile(UrlTxt()), "http://a/1\r\n");
  EXPECT_EQ(window->Content(kStatus), "earlier");

  InjectWriteFault(WriteFault::kNone);
  ASSERT_EQ(chmod(UrlTxt().c_str(), 0444), 0);
  window->ClickButton();
  EXPECT_FALSE(SaveResult);
  EXPECT_EQ(ReadFile(UrlTxt()), "http://a/1\r\n");
  EXPECT_EQ(window->Content(kStatus), "earlier");
  EXPECT_EQ(window->Content(kLinks), "http://a/1\r\nhttp://a/1\r\nhttp://a/1\r\n");
}

TEST(ExtractionGlobalsTest, ExitCleanupReleasesEverythingAndUninitialisesOnce) {
  const int32_t depth = automation::ComInitDepth();
  InitGlobals();
  EXPECT_EQ(automation::ComInitDepth(), depth + 1);
  ASSERT_TRUE(LinkMatcher);
  SitemapText = "<loc>a</loc>";
  LinkLine = "a\r\n";
  ExitCleanup();
  EXPECT_FALSE(LinkMatcher);
  EXPECT_TRUE(SitemapText.IsAbsent());
  EXPECT_TRUE(LinkLine.IsAbsent());
  EXPECT_EQ(automation::ComInitDepth(), depth);
}

}  // namespace
}  // namespace sl
