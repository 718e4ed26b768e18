#include "regex/variant.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "regex/codepage.h"
#include "text/text.h"

namespace sl::automation {

namespace {

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// The digits of a double as the runtime writes them: up to 15 significant
// digits, an exponent in capitals, no negative zero.
std::u16string FormatDouble(double value) {
  if (value == 0) return u"0";
  char buffer[64];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  if (ec != std::errc()) return u"";
  std::string digits(buffer, end);
  for (char& c : digits) {
    if (c == 'e') c = 'E';
  }
  return Widen(digits);
}

// ASCII only: anything else cannot be part of a number or a Boolean word.
std::optional<std::string> Narrow(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char16_t c : s) {
    if (c > 0x7F) return std::nullopt;
    out += static_cast<char>(c);
  }
  return out;
}

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A decimal number, optionally signed, with an optional fraction and
// exponent; surrounding blanks are allowed, nothing else is.
std::optional<double> ParseNumber(std::u16string_view s) {
  std::optional<std::string> ascii = Narrow(s);
  if (!ascii) return std::nullopt;
  std::string_view text = TrimSpaces(*ascii);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // from_chars would also take "inf" and "nan", which are no numbers here.
  if (text.empty() || !(text.front() == '.' || (text.front() >= '0' && text.front() <= '9'))) {
    return std::nullopt;
  }
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return negative ? -value : value;
}

std::optional<bool> ParseBool(std::u16string_view s) {
  if (std::optional<std::string> ascii = Narrow(s)) {
    std::string_view word = TrimSpaces(*ascii);
    if (EqualsIgnoringAsciiCase(word, "true")) return true;
    if (EqualsIgnoringAsciiCase(word, "false")) return false;
  }
  if (std::optional<double> number = ParseNumber(s)) return *number != 0;
  return std::nullopt;
}

// Rounds half to even, as the runtime does when it narrows to an integer.
std::optional<int32_t> DoubleToInt32(double value) {
  if (std::isnan(value)) return std::nullopt;
  double rounded = std::round(value);
  if (std::fabs(value - std::trunc(value)) == 0.5 && std::fmod(rounded, 2.0) != 0) {
    rounded -= std::copysign(1.0, value);
  }
  if (rounded < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<int32_t>(rounded);
}

std::optional<double> ToDouble(const Variant& v) {
  switch (v.Kind()) {
    case VariantKind::Empty:
      return 0.0;
    case VariantKind::Boolean:
      return v.BoolValue() ? -1.0 : 0.0;
    case VariantKind::Int32:
      return static_cast<double>(v.Int32Value());
    case VariantKind::Double:
      return v.DoubleValue();
    case VariantKind::String:
      return ParseNumber(v.StringValue());
    case VariantKind::Null:
    case VariantKind::Object:
      break;
  }
  return std::nullopt;
}

std::optional<std::u16string> ToString(const Variant& v) {
  switch (v.Kind()) {
    case VariantKind::Empty:
      return u"";
    case VariantKind::Boolean:
      return v.BoolValue() ? u"-1" : u"0";
    case VariantKind::Int32:
      return Widen(std::to_string(v.Int32Value()));
    case VariantKind::Double:
      return FormatDouble(v.DoubleValue());
    case VariantKind::String:
      return std::u16string(v.StringValue());
    case VariantKind::Null:
    case VariantKind::Object:
      break;
  }
  return std::nullopt;
}

std::optional<bool> ToBool(const Variant& v) {
  switch (v.Kind()) {
    case VariantKind::Empty:
      return false;
    case VariantKind::Boolean:
      return v.BoolValue();
    case VariantKind::Int32:
      return v.Int32Value() != 0;
    case VariantKind::Double:
      return v.DoubleValue() != 0;
    case VariantKind::String:
      return ParseBool(v.StringValue());
    case VariantKind::Null:
    case VariantKind::Object:
      break;
  }
  return std::nullopt;
}

}  // namespace

Variant Variant::Null() {
  Variant v;
  v.value_ = NullValue{};
  return v;
}

Variant Variant::FromBool(bool value) {
  Variant v;
  v.value_ = value;
  return v;
}

Variant Variant::FromInt32(int32_t value) {
  Variant v;
  v.value_ = value;
  return v;
}

Variant Variant::FromDouble(double value) {
  Variant v;
  v.value_ = value;
  return v;
}

Variant Variant::FromString(std::u16string value) {
  auto owner = std::make_shared<const std::u16string>(std::move(value));
  std::u16string_view chars = *owner;
  Variant v;
  v.value_ = SharedString{std::move(owner), chars, false};
  return v;
}

Variant Variant::FromObject(ObjectRef object) {
  Variant v;
  v.value_ = std::move(object);
  return v;
}

Variant Variant::FromText(const Text& text) {
  Variant v = FromString(codepage::ToWide(text.View()));
  std::get<SharedString>(v.value_).wellFormed = true;
  return v;
}

Variant Variant::Substring(size_t offset, size_t length) const {
  const SharedString* s = std::get_if<SharedString>(&value_);
  if (s == nullptr || offset > s->chars.size() || length > s->chars.size() - offset) {
    return Variant();
  }
  Variant v;
  v.value_ = SharedString{s->owner, s->chars.substr(offset, length), false};
  return v;
}

bool Variant::BoolValue() const {
  const bool* b = std::get_if<bool>(&value_);
  return b != nullptr && *b;
}

int32_t Variant::Int32Value() const {
  const int32_t* i = std::get_if<int32_t>(&value_);
  return i != nullptr ? *i : 0;
}

double Variant::DoubleValue() const {
  const double* d = std::get_if<double>(&value_);
  return d != nullptr ? *d : 0.0;
}

std::u16string_view Variant::StringValue() const {
  const SharedString* s = std::get_if<SharedString>(&value_);
  return s != nullptr ? s->chars : std::u16string_view();
}

bool Variant::IsKnownWellFormed() const {
  const SharedString* s = std::get_if<SharedString>(&value_);
  return s != nullptr && s->wellFormed;
}

ObjectRef Variant::ObjectValue() const& {
  const ObjectRef* o = std::get_if<ObjectRef>(&value_);
  return o != nullptr ? *o : ObjectRef();
}

ObjectRef Variant::ObjectValue() && {
  ObjectRef* o = std::get_if<ObjectRef>(&value_);
  return o != nullptr ? std::move(*o) : ObjectRef();
}

std::optional<Variant> ChangeType(const Variant& value, VariantKind kind) {
  if (value.Kind() == kind) return value;
  switch (kind) {
    case VariantKind::Boolean:
      if (std::optional<bool> b = ToBool(value)) return Variant::FromBool(*b);
      break;
    case VariantKind::Int32:
      if (std::optional<double> d = ToDouble(value)) {
        if (std::optional<int32_t> i = DoubleToInt32(*d)) return Variant::FromInt32(*i);
      }
      break;
    case VariantKind::Double:
      if (std::optional<double> d = ToDouble(value)) return Variant::FromDouble(*d);
      break;
    case VariantKind::String:
      if (std::optional<std::u16string> s = ToString(value)) return Variant::FromString(*s);
      break;
    case VariantKind::Empty:
    case VariantKind::Null:
    case VariantKind::Object:
      break;
  }
  return std::nullopt;
}

Text VariantToText(const Variant& value) {
  if (value.Kind() == VariantKind::String)
    return Text::Result(codepage::FromWide(value.StringValue()));
  std::optional<std::u16string> s = ToString(value);
  return s ? Text::Result(codepage::FromWide(*s)) : Text();
}

double VariantToNumber(const Variant& value) { return ToDouble(value).value_or(0.0); }

ObjectRef VariantToObject(const Variant& value) { return value.ObjectValue(); }

ObjectRef VariantToObject(Variant&& value) { return std::move(value).ObjectValue(); }

int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
    return std::numeric_limits<int32_t>::min();
  }
  if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int32_t>(value);
}

}  // namespace sl::automation
