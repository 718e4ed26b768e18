// The regular-expression component on PCRE2, 16-bit code units in UTF mode,
// so that subjects are matched in the component's own UTF-16 strings and
// "FirstIndex" counts UTF-16 code units.
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "regex/automation.h"
#include "regex/codepage.h"
#include "regex/regexp_component.h"
#include "text/text.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace sl::automation {

namespace {

using codepage::IsHighSurrogate;
using codepage::IsLowSurrogate;

// ---- Engine handles ----------------------------------------------------------

struct CodeFree {
  void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct CompileContextFree {
  void operator()(pcre2_compile_context* p) const { pcre2_compile_context_free(p); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
struct MatchContextFree {
  void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};
struct JitStackFree {
  void operator()(pcre2_jit_stack* p) const { pcre2_jit_stack_free(p); }
};

using Code = std::unique_ptr<pcre2_code, CodeFree>;
using CompileContext = std::unique_ptr<pcre2_compile_context, CompileContextFree>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using MatchContext = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using JitStack = std::unique_ptr<pcre2_jit_stack, JitStackFree>;

// Deep lazy or greedy repetition runs on the JIT stack; let it grow well past
// the engine's 32 KiB default before a match gives up.
constexpr size_t kJitStackStart = 32 * 1024;
constexpr size_t kJitStackMax = 8 * 1024 * 1024;

PCRE2_SPTR Units(std::u16string_view s) { return reinterpret_cast<PCRE2_SPTR>(s.data()); }

// UTF mode needs well-formed UTF-16. Checking it here once lets every match
// call skip the engine's own check, which would scan the rest of the subject
// on each call and make a global run quadratic.
bool IsWellFormed(std::u16string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (IsHighSurrogate(s[i])) {
      if (i + 1 == s.size() || !IsLowSurrogate(s[i + 1])) return false;
      ++i;
    } else if (IsLowSurrogate(s[i])) {
      return false;
    }
  }
  return true;
}

struct Settings {
  std::u16string pattern;
  bool ignoreCase = false;
  bool global = false;
  bool multiline = false;
};

struct Compiled {
  Code code;
  uint32_t groups = 0;  // capture groups, without the whole match
};

std::optional<Compiled> Compile(const Settings& settings) {
  CompileContext context(pcre2_compile_context_create(nullptr));
  if (!context) return std::nullopt;
  // "." stops at CR and LF; "^" and "$" see both, and CR LF, as line breaks.
  pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
  uint32_t options = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_ALT_CIRCUMFLEX |
                     PCRE2_NEVER_BACKSLASH_C;
  if (settings.ignoreCase) options |= PCRE2_CASELESS;
  options |= settings.multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  Compiled compiled;
  compiled.code.reset(pcre2_compile(Units(settings.pattern), settings.pattern.size(), options,
                                    &error, &errorOffset, context.get()));
  if (!compiled.code) return std::nullopt;
  // Without JIT support the interpreter runs the same pattern.
  pcre2_jit_compile(compiled.code.get(), PCRE2_JIT_COMPLETE);
  pcre2_pattern_info(compiled.code.get(), PCRE2_INFO_CAPTURECOUNT, &compiled.groups);
  return compiled;
}

// Runs the pattern over the string `subjectValue` and calls onMatch(ovector)
// for each match: only the first unless `global`. A global run resumes at the
// end of each match, and one character further after an empty match, so it
// always ends. False when the subject cannot be matched or the engine fails.
// A string made from text is well-formed by construction; any other is
// checked first.
template <typename OnMatch>
bool ForEachMatch(const Compiled& compiled, const Variant& subjectValue, bool global,
                  OnMatch onMatch) {
  const std::u16string_view subject = subjectValue.StringValue();
  if (subject.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;
  if (!subjectValue.IsKnownWellFormed() && !IsWellFormed(subject)) return false;
  MatchData data(pcre2_match_data_create_from_pattern(compiled.code.get(), nullptr));
  MatchContext context(pcre2_match_context_create(nullptr));
  JitStack stack(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
  if (!data || !context) return false;
  if (stack) pcre2_jit_stack_assign(context.get(), nullptr, stack.get());
  const uint32_t pairs = compiled.groups + 1;
  PCRE2_SIZE start = 0;
  while (start <= subject.size()) {
    int rc = pcre2_match(compiled.code.get(), Units(subject), subject.size(), start,
                         PCRE2_NO_UTF_CHECK, data.get(), context.get());
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc <= 0) return false;
    PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
    for (uint32_t i = static_cast<uint32_t>(rc); i < pairs; ++i) {
      ovector[2 * i] = ovector[2 * i + 1] = PCRE2_UNSET;
    }
    onMatch(ovector);
    if (!global) break;
    PCRE2_SIZE next = ovector[1];
    if (next <= ovector[0]) {
      next = ovector[0] + 1;
      if (next < subject.size() && IsHighSurrogate(subject[next - 1])) ++next;
    }
    start = next;
  }
  return true;
}

// ---- Member tables -------------------------------------------------------------

struct Member {
  std::string_view name;
  MemberId id;
};

template <size_t N>
std::optional<MemberId> Find(const std::array<Member, N>& members, std::string_view name) {
  for (const Member& m : members) {
    if (EqualsIgnoringAsciiCase(m.name, name)) return m.id;
  }
  return std::nullopt;
}

// A call is accepted only as the access the member offers, with exactly the
// arguments it takes.
Status Expect(CallKind kind, std::span<const Variant> args, CallKind wanted, size_t count) {
  if (kind != wanted) return Status::MemberNotFound;
  if (args.size() != count) return Status::BadArgCount;
  return Status::Ok;
}

// An argument converted to the member's type.
Status Convert(const Variant& arg, VariantKind kind, Variant& out) {
  std::optional<Variant> converted = ChangeType(arg, kind);
  if (!converted) {
    bool number = kind == VariantKind::Int32 && ChangeType(arg, VariantKind::Double).has_value();
    return number ? Status::Overflow : Status::TypeMismatch;
  }
  out = std::move(*converted);
  return Status::Ok;
}

// Get or put of a Boolean property.
Status BoolProperty(bool& field, CallKind kind, std::span<const Variant> args, Variant& result) {
  if (kind == CallKind::PropertyGet) {
    if (!args.empty()) return Status::BadArgCount;
    result = Variant::FromBool(field);
    return Status::Ok;
  }
  if (Status s = Expect(kind, args, CallKind::PropertyPut, 1); s != Status::Ok) return s;
  Variant value;
  if (Status s = Convert(args[0], VariantKind::Boolean, value); s != Status::Ok) return s;
  field = value.BoolValue();
  return Status::Ok;
}

// A 0-based "Item" number within 0 to count - 1.
Status ItemNumber(std::span<const Variant> args, size_t count, size_t& index) {
  Variant number;
  if (Status s = Convert(args[0], VariantKind::Int32, number); s != Status::Ok) return s;
  int32_t n = number.Int32Value();
  if (n < 0 || static_cast<size_t>(n) >= count) return Status::ComponentError;
  index = static_cast<size_t>(n);
  return Status::Ok;
}

// The two members of every collection: "Item"(0-based number) and "Count".
constexpr MemberId kItem = 0;
constexpr MemberId kCount = 1;
constexpr std::array<Member, 2> kCollectionMembers = {{{"Item", kItem}, {"Count", kCount}}};

template <typename ItemAt>
Status InvokeCollection(MemberId id, CallKind kind, std::span<const Variant> args, size_t count,
                        ItemAt itemAt, Variant& result) {
  if (id == kItem) {
    if (Status s = Expect(kind, args, CallKind::PropertyGet, 1); s != Status::Ok) return s;
    size_t index = 0;
    if (Status s = ItemNumber(args, count, index); s != Status::Ok) return s;
    result = itemAt(index);
    return Status::Ok;
  }
  if (Status s = Expect(kind, args, CallKind::PropertyGet, 0); s != Status::Ok) return s;
  result = Variant::FromInt32(static_cast<int32_t>(count));
  return Status::Ok;
}

// ---- The results of a run ------------------------------------------------------

// The subject of an "Execute" and the group offsets of all its matches.
struct MatchList {
  Variant subject;  // a string; copies share its characters
  size_t pairs = 1;
  std::vector<PCRE2_SIZE> offsets;  // 2 * pairs a match

  size_t Count() const { return offsets.size() / (2 * pairs); }
  const PCRE2_SIZE* Offsets(size_t match) const { return offsets.data() + 2 * pairs * match; }
  // Group `group` of match `match` as a string, or empty when it is unset.
  Variant Group(size_t match, size_t group) const {
    const PCRE2_SIZE* o = Offsets(match) + 2 * group;
    if (o[0] == PCRE2_UNSET) return Variant();
    return subject.Substring(o[0], o[1] - o[0]);
  }
};

using SharedMatches = std::shared_ptr<const MatchList>;

// The sub-match collection of one match. It lives inside its match object,
// and every reference to it holds that match, which holds the results.
class SubMatchesObject final : public Object {
 public:
  SubMatchesObject(const MatchList& matches, size_t match) : matches_(matches), match_(match) {}

  std::optional<MemberId> FindMember(std::string_view name) const override {
    return Find(kCollectionMembers, name);
  }

  Status Invoke(MemberId id, CallKind kind, std::span<const Variant> args,
                Variant& result) override {
    return InvokeCollection(
        id, kind, args, matches_.pairs - 1,
        [&](size_t index) { return matches_.Group(match_, index + 1); }, result);
  }

 private:
  const MatchList& matches_;
  size_t match_;
};

class MatchObject final : public Object, public std::enable_shared_from_this<MatchObject> {
 public:
  MatchObject(SharedMatches matches, size_t match)
      : matches_(std::move(matches)), match_(match), subMatches_(*matches_, match) {}

  std::optional<MemberId> FindMember(std::string_view name) const override {
    return Find(kMembers, name);
  }

  Status Invoke(MemberId id, CallKind kind, std::span<const Variant> args,
                Variant& result) override {
    if (Status s = Expect(kind, args, CallKind::PropertyGet, 0); s != Status::Ok) return s;
    switch (id) {
      case kValue:
        result = matches_->Group(match_, 0);
        return Status::Ok;
      case kFirstIndex:
        result = Variant::FromInt32(static_cast<int32_t>(matches_->Offsets(match_)[0]));
        return Status::Ok;
      case kSubMatches:
        // A reference to the collection within, sharing the match's count:
        // no object of its own to make for each read.
        result = Variant::FromObject(
            ObjectRef(std::shared_ptr<Object>(shared_from_this(), &subMatches_)));
        return Status::Ok;
      default:
        return Status::MemberNotFound;
    }
  }

 private:
  static constexpr MemberId kValue = 0;
  static constexpr MemberId kFirstIndex = 1;
  static constexpr MemberId kSubMatches = 2;
  static constexpr std::array<Member, 3> kMembers = {
      {{"Value", kValue}, {"FirstIndex", kFirstIndex}, {"SubMatches", kSubMatches}}};

  SharedMatches matches_;
  size_t match_;
  SubMatchesObject subMatches_;
};

class MatchCollectionObject final : public Object {
 public:
  explicit MatchCollectionObject(SharedMatches matches) : matches_(std::move(matches)) {}

  std::optional<MemberId> FindMember(std::string_view name) const override {
    return Find(kCollectionMembers, name);
  }

  Status Invoke(MemberId id, CallKind kind, std::span<const Variant> args,
                Variant& result) override {
    return InvokeCollection(
        id, kind, args, matches_->Count(),
        [&](size_t index) {
          return Variant::FromObject(ObjectRef(std::make_shared<MatchObject>(matches_, index)));
        },
        result);
  }

 private:
  SharedMatches matches_;
};

// ---- "Replace" -------------------------------------------------------------------

// One piece of an expanded replacement: literal text, a group ($& is group 0),
// or the text before ($`) or after ($') the match.
struct Piece {
  enum Kind { kLiteral, kGroup, kBefore, kAfter } kind;
  std::u16string literal;
  uint32_t group = 0;
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// $1 to $99 name a group only when the pattern has it: "$12" is group 12 when
// there are twelve, else group 1 and the digit 2; "$0" and "$5" without five
// groups stay as written.
std::vector<Piece> ParseReplacement(std::u16string_view r, uint32_t groups) {
  std::vector<Piece> pieces;
  auto literal = [&](std::u16string_view s) {
    if (pieces.empty() || pieces.back().kind != Piece::kLiteral) {
      pieces.push_back({Piece::kLiteral, {}, 0});
    }
    pieces.back().literal += s;
  };
  size_t i = 0;
  while (i < r.size()) {
    if (r[i] != u'$' || i + 1 == r.size()) {
      literal(r.substr(i, 1));
      ++i;
      continue;
    }
    char16_t next = r[i + 1];
    if (next == u'$') {
      literal(u"$");
      i += 2;
    } else if (next == u'&') {
      pieces.push_back({Piece::kGroup, {}, 0});
      i += 2;
    } else if (next == u'`') {
      pieces.push_back({Piece::kBefore, {}, 0});
      i += 2;
    } else if (next == u'\'') {
      pieces.push_back({Piece::kAfter, {}, 0});
      i += 2;
    } else if (IsDigit(next)) {
      uint32_t one = static_cast<uint32_t>(next - u'0');
      uint32_t two = (i + 2 < r.size() && IsDigit(r[i + 2]))
                         ? one * 10 + static_cast<uint32_t>(r[i + 2] - u'0')
                         : 0;
      if (two >= 1 && two <= groups) {
        pieces.push_back({Piece::kGroup, {}, two});
        i += 3;
      } else if (one >= 1 && one <= groups) {
        pieces.push_back({Piece::kGroup, {}, one});
        i += 2;
      } else {
        literal(u"$");
        ++i;
      }
    } else {
      literal(u"$");
      ++i;
    }
  }
  return pieces;
}

std::optional<std::u16string> Replace(const Settings& settings, const Variant& subjectValue,
                                      std::u16string_view replacement) {
  const std::u16string_view subject = subjectValue.StringValue();
  std::optional<Compiled> compiled = Compile(settings);
  if (!compiled) return std::nullopt;
  std::vector<Piece> pieces = ParseReplacement(replacement, compiled->groups);
  std::u16string out;
  size_t copied = 0;
  bool ok = ForEachMatch(*compiled, subjectValue, settings.global, [&](const PCRE2_SIZE* ovector) {
    out.append(subject.substr(copied, ovector[0] - copied));
    for (const Piece& piece : pieces) {
      switch (piece.kind) {
        case Piece::kLiteral:
          out += piece.literal;
          break;
        case Piece::kGroup:
          if (ovector[2 * piece.group] != PCRE2_UNSET) {
            out.append(subject.substr(ovector[2 * piece.group],
                                      ovector[2 * piece.group + 1] - ovector[2 * piece.group]));
          }
          break;
        case Piece::kBefore:
          out.append(subject.substr(0, ovector[0]));
          break;
        case Piece::kAfter:
          out.append(subject.substr(ovector[1]));
          break;
      }
    }
    copied = ovector[1];
  });
  if (!ok) return std::nullopt;
  out.append(subject.substr(copied));
  return out;
}

// ---- The component ---------------------------------------------------------------

class RegExpObject final : public Object {
 public:
  std::optional<MemberId> FindMember(std::string_view name) const override {
    return Find(kMembers, name);
  }

  Status Invoke(MemberId id, CallKind kind, std::span<const Variant> args,
                Variant& result) override {
    switch (id) {
      case kPattern:
        return PatternProperty(kind, args, result);
      case kIgnoreCase:
        return BoolProperty(settings_.ignoreCase, kind, args, result);
      case kGlobal:
        return BoolProperty(settings_.global, kind, args, result);
      case kMultiline:
        return BoolProperty(settings_.multiline, kind, args, result);
      case kExecute:
        return Execute(kind, args, result);
      case kReplace:
        return ReplaceMethod(kind, args, result);
      default:
        return Status::MemberNotFound;
    }
  }

 private:
  static constexpr MemberId kPattern = 1;
  static constexpr MemberId kIgnoreCase = 2;
  static constexpr MemberId kGlobal = 3;
  static constexpr MemberId kMultiline = 4;
  static constexpr MemberId kExecute = 5;
  static constexpr MemberId kReplace = 6;
  static constexpr std::array<Member, 6> kMembers = {{{"Pattern", kPattern},
                                                      {"IgnoreCase", kIgnoreCase},
                                                      {"Global", kGlobal},
                                                      {"Multiline", kMultiline},
                                                      {"Execute", kExecute},
                                                      {"Replace", kReplace}}};

  Status PatternProperty(CallKind kind, std::span<const Variant> args, Variant& result) {
    if (kind == CallKind::PropertyGet) {
      if (!args.empty()) return Status::BadArgCount;
      result = Variant::FromString(settings_.pattern);
      return Status::Ok;
    }
    if (Status s = Expect(kind, args, CallKind::PropertyPut, 1); s != Status::Ok) return s;
    Variant value;
    if (Status s = Convert(args[0], VariantKind::String, value); s != Status::Ok) return s;
    settings_.pattern = std::u16string(value.StringValue());
    return Status::Ok;
  }

  Status Execute(CallKind kind, std::span<const Variant> args, Variant& result) {
    if (Status s = Expect(kind, args, CallKind::Method, 1); s != Status::Ok) return s;
    auto matches = std::make_shared<MatchList>();
    if (Status s = Convert(args[0], VariantKind::String, matches->subject); s != Status::Ok) {
      return s;
    }
    std::optional<Compiled> compiled = Compile(settings_);
    if (!compiled) return Status::ComponentError;
    matches->pairs = compiled->groups + 1;
    bool ok =
        ForEachMatch(*compiled, matches->subject, settings_.global, [&](const PCRE2_SIZE* ovector) {
          matches->offsets.insert(matches->offsets.end(), ovector, ovector + 2 * matches->pairs);
        });
    if (!ok) return Status::ComponentError;
    result = Variant::FromObject(ObjectRef(std::make_shared<MatchCollectionObject>(matches)));
    return Status::Ok;
  }

  Status ReplaceMethod(CallKind kind, std::span<const Variant> args, Variant& result) {
    if (Status s = Expect(kind, args, CallKind::Method, 2); s != Status::Ok) return s;
    Variant subject;
    Variant replacement;
    if (Status s = Convert(args[0], VariantKind::String, subject); s != Status::Ok) return s;
    if (Status s = Convert(args[1], VariantKind::String, replacement); s != Status::Ok) return s;
    std::optional<std::u16string> out = Replace(settings_, subject, replacement.StringValue());
    if (!out) return Status::ComponentError;
    result = Variant::FromString(std::move(*out));
    return Status::Ok;
  }

  Settings settings_;
};

}  // namespace

ObjectRef CreateRegExpComponent() { return ObjectRef(std::make_shared<RegExpObject>()); }

}  // namespace sl::automation
