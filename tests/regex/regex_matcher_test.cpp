// RegexMatcher over the "VBScript.RegExp" component: the system's pattern and
// its edge cases, the calls the matcher makes, the objects it holds, and its
// behaviour when no component can be created.
#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "regex/automation.h"
#include "regex/component_registry.h"
#include "regex/regex_matcher.h"
#include "regex/regexp_component.h"

namespace sl {
namespace {

using automation::CallKind;
using automation::MemberId;
using automation::Object;
using automation::ObjectRef;
using automation::Status;
using automation::Variant;
using automation::VariantKind;

// What the spies saw: each call as text, and every object handed out, in
// order of appearance (the component first).
struct Journal {
  std::vector<std::string> calls;
  std::vector<std::weak_ptr<Object>> objects;

  int32_t Alive() const {
    int32_t n = 0;
    for (const auto& o : objects) n += o.expired() ? 0 : 1;
    return n;
  }
  std::vector<std::string> Take() { return std::exchange(calls, {}); }
};

std::string Describe(const Variant& v) {
  switch (v.Kind()) {
    case VariantKind::Empty:
      return "empty";
    case VariantKind::Null:
      return "null";
    case VariantKind::Boolean:
      return v.BoolValue() ? "b:-1" : "b:0";
    case VariantKind::Int32:
      return "i4:" + std::to_string(v.Int32Value());
    case VariantKind::Double:
      return "r8:" + std::string(automation::VariantToText(v).View());
    case VariantKind::String:
      return "s:" + std::string(automation::VariantToText(v).View());
    case VariantKind::Object:
      return "object";
  }
  return "?";
}

// Forwards every call to the object it wraps and notes it in the journal;
// every object it hands out is wrapped in turn.
class Spy final : public Object {
 public:
  Spy(ObjectRef inner, std::shared_ptr<Journal> journal)
      : inner_(std::move(inner)), journal_(std::move(journal)) {}

  static ObjectRef Wrap(ObjectRef inner, const std::shared_ptr<Journal>& journal) {
    auto spy = std::make_shared<Spy>(std::move(inner), journal);
    journal->objects.push_back(spy);
    return ObjectRef(spy);
  }

  std::optional<MemberId> FindMember(std::string_view name) const override {
    std::optional<MemberId> id = inner_->FindMember(name);
    if (id) {
      names_[*id] = std::string(name);
    } else {
      journal_->calls.push_back("no " + std::string(name));
    }
    return id;
  }

  Status Invoke(MemberId id, CallKind kind, std::span<const Variant> args,
                Variant& result) override {
    std::string call = kind == CallKind::PropertyGet   ? "get "
                       : kind == CallKind::PropertyPut ? "put "
                                                       : "call ";
    call += names_[id] + "(";
    for (size_t i = 0; i < args.size(); ++i) call += (i ? ", " : "") + Describe(args[i]);
    journal_->calls.push_back(call + ")");
    Status status = inner_->Invoke(id, kind, args, result);
    if (result.Kind() == VariantKind::Object) {
      result = Variant::FromObject(Wrap(result.ObjectValue(), journal_));
    }
    return status;
  }

 private:
  ObjectRef inner_;
  std::shared_ptr<Journal> journal_;
  mutable std::map<MemberId, std::string> names_;
};

constexpr const char* kLocPattern = "<loc>(.*?)</loc>";

class RegexMatcherTest : public ::testing::Test {
 protected:
  // The system's run: ignore case, one line, global, quote markers expanded.
  bool RunLoc(RegexMatcher& m, const Text& subject) {
    return m.CreateAndExecute(kLocPattern, subject, false, false, true, true);
  }
  bool RunLoc(const Text& subject) { return RunLoc(matcher, subject); }

  std::shared_ptr<Journal> journal = std::make_shared<Journal>();
  automation::ScopedClass spied{automation::kRegExpProgId, [j = journal] {
                                  return Spy::Wrap(automation::CreateRegExpComponent(), j);
                                }};
  RegexMatcher matcher;
};

TEST_F(RegexMatcherTest, RunSetsUpANewComponentAndExecutes) {
  ASSERT_TRUE(RunLoc("<loc>a</loc>"));
  EXPECT_EQ(journal->Take(), (std::vector<std::string>{
                                 "put IgnoreCase(b:-1)",
                                 "put Multiline(b:0)",
                                 "no Singleline",
                                 "put Global(b:-1)",
                                 "put Pattern(s:<loc>(.*?)</loc>)",
                                 "call Execute(s:<loc>a</loc>)",
                             }));
  EXPECT_EQ(journal->Alive(), 2);

  // Defaults: ignore case, multiline, global, markers left as written.
  ASSERT_TRUE(matcher.CreateAndExecute("^b#引号", "a\nB#引号\nb#引号"));
  EXPECT_EQ(journal->Take(), (std::vector<std::string>{
                                 "put IgnoreCase(b:-1)",
                                 "put Multiline(b:-1)",
                                 "no Singleline",
                                 "put Global(b:-1)",
                                 "put Pattern(s:^b#引号)",
                                 "call Execute(s:a\nB#引号\nb#引号)",
                             }));
  EXPECT_EQ(matcher.MatchCount(), 2);
  // The first run's component and collection are gone.
  EXPECT_EQ(journal->objects.size(), 4u);
  EXPECT_EQ(journal->Alive(), 2);
}

TEST_F(RegexMatcherTest, SystemPatternEdgeCases) {
  struct Found {
    std::string match;
    std::string submatch;
  };
  struct Case {
    const char* name;
    const char* subject;
    std::vector<Found> found;
  };
  const Case cases[] = {
      {"no <loc>", "<url>x</url>", {}},
      {"two across a line break, mixed case",
       "<loc>a</loc>\r\n<LOC>b</LOC>",
       {{"<loc>a</loc>", "a"}, {"<LOC>b</LOC>", "b"}}},
      {"nested", "<loc><loc>a</loc></loc>", {{"<loc><loc>a</loc>", "<loc>a"}}},
      {"empty element", "<loc></loc>", {{"<loc></loc>", ""}}},
      {"beyond ASCII",
       "<loc>http://例子.com/é😀</loc>",
       {{"<loc>http://例子.com/é😀</loc>", "http://例子.com/é😀"}}},
      {"bytes that are no UTF-8",
       "<loc>\xD6\xD0</loc>",
       {{"<loc>\xEF\xBF\xBD\xEF\xBF\xBD</loc>", "\xEF\xBF\xBD\xEF\xBF\xBD"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(RunLoc(c.subject));
    ASSERT_EQ(matcher.MatchCount(), static_cast<int32_t>(c.found.size()));
    for (size_t i = 0; i < c.found.size(); ++i) {
      const auto n = static_cast<int32_t>(i + 1);
      EXPECT_EQ(matcher.MatchText(n).View(), c.found[i].match);
      EXPECT_EQ(matcher.SubmatchText(n, 1).View(), c.found[i].submatch);
    }
    EXPECT_EQ(matcher.SubmatchCount(), c.found.empty() ? 0 : 1);
  }
}

TEST_F(RegexMatcherTest, NumbersOutOfRangeGiveEmptyText) {
  ASSERT_TRUE(RunLoc("<loc>a</loc><loc>b</loc>"));
  const int32_t min = std::numeric_limits<int32_t>::min();
  const int32_t max = std::numeric_limits<int32_t>::max();
  for (int32_t n : {0, 3, -1, min, max}) {
    SCOPED_TRACE(n);
    int32_t position = 99;
    EXPECT_TRUE(matcher.MatchText(n, &position).IsEmpty());
    // Found with F = 0 and the empty text: position 1, less one.
    EXPECT_EQ(position, 0);
    EXPECT_TRUE(matcher.SubmatchText(n, 1).IsEmpty());
    EXPECT_TRUE(matcher.SubmatchText(1, n == 3 ? 2 : n).IsEmpty());
  }
  // Every object obtained on the way was released again.
  EXPECT_EQ(journal->Alive(), 2);
}

TEST_F(RegexMatcherTest, PositionsFollowTheFindRule) {
  int32_t position = 99;
  ASSERT_TRUE(RunLoc("xy<loc>u</loc>"));
  EXPECT_EQ(matcher.MatchText(1, &position).View(), "<loc>u</loc>");
  EXPECT_EQ(position, 2);

  // "FirstIndex" is 1 here: one code unit, but two bytes, before the match.
  ASSERT_TRUE(RunLoc("é<loc>u</loc>"));
  EXPECT_EQ(matcher.MatchText(1, &position).View(), "<loc>u</loc>");
  EXPECT_EQ(position, 2);

  // The search starts on the second byte of the first character and walks
  // past the match: nothing is found.
  ASSERT_TRUE(RunLoc("éé<loc>u</loc>"));
  EXPECT_EQ(matcher.MatchText(1, &position).View(), "<loc>u</loc>");
  EXPECT_EQ(position, -2);

  // A sub-match is sought from the start of its match: the l of the tag.
  ASSERT_TRUE(RunLoc("<loc>l</loc>"));
  EXPECT_EQ(matcher.SubmatchText(1, 1, &position).View(), "l");
  EXPECT_EQ(position, 1);
}

TEST_F(RegexMatcherTest, PositionSearchInvertsTheCaseSetting) {
  struct Case {
    bool caseSensitive;
    int32_t position;
  };
  // Ignoring case finds the capital A at offset 0; keeping it, the a at 6.
  for (Case c : {Case{true, 0}, Case{false, 6}}) {
    SCOPED_TRACE(c.caseSensitive);
    ASSERT_TRUE(matcher.CreateAndExecute(kLocPattern, "A<loc>a</loc>", c.caseSensitive));
    int32_t position = 99;
    EXPECT_EQ(matcher.SubmatchText(1, 1, &position).View(), "a");
    EXPECT_EQ(position, c.position);
  }
}

TEST_F(RegexMatcherTest, ReadsMakeTheCallsOfTheirSteps) {
  ASSERT_TRUE(RunLoc("<loc>a</loc><loc>b</loc>"));
  journal->Take();
  int32_t position = 0;

  matcher.MatchText(2, &position);
  EXPECT_EQ(journal->Take(), (std::vector<std::string>{"get Item(r8:1)", "get Value()",
                                                       "get FirstIndex()", "get IgnoreCase()"}));
  matcher.SubmatchText(1, 1);
  EXPECT_EQ(journal->Take(),
            (std::vector<std::string>{"get Item(r8:0)", "get SubMatches()", "get Item(r8:0)"}));
  EXPECT_EQ(matcher.SubmatchCount(), 1);
  EXPECT_EQ(journal->Take(),
            (std::vector<std::string>{"get Item(i4:0)", "get SubMatches()", "get Count()"}));
  EXPECT_EQ(matcher.MatchCount(), 2);
  EXPECT_EQ(journal->Take(), (std::vector<std::string>{"get Count()"}));
  EXPECT_EQ(matcher.ReplaceMatches("[$1]").View(), "[a][b]");
  EXPECT_EQ(journal->Take(),
            (std::vector<std::string>{"call Replace(s:<loc>a</loc><loc>b</loc>, s:[$1])"}));
  // Only the component and its collection are still held.
  EXPECT_EQ(journal->Alive(), 2);
  // Replacing changed neither the subject nor the matches.
  EXPECT_EQ(matcher.MatchCount(), 2);
  EXPECT_EQ(matcher.SubmatchText(2, 1).View(), "b");
}

TEST_F(RegexMatcherTest, GetPatternGivesThePatternAfterMarkerExpansion) {
  EXPECT_TRUE(matcher.GetPattern().IsEmpty());
  ASSERT_TRUE(matcher.CreateAndExecute("a#引号b", "x", false, false, true, true));
  EXPECT_EQ(matcher.GetPattern().View(), "a\"b");
  ASSERT_TRUE(matcher.CreateAndExecute("a#引号b", "x", false, false, true, false));
  EXPECT_EQ(matcher.GetPattern().View(), "a#引号b");
}

TEST_F(RegexMatcherTest, BeforeAnyRunEverythingIsEmpty) {
  int32_t position = 99;
  EXPECT_TRUE(matcher.MatchText(1, &position).IsEmpty());
  // The subject is still the number 0, whose text is "0".
  EXPECT_EQ(position, 0);
  EXPECT_EQ(matcher.MatchCount(), 0);
  EXPECT_EQ(matcher.SubmatchCount(), 0);
  EXPECT_TRUE(matcher.SubmatchText(1, 1).IsEmpty());
  EXPECT_TRUE(matcher.ReplaceMatches("x").IsEmpty());
  EXPECT_TRUE(journal->objects.empty());
}

TEST_F(RegexMatcherTest, FailedRunDropsThePreviousResultsButKeepsTheSubject) {
  ASSERT_TRUE(RunLoc("<loc>a</loc>"));
  // A pattern the component rejects.
  EXPECT_FALSE(matcher.CreateAndExecute("(", ""));
  EXPECT_EQ(matcher.MatchCount(), 0);
  EXPECT_EQ(matcher.GetPattern().View(), "(");
  // The empty subject was stored: the empty text is not found in it.
  int32_t position = 99;
  EXPECT_TRUE(matcher.MatchText(1, &position).IsEmpty());
  EXPECT_EQ(position, -2);
  EXPECT_EQ(journal->Alive(), 1);
}

TEST_F(RegexMatcherTest, WithoutAComponentEveryOperationFailsQuietly) {
  struct Case {
    const char* name;
    automation::ClassFactory factory;
  };
  const Case cases[] = {
      {"not registered", automation::ClassFactory()},
      {"not created", [] { return ObjectRef(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(RunLoc("<loc>a</loc>"));
    automation::ScopedClass missing(automation::kRegExpProgId, c.factory);
    EXPECT_FALSE(RunLoc("<loc>a</loc>"));
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.SubmatchCount(), 0);
    EXPECT_TRUE(matcher.SubmatchText(1, 1).IsEmpty());
    EXPECT_TRUE(matcher.MatchText(1).IsEmpty());
    EXPECT_TRUE(matcher.GetPattern().IsEmpty());
    EXPECT_TRUE(matcher.ReplaceMatches("x").IsEmpty());
    EXPECT_EQ(journal->Alive(), 0);
  }
}

TEST_F(RegexMatcherTest, CloneSharesTheObjectsAndCopiesTheSubject) {
  const int32_t depth = automation::ComInitDepth();
  ASSERT_TRUE(RunLoc("<loc>a</loc>"));
  std::unique_ptr<RegexMatcher> copy = matcher.Clone();
  EXPECT_EQ(automation::ComInitDepth(), depth);
  ASSERT_EQ(journal->objects.size(), 2u);
  EXPECT_EQ(journal->objects[0].use_count(), 2);
  EXPECT_EQ(journal->objects[1].use_count(), 2);

  // A new run of the source leaves the copy with the old objects and subject.
  ASSERT_TRUE(RunLoc("<loc>b</loc>"));
  EXPECT_EQ(copy->SubmatchText(1, 1).View(), "a");
  EXPECT_EQ(copy->ReplaceMatches("[$1]").View(), "[a]");
  EXPECT_EQ(matcher.SubmatchText(1, 1).View(), "b");
  EXPECT_EQ(journal->objects[0].use_count(), 1);

  // The copy holds no initialisation, so destroying it releases none.
  copy->Destroy();
  copy.reset();
  EXPECT_EQ(automation::ComInitDepth(), depth);
  EXPECT_TRUE(journal->objects[0].expired());
  EXPECT_TRUE(journal->objects[1].expired());
  EXPECT_EQ(journal->Alive(), 2);
}

TEST(RegexMatcherLifetime, InitialisationStaysPaired) {
  const int32_t depth = automation::ComInitDepth();
  {
    auto m = std::make_unique<RegexMatcher>();
    EXPECT_EQ(automation::ComInitDepth(), depth + 1);
    EXPECT_TRUE(m->CreateAndExecute(kLocPattern, "<loc>a</loc>"));
    // The exit clean-up: Destroy, then the instance itself goes.
    m->Destroy();
    EXPECT_EQ(automation::ComInitDepth(), depth);
    EXPECT_EQ(m->MatchCount(), 0);
    m->Destroy();
    m.reset();
    EXPECT_EQ(automation::ComInitDepth(), depth);
  }
  {
    RegexMatcher dropped;
    EXPECT_TRUE(dropped.CreateAndExecute(kLocPattern, "<loc>a</loc>"));
    EXPECT_EQ(automation::ComInitDepth(), depth + 1);
  }
  EXPECT_EQ(automation::ComInitDepth(), depth);
}

TEST(RegexMatcherLifetime, ComponentsAreReleasedWithTheMatcher) {
  auto journal = std::make_shared<Journal>();
  automation::ScopedClass spied(automation::kRegExpProgId, [journal] {
    return Spy::Wrap(automation::CreateRegExpComponent(), journal);
  });
  {
    RegexMatcher dropped;
    EXPECT_TRUE(dropped.CreateAndExecute(kLocPattern, "<loc>a</loc>"));
    EXPECT_EQ(journal->Alive(), 2);
  }
  EXPECT_EQ(journal->Alive(), 0);
  RegexMatcher destroyed;
  EXPECT_TRUE(destroyed.CreateAndExecute(kLocPattern, "<loc>a</loc>"));
  destroyed.Destroy();
  EXPECT_EQ(journal->Alive(), 0);
}

}  // namespace
}  // namespace sl
