// Variant conversions: the string, number and Boolean forms the matcher and
// the component rely on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "regex/automation.h"
#include "regex/regexp_component.h"
#include "regex/variant.h"

namespace sl::automation {
namespace {

std::optional<std::u16string> AsString(const Variant& v) {
  std::optional<Variant> s = ChangeType(v, VariantKind::String);
  if (!s) return std::nullopt;
  return std::u16string(s->StringValue());
}

TEST(Variant, StringFormsFollowTheRuntime) {
  struct Case {
    const char* name;
    Variant value;
    std::optional<std::u16string> text;
  };
  const Case cases[] = {
      {"empty", Variant(), u""},
      {"true", Variant::FromBool(true), u"-1"},
      {"false", Variant::FromBool(false), u"0"},
      {"integer", Variant::FromInt32(-42), u"-42"},
      {"integer zero", Variant::FromInt32(0), u"0"},
      {"fraction", Variant::FromDouble(1.5), u"1.5"},
      {"fifteen digits", Variant::FromDouble(0.1 + 0.2), u"0.3"},
      {"large", Variant::FromDouble(1e20), u"1E+20"},
      {"negative zero", Variant::FromDouble(-0.0), u"0"},
      {"string", Variant::FromString(u"x"), u"x"},
      {"null", Variant::Null(), std::nullopt},
      {"object", Variant::FromObject(CreateRegExpComponent()), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AsString(c.value), c.text);
  }
}

TEST(Variant, TextFormGoesThroughTheCodePage) {
  EXPECT_EQ(VariantToText(Variant::FromString(u"é\U0001F600")).View(), "é😀");
  EXPECT_EQ(VariantToText(Variant::FromBool(true)).View(), "-1");
  EXPECT_EQ(VariantToText(Variant::FromInt32(0)).View(), "0");
  EXPECT_EQ(VariantToText(Variant::FromText("例子")).View(), "例子");
  // No string form: empty text.
  EXPECT_EQ(VariantToText(Variant::Null()).CStr(), nullptr);
  // Up to the first NUL.
  EXPECT_EQ(VariantToText(Variant::FromString(std::u16string(u"ab\0c", 4))).View(), "ab");
}

TEST(Variant, NumbersGoThroughDouble) {
  EXPECT_EQ(VariantToNumber(Variant()), 0);
  EXPECT_EQ(VariantToNumber(Variant::FromBool(true)), -1);
  EXPECT_EQ(VariantToNumber(Variant::FromInt32(7)), 7);
  EXPECT_EQ(VariantToNumber(Variant::FromString(u" -12.5 ")), -12.5);
  EXPECT_EQ(VariantToNumber(Variant::FromString(u"+3e2")), 300);
  // Not a number: 0.
  for (const char16_t* s : {u"", u"abc", u"12abc", u"inf", u"nan", u"１２"}) {
    SCOPED_TRACE(testing::PrintToString(std::u16string(s)));
    EXPECT_FALSE(ChangeType(Variant::FromString(s), VariantKind::Double));
  }
  EXPECT_EQ(VariantToNumber(Variant::Null()), 0);
}

TEST(Variant, NarrowingToInt32RoundsHalfToEvenAndRejectsOverflow) {
  struct Case {
    double value;
    std::optional<int32_t> result;
  };
  const Case cases[] = {
      {2.5, 2},
      {3.5, 4},
      {-2.5, -2},
      {-0.4, 0},
      {1.6, 2},
      {2147483647.0, 2147483647},
      {2147483647.6, std::nullopt},
      {-2147483648.0, std::numeric_limits<int32_t>::min()},
      {-2147483649.0, std::nullopt},
      {std::nan(""), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    std::optional<Variant> v = ChangeType(Variant::FromDouble(c.value), VariantKind::Int32);
    ASSERT_EQ(v.has_value(), c.result.has_value());
    if (v) {
      EXPECT_EQ(v->Int32Value(), *c.result);
    }
  }
}

TEST(Variant, BooleanForms) {
  auto asBool = [](const Variant& v) -> std::optional<bool> {
    std::optional<Variant> b = ChangeType(v, VariantKind::Boolean);
    if (!b) return std::nullopt;
    return b->BoolValue();
  };
  EXPECT_EQ(asBool(Variant::FromString(u"True")), true);
  EXPECT_EQ(asBool(Variant::FromString(u" false ")), false);
  EXPECT_EQ(asBool(Variant::FromString(u"-1")), true);
  EXPECT_EQ(asBool(Variant::FromString(u"0")), false);
  EXPECT_EQ(asBool(Variant::FromInt32(2)), true);
  EXPECT_EQ(asBool(Variant()), false);
  EXPECT_EQ(asBool(Variant::FromString(u"yes")), std::nullopt);
  EXPECT_EQ(asBool(Variant::Null()), std::nullopt);
}

TEST(Variant, TruncationTowardZeroStaysInRange) {
  EXPECT_EQ(TruncateToInt32(-1.9), -1);
  EXPECT_EQ(TruncateToInt32(1.9), 1);
  EXPECT_EQ(TruncateToInt32(1e300), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(TruncateToInt32(-1e300), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(TruncateToInt32(std::nan("")), 0);
}

TEST(Variant, CopiesAreIndependentAndHoldReferences) {
  Variant a = Variant::FromString(u"subject");
  Variant b = a;
  a.Clear();
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(b.StringValue(), u"subject");

  ObjectRef object = CreateRegExpComponent();
  {
    Variant holder = Variant::FromObject(object);
    Variant copy = holder;
    EXPECT_EQ(object.ReferenceCount(), 3);
    EXPECT_EQ(VariantToObject(copy), object);
  }
  EXPECT_EQ(object.ReferenceCount(), 1);
  // A reference that holds no object counts as none.
  EXPECT_FALSE(VariantToObject(Variant::FromObject(ObjectRef())));
  EXPECT_FALSE(VariantToObject(Variant::FromString(u"x")));
}

}  // namespace
}  // namespace sl::automation
