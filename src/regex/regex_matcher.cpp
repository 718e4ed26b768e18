#include "regex/regex_matcher.h"

#include <array>

#include "regex/automation.h"

namespace sl {

namespace {

using automation::ObjectRef;
using automation::Variant;

// Stands for a double quote in patterns that cannot easily hold one.
constexpr const char* kQuoteMarker = "#引号";

// "Item" of a collection by a 0-based number passed as a double, computed
// without overflow for every 32-bit `number`.
ObjectRef ItemByNumber(const ObjectRef& collection, int32_t number) {
  Variant index = Variant::FromDouble(static_cast<double>(number) - 1.0);
  return automation::VariantToObject(
      automation::GetProperty(collection, "Item", std::span(&index, 1)));
}

int32_t ReadCount(const ObjectRef& object) {
  return automation::TruncateToInt32(
      automation::VariantToNumber(automation::GetProperty(object, "Count")));
}

}  // namespace

RegexMatcher::RegexMatcher() : holdsInit_(true) { automation::ComInitialize(); }

RegexMatcher::~RegexMatcher() { Release(); }

void RegexMatcher::Release() {
  regExpObject_.Reset();
  matchCollection_.Reset();
  subject_.Clear();
  if (holdsInit_) {
    holdsInit_ = false;
    automation::ComUninitialize();
  }
}

void RegexMatcher::Destroy() { Release(); }

std::unique_ptr<RegexMatcher> RegexMatcher::Clone() {
  auto copy = std::make_unique<RegexMatcher>(CloneTag{});
  copy->regExpObject_ = regExpObject_;
  copy->matchCollection_ = matchCollection_;
  copy->subject_ = subject_;
  return copy;
}

bool RegexMatcher::CreateAndExecute(const Text& pattern, const Text& subject,
                                    std::optional<bool> caseSensitive,
                                    std::optional<bool> multiline, std::optional<bool> global,
                                    std::optional<bool> expandQuoteMarker) {
  const bool ignoreCase = !caseSensitive.value_or(false);
  const bool isMultiline = multiline.value_or(true);
  const bool isGlobal = global.value_or(true);
  const bool expand = expandQuoteMarker.value_or(false);

  regExpObject_.Reset();
  matchCollection_.Reset();
  regExpObject_ = automation::CreateObject(automation::kRegExpProgId);

  automation::PutProperty(regExpObject_, "IgnoreCase", Variant::FromBool(ignoreCase));
  automation::PutProperty(regExpObject_, "Multiline", Variant::FromBool(isMultiline));
  // Asks for "." to match line breaks too; a component without the switch
  // refuses the write and keeps its own rule.
  automation::PutProperty(regExpObject_, "Singleline", Variant::FromBool(true));
  automation::PutProperty(regExpObject_, "Global", Variant::FromBool(isGlobal));

  Text patternText = expand ? TextReplace(pattern, kQuoteMarker, Text("\""), true) : pattern;
  automation::PutProperty(regExpObject_, "Pattern", Variant::FromText(patternText));

  subject_.Clear();
  subject_ = Variant::FromText(subject);

  matchCollection_ = automation::VariantToObject(
      automation::CallMethod(regExpObject_, "Execute", std::span(&subject_, 1)));
  return static_cast<bool>(matchCollection_);
}

void RegexMatcher::Noop() {}

Text RegexMatcher::GetPattern() {
  return automation::VariantToText(automation::GetProperty(regExpObject_, "Pattern"));
}

Text RegexMatcher::ReplaceMatches(const Text& replacement) {
  std::array<Variant, 2> args = {subject_, Variant::FromText(replacement)};
  return automation::VariantToText(automation::CallMethod(regExpObject_, "Replace", args));
}

int32_t RegexMatcher::MatchCount() { return ReadCount(matchCollection_); }

Text RegexMatcher::MatchText(int32_t index, int32_t* position) {
  ObjectRef match = ItemByNumber(matchCollection_, index);
  Text result = automation::VariantToText(automation::GetProperty(match, "Value"));
  if (position != nullptr) *position = PositionOf(match, result);
  return result;
}

Text RegexMatcher::SubmatchText(int32_t matchIndex, int32_t submatchIndex, int32_t* position) {
  ObjectRef match = ItemByNumber(matchCollection_, matchIndex);
  ObjectRef submatches = automation::VariantToObject(automation::GetProperty(match, "SubMatches"));
  Variant index = Variant::FromDouble(static_cast<double>(submatchIndex) - 1.0);
  Text result =
      automation::VariantToText(automation::GetProperty(submatches, "Item", std::span(&index, 1)));
  if (position != nullptr) *position = PositionOf(match, result);
  return result;
}

int32_t RegexMatcher::SubmatchCount() {
  Variant first = Variant::FromInt32(0);
  ObjectRef match = automation::VariantToObject(
      automation::GetProperty(matchCollection_, "Item", std::span(&first, 1)));
  return ReadCount(automation::VariantToObject(automation::GetProperty(match, "SubMatches")));
}

// The search starts at the match's "FirstIndex" taken as a 1-based byte
// position, so it may begin before the match and find the sought text there.
// Letter case is ignored exactly when the component reports "IgnoreCase" as
// false ("0"); a true or unreadable setting searches case-sensitively.
int32_t RegexMatcher::PositionOf(const ObjectRef& match, const Text& sought) {
  Text searched = automation::VariantToText(subject_);
  int32_t start = automation::TruncateToInt32(
      automation::VariantToNumber(automation::GetProperty(match, "FirstIndex")));
  Text ignoreCaseText =
      automation::VariantToText(automation::GetProperty(regExpObject_, "IgnoreCase"));
  bool ignoreCase = TextCompare(ignoreCaseText, "0") == 0;
  return TextFind(searched, sought, start, ignoreCase) - 1;
}

}  // namespace sl
