// The built-in "VBScript.RegExp" component on its own: its dialect, its match
// collections and "Replace".
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "regex/automation.h"
#include "regex/regexp_component.h"

namespace sl::automation {
namespace {

struct Options {
  bool ignoreCase = false;
  bool global = true;
  bool multiline = false;
};

ObjectRef MakeRegExp(std::u16string_view pattern, Options options) {
  ObjectRef regexp = CreateRegExpComponent();
  EXPECT_TRUE(PutProperty(regexp, "Pattern", Variant::FromString(std::u16string(pattern))));
  EXPECT_TRUE(PutProperty(regexp, "IgnoreCase", Variant::FromBool(options.ignoreCase)));
  EXPECT_TRUE(PutProperty(regexp, "Global", Variant::FromBool(options.global)));
  EXPECT_TRUE(PutProperty(regexp, "Multiline", Variant::FromBool(options.multiline)));
  return regexp;
}

Variant Item(const ObjectRef& collection, int32_t number) {
  Variant index = Variant::FromInt32(number);
  return GetProperty(collection, "Item", std::span(&index, 1));
}

int32_t Count(const ObjectRef& collection) { return GetProperty(collection, "Count").Int32Value(); }

struct Found {
  std::u16string value;
  int32_t firstIndex;
  friend bool operator==(const Found&, const Found&) = default;
  friend void PrintTo(const Found& f, std::ostream* os) {
    *os << testing::PrintToString(f.value) << "@" << f.firstIndex;
  }
};

// Every match of the collection, in order.
std::vector<Found> ReadMatches(const ObjectRef& matches) {
  std::vector<Found> found;
  for (int32_t i = 0; i < Count(matches); ++i) {
    ObjectRef match = VariantToObject(Item(matches, i));
    found.push_back({std::u16string(GetProperty(match, "Value").StringValue()),
                     GetProperty(match, "FirstIndex").Int32Value()});
  }
  return found;
}

ObjectRef Execute(const ObjectRef& regexp, const Variant& subject) {
  return VariantToObject(CallMethod(regexp, "Execute", std::span(&subject, 1)));
}

struct DialectCase {
  const char* name;
  std::u16string_view pattern;
  std::u16string_view subject;
  Options options;
  std::vector<Found> matches;
};

TEST(RegExpComponent, Dialect) {
  const Options ignoreCase{.ignoreCase = true};
  const Options once{.global = false};
  const Options multiline{.multiline = true};
  const DialectCase cases[] = {
      {"lazy", u"<b>(.*?)</b>", u"<b>x</b><b>y</b>", {}, {{u"<b>x</b>", 0}, {u"<b>y</b>", 8}}},
      {"greedy", u"<b>(.*)</b>", u"<b>x</b><b>y</b>", {}, {{u"<b>x</b><b>y</b>", 0}}},
      {"dot stops at CR and LF", u"a.b", u"a\nb a\rb axb", {}, {{u"axb", 8}}},
      {"case kept", u"abc", u"ABC abc", {}, {{u"abc", 4}}},
      {"case folded", u"abc", u"ABC abc", ignoreCase, {{u"ABC", 0}, {u"abc", 4}}},
      {"case folded beyond ASCII", u"é", u"É", ignoreCase, {{u"É", 0}}},
      {"not global: first only", u"a", u"aa", once, {{u"a", 0}}},
      {"^ at the start only", u"^x", u"x\nx", {}, {{u"x", 0}}},
      {"^ at every line", u"^x", u"x\nx", multiline, {{u"x", 0}, {u"x", 2}}},
      {"^ after a final line break", u"^", u"a\n", multiline, {{u"", 0}, {u"", 2}}},
      {"$ at the very end only", u"x$", u"x\n", {}, {}},
      {"$ at the end", u"x$", u"x\nx", {}, {{u"x", 2}}},
      {"$ before CR LF", u"x$", u"x\r\nx", multiline, {{u"x", 0}, {u"x", 3}}},
      {"empty matches step on", u"x*", u"axxb", {}, {{u"", 0}, {u"xx", 1}, {u"", 3}, {u"", 4}}},
      {"empty pattern", u"", u"ab", {}, {{u"", 0}, {u"", 1}, {u"", 2}}},
      {"empty match keeps a pair whole", u"", u"\U0001F600", {}, {{u"", 0}, {u"", 2}}},
      {"index after a pair", u"b", u"\U0001F600ab", {}, {{u"b", 3}}},
      {"dot takes a pair", u".", u"\U0001F600", {}, {{u"\U0001F600", 0}}},
      {"\\u escape", u"\\u0041", u"xA", {}, {{u"A", 1}}},
      {"unset backreference matches empty", u"(a)?\\1b", u"b", {}, {{u"b", 0}}},
  };
  for (const DialectCase& c : cases) {
    SCOPED_TRACE(c.name);
    ObjectRef matches =
        Execute(MakeRegExp(c.pattern, c.options), Variant::FromString(std::u16string(c.subject)));
    ASSERT_TRUE(matches);
    EXPECT_EQ(ReadMatches(matches), c.matches);
  }
}

TEST(RegExpComponent, SubMatchesReadByNumber) {
  ObjectRef matches = Execute(MakeRegExp(u"(a)|(b)", {}), Variant::FromString(u"ab"));
  ASSERT_EQ(Count(matches), 2);
  ObjectRef second = VariantToObject(Item(matches, 1));
  ObjectRef groups = VariantToObject(GetProperty(second, "SubMatches"));
  EXPECT_EQ(Count(groups), 2);
  // A group that took no part reads as empty.
  EXPECT_TRUE(Item(groups, 0).IsEmpty());
  EXPECT_EQ(Item(groups, 1).StringValue(), u"b");
  // Numbers outside 0 to Count - 1 fail; a double is narrowed.
  EXPECT_TRUE(Item(groups, 2).IsEmpty());
  EXPECT_TRUE(Item(groups, -1).IsEmpty());
  EXPECT_TRUE(Item(matches, 2).IsEmpty());
  Variant result;
  const Variant beyond = Variant::FromDouble(1e10);
  EXPECT_EQ(Invoke(matches, "Item", CallKind::PropertyGet, std::span(&beyond, 1), result),
            Status::Overflow);
  const Variant zero = Variant::FromDouble(0.0);
  EXPECT_EQ(Invoke(matches, "Item", CallKind::PropertyGet, std::span(&zero, 1), result),
            Status::Ok);
  EXPECT_EQ(GetProperty(VariantToObject(result), "Value").StringValue(), u"a");
}

TEST(RegExpComponent, MatchesOutliveTheComponentAndItsSubject) {
  ObjectRef regexp = MakeRegExp(u"<loc>(.*?)</loc>", {});
  Variant subject = Variant::FromString(u"<loc>a</loc><loc>b</loc>");
  ObjectRef matches = Execute(regexp, subject);
  regexp.Reset();
  subject.Clear();
  ObjectRef match = VariantToObject(Item(matches, 1));
  matches.Reset();
  ObjectRef groups = VariantToObject(GetProperty(match, "SubMatches"));
  match.Reset();
  EXPECT_EQ(Item(groups, 0).StringValue(), u"b");
}

TEST(RegExpComponent, RejectedPatternsAndSubjectsMakeExecuteFail) {
  for (std::u16string_view pattern : {u"(", u"[a", u"a{2,1}", u"\\", u"(?<n"}) {
    SCOPED_TRACE(testing::PrintToString(std::u16string(pattern)));
    Variant subject = Variant::FromString(u"a");
    Variant result = Variant::FromInt32(1);
    EXPECT_EQ(Invoke(MakeRegExp(pattern, {}), "Execute", CallKind::Method, std::span(&subject, 1),
                     result),
              Status::ComponentError);
    EXPECT_TRUE(result.IsEmpty());
  }
  // A lone surrogate is no UTF-16 text to match in.
  ObjectRef regexp = MakeRegExp(u"a", {});
  EXPECT_FALSE(Execute(regexp, Variant::FromString(std::u16string(u"a\xD800"))));
  EXPECT_TRUE(Execute(regexp, Variant::FromString(u"a\U0001F600")));
}

TEST(RegExpComponent, BytesThatAreNoUtf8BecomeReplacementCharacters) {
  // One U+FFFD, one code unit, before the match.
  ObjectRef matches =
      Execute(MakeRegExp(u"<loc>(.*?)</loc>", {}), Variant::FromText("\xFF<loc>\xC3\x28</loc>"));
  EXPECT_EQ(ReadMatches(matches), (std::vector<Found>{{u"<loc>\uFFFD(</loc>", 1}}));
}

struct ReplaceCase {
  const char* name;
  std::u16string_view pattern;
  std::u16string_view subject;
  std::u16string_view replacement;
  Options options;
  std::u16string_view result;
};

TEST(RegExpComponent, ReplaceExpandsTokens) {
  const std::u16string_view twelve = u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)";
  const ReplaceCase cases[] = {
      {"groups", u"(\\w+)@(\\w+)", u"me@home, you@work", u"$2@$1", {}, u"home@me, work@you"},
      {"whole match", u"b", u"abc", u"[$&]", {}, u"a[b]c"},
      {"before", u"b", u"abc", u"[$`]", {}, u"a[a]c"},
      {"after", u"b", u"abc", u"[$']", {}, u"a[c]c"},
      {"dollar", u"b", u"abc", u"$$", {}, u"a$c"},
      {"no group 0", u"b", u"abc", u"$0", {}, u"a$0c"},
      {"no such group", u"b", u"abc", u"$3", {}, u"a$3c"},
      {"lone dollar", u"b", u"abc", u"$", {}, u"a$c"},
      {"dollar and letter", u"b", u"abc", u"$x", {}, u"a$xc"},
      {"one digit when two name no group", u"(b)", u"abc", u"$10", {}, u"ab0c"},
      {"two digits", u"(b)", u"abc", u"$01", {}, u"abc"},
      {"group 12", twelve, u"abcdefghijkl", u"$12$1", {}, u"la"},
      {"group 1 then 3", twelve, u"abcdefghijkl", u"$13", {}, u"a3"},
      {"unset group", u"(a)|b", u"b", u"[$1]", {}, u"[]"},
      {"global", u"o", u"foo", u"0", {}, u"f00"},
      {"first only", u"o", u"foo", u"0", {.global = false}, u"f0o"},
      {"case folded", u"o", u"fOo", u"0", {.ignoreCase = true}, u"f00"},
      {"empty matches", u"x*", u"abc", u"-", {}, u"-a-b-c-"},
      {"no match", u"z", u"abc", u"-", {}, u"abc"},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::array<Variant, 2> args = {Variant::FromString(std::u16string(c.subject)),
                                   Variant::FromString(std::u16string(c.replacement))};
    Variant result = CallMethod(MakeRegExp(c.pattern, c.options), "Replace", args);
    ASSERT_EQ(result.Kind(), VariantKind::String);
    EXPECT_EQ(result.StringValue(), c.result);
  }
}

TEST(RegExpComponent, ReplaceFailsOnARejectedPattern) {
  std::array<Variant, 2> args = {Variant::FromString(u"abc"), Variant::FromString(u"x")};
  EXPECT_TRUE(CallMethod(MakeRegExp(u"(", {}), "Replace", args).IsEmpty());
  // The replacement is converted to a string: a number gives its digits.
  args[1] = Variant::FromInt32(7);
  EXPECT_EQ(CallMethod(MakeRegExp(u"b", {}), "Replace", args).StringValue(), u"a7c");
}

}  // namespace
}  // namespace sl::automation
