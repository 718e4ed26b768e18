#include "app/link_list.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/file_write.h"
#include "app/process.h"
#include "app/run_directory.h"
#include "app/window_memory.h"
#include "test_support.h"

namespace sl {
namespace {

using test::FileNames;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr ControlId kLinks = ControlId::编辑框_链接;
constexpr ControlId kStatus = ControlId::标签4;

TEST(PathRemoveBlanksTest, RemovesOnlySpacesAtTheVeryEnds) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"", ""},
      {"    ", ""},
      {"  a b  ", "a b"},
      {"\t a \t", "\t a \t"},
      {"  http://a\r\n  b  \r\n  ", "http://a\r\n  b  \r\n"},
      {"\r\n x\r\n", "\r\n x\r\n"},
      {"\xe3\x80\x80x\xe3\x80\x80", "\xe3\x80\x80x\xe3\x80\x80"},  // ideographic spaces stay
  };
  for (const Case& c : cases) {
    Text t(c.in);
    PathRemoveBlanks(t);
    EXPECT_EQ(std::string(t.View()), c.out) << '"' << c.in << '"';
  }
}

TEST(TrimmedLinkTextTest, ShortensTheVariableAndReturnsACopy) {
  Text variable("  a\r\n  ");
  Text copy = TrimmedLinkText(variable);
  EXPECT_EQ(std::string(variable.View()), "a\r\n");
  EXPECT_EQ(std::string(copy.View()), "a\r\n");

  Text absent;
  EXPECT_TRUE(TrimmedLinkText(absent).IsAbsent());
  EXPECT_TRUE(absent.IsAbsent());
}

TEST(ProgramDirectoryTest, CutsAtTheLastSeparator) {
  struct Case {
    const char* path;
    const char* dir;
  };
  const Case cases[] = {
      {"/opt/tools/sitemap-links", "/opt/tools"},
      {"/sitemap-links", ""},
      {"sitemap-links", ""},
      {"/opt/\xe5\xb7\xa5\xe5\x85\xb7/x", "/opt/\xe5\xb7\xa5\xe5\x85\xb7"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::string(ProgramDirectoryOf(c.path).View()), c.dir) << c.path;
  }
  // A program at the root writes /url.txt.
  FixRunDirectory("");
  EXPECT_EQ(std::string(LinkListPath().View()), "/url.txt");
}

class SaveLinkListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.Path().empty());
    FixRunDirectory(Text(dir.Str()));
    SaveResult = false;
  }
  void TearDown() override { InjectWriteFault(WriteFault::kNone); }

  std::string UrlTxt() const { return dir.File("url.txt"); }
  std::string SuccessMessage() const { return "写出文件成功：" + UrlTxt(); }

  TempDir dir;
  MemoryMainWindow window{TheMainWindowDesign(), {}};
};

TEST_F(SaveLinkListTest, WritesTheBoxWithoutOuterSpacesAndReportsThePath) {
  window.Type(kLinks, "  http://a/1\r\n  http://a/2  \r\n   ");
  SaveLinkList(window);
  EXPECT_TRUE(SaveResult);
  EXPECT_EQ(ReadFile(UrlTxt()), "http://a/1\r\n  http://a/2  \r\n");
  EXPECT_EQ(window.Content(kStatus), SuccessMessage());
}

TEST_F(SaveLinkListTest, AnEmptyBoxWritesAnEmptyFile) {
  WriteFile(UrlTxt(), "old content");
  SaveLinkList(window);
  EXPECT_TRUE(SaveResult);
  EXPECT_EQ(ReadFile(UrlTxt()), "");
  EXPECT_EQ(window.Content(kStatus), SuccessMessage());
}

TEST_F(SaveLinkListTest, BytesAreWrittenAsTheyAreAndAShorterSaveLeavesNoTrace) {
  const std::string bytes = "\xe4\xb8\xad\xe6\x96\x87\r\n\xd6\xd0\xce\xc4\r\n";  // UTF-8, then GBK
  window.Type(kLinks, bytes + "http://a/a-much-longer-line\r\n");
  SaveLinkList(window);
  ASSERT_TRUE(SaveResult);

  MemoryMainWindow second(TheMainWindowDesign(), {});
  second.Type(kLinks, bytes);
  SaveLinkList(second);
  EXPECT_TRUE(SaveResult);
  EXPECT_EQ(ReadFile(UrlTxt()), bytes);
}

TEST_F(SaveLinkListTest, AReadOnlyFileIsLeftAloneAndTheStatusKept) {
  window.Type(kLinks, "first\r\n");
  SaveLinkList(window);
  ASSERT_TRUE(SaveResult);
  ASSERT_EQ(chmod(UrlTxt().c_str(), 0444), 0);

  window.AppendText(kLinks, "second\r\n");
  window.SetCaption(kStatus, "earlier caption");
  SaveLinkList(window);
  EXPECT_FALSE(SaveResult);
  EXPECT_EQ(ReadFile(UrlTxt()), "first\r\n");
  EXPECT_EQ(window.Content(kStatus), "earlier caption");
}

TEST_F(SaveLinkListTest, AFailedWriteKeepsThePreviousListAndLeavesNoTemporaryFile) {
  WriteFile(UrlTxt(), "previous list\r\n");
  window.Type(kLinks, "new list\r\n");
  window.SetCaption(kStatus, "earlier caption");
  for (WriteFault fault :
       {WriteFault::kWrite, WriteFault::kSync, WriteFault::kClose, WriteFault::kRename}) {
    InjectWriteFault(fault);
    SaveLinkList(window);
    EXPECT_FALSE(SaveResult) << static_cast<int>(fault);
    EXPECT_EQ(ReadFile(UrlTxt()), "previous list\r\n") << static_cast<int>(fault);
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"url.txt"});
    EXPECT_EQ(window.Content(kStatus), "earlier caption");
  }
  InjectWriteFault(WriteFault::kNone);
  SaveLinkList(window);
  EXPECT_TRUE(SaveResult);
  EXPECT_EQ(ReadFile(UrlTxt()), "new list\r\n");
}

class WriteWholeFileTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir.File("url.txt"); }
  TempDir dir;
  const ByteBuffer data{TextToBytes("a\r\nb\r\n")};
};

TEST_F(WriteWholeFileTest, ReplacesTheFileAndKeepsItsPermissions) {
  WriteFile(Path(), "old");
  ASSERT_EQ(chmod(Path().c_str(), 0640), 0);
  EXPECT_TRUE(WriteWholeFile(Text(Path()), data));
  EXPECT_EQ(ReadFile(Path()), "a\r\nb\r\n");
  struct stat st {};
  ASSERT_EQ(stat(Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"url.txt"});
}

TEST_F(WriteWholeFileTest, RefusesWhatCannotBeWrittenAndCreatesNothing) {
  EXPECT_FALSE(WriteWholeFile(Text(), data));
  EXPECT_FALSE(WriteWholeFile(Text(dir.File("missing/url.txt")), data));
  EXPECT_FALSE(WriteWholeFile(Text(dir.Str() + "/"), data));

  // A directory without write permission counts as read-only, also for root.
  std::filesystem::create_directory(dir.Path() / "ro");
  ASSERT_EQ(chmod(dir.File("ro").c_str(), 0555), 0);
  EXPECT_FALSE(WriteWholeFile(Text(dir.File("ro/url.txt")), data));
  EXPECT_TRUE(FileNames(dir.Path() / "ro").empty());

  // So does a url.txt without any write bit; a directory in its place fails.
  WriteFile(Path(), "kept");
  ASSERT_EQ(chmod(Path().c_str(), 0444), 0);
  EXPECT_FALSE(WriteWholeFile(Text(Path()), data));
  EXPECT_EQ(ReadFile(Path()), "kept");
  std::filesystem::create_directory(dir.Path() / "dir.txt");
  EXPECT_FALSE(WriteWholeFile(Text(dir.File("dir.txt")), data));
  std::vector<std::string> names = FileNames(dir.Path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"dir.txt", "ro", "url.txt"}));
}

// Holds a lock on `path` in a child process until the returned pipe is closed.
struct LockHolder {
  pid_t pid = -1;
  int release = -1;
};

LockHolder HoldLockInChild(const std::string& path, bool posixRecordLock) {
  int ready[2];
  int release[2];
  if (pipe(ready) != 0 || pipe(release) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    alarm(30);  // never outlives a stuck test
    close(ready[0]);
    close(release[1]);
    int fd = open(path.c_str(), O_RDWR);
    bool locked = false;
    if (posixRecordLock) {
      struct flock lock {};
      lock.l_type = F_WRLCK;
      lock.l_whence = SEEK_SET;
      locked = fd >= 0 && fcntl(fd, F_SETLK, &lock) == 0;
    } else {
      locked = fd >= 0 && flock(fd, LOCK_EX) == 0;
    }
    char c = locked ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    (void)!read(release[0], &c, 1);
    _exit(0);
  }
  close(ready[1]);
  close(release[0]);
  char c = 'n';
  (void)!read(ready[0], &c, 1);
  close(ready[0]);
  if (c != 'y') {
    close(release[1]);
    waitpid(pid, nullptr, 0);
    return {};
  }
  return {pid, release[1]};
}

TEST_F(WriteWholeFileTest, AFileLockedByAnotherProgramIsLeftAlone) {
  for (bool recordLock : {false, true}) {
    WriteFile(Path(), "locked");
    LockHolder holder = HoldLockInChild(Path(), recordLock);
    ASSERT_GT(holder.pid, 0);
    EXPECT_FALSE(WriteWholeFile(Text(Path()), data)) << recordLock;
    EXPECT_EQ(ReadFile(Path()), "locked");
    close(holder.release);
    waitpid(holder.pid, nullptr, 0);
    EXPECT_TRUE(WriteWholeFile(Text(Path()), data));
  }
  EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"url.txt"});
}

// A real failure on the way: a file-size limit makes write() fail with EFBIG.
// Run in a child process, which alone gets the limit.
int WriteBeyondFileSizeLimit(const TempDir& dir, const std::string& path) {
  signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit {};
  limit.rlim_cur = 4096;
  limit.rlim_max = 4096;
  setrlimit(RLIMIT_FSIZE, &limit);
  const ByteBuffer big(std::vector<uint8_t>(64 * 1024, 'x'));
  bool failed = !WriteWholeFile(Text(path), big);
  bool kept = ReadFile(path) == "previous";
  bool clean = FileNames(dir.Path()).size() == 1;
  return failed && kept && clean ? 0 : 1;
}

TEST_F(WriteWholeFileTest, AFileSizeLimitFailsTheWriteAndKeepsTheOldFile) {
  WriteFile(Path(), "previous");
  EXPECT_EXIT(_exit(WriteBeyondFileSizeLimit(dir, Path())), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace sl
