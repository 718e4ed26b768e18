// The values that travel to and from automation objects: Variant, the tagged
// value of every argument and result, and ObjectRef, an owning reference to an
// automation object.
//
// Strings are UTF-16, the component's own string form. The conversions follow
// the automation rules the matcher relies on: a Boolean is -1 or 0, a number
// becomes its digits, empty becomes "" and null converts to nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "text/text.h"

namespace sl::automation {

class Object;

// An owning reference to an automation object. Copying adds a reference,
// destruction or Reset releases one; the object goes when the last one does.
class ObjectRef {
 public:
  ObjectRef() = default;
  explicit ObjectRef(std::shared_ptr<Object> object) : object_(std::move(object)) {}

  explicit operator bool() const { return object_ != nullptr; }
  Object* Get() const { return object_.get(); }
  Object* operator->() const { return object_.get(); }
  void Reset() { object_.reset(); }
  // The number of references held on the object; 0 for none.
  int32_t ReferenceCount() const { return static_cast<int32_t>(object_.use_count()); }

  friend bool operator==(const ObjectRef& a, const ObjectRef& b) { return a.object_ == b.object_; }

 private:
  std::shared_ptr<Object> object_;
};

enum class VariantKind { Empty, Null, Boolean, Int32, Double, String, Object };

class Variant {
 public:
  // The empty value.
  Variant() = default;

  static Variant Null();
  static Variant FromBool(bool value);
  static Variant FromInt32(int32_t value);
  static Variant FromDouble(double value);
  static Variant FromString(std::u16string value);
  static Variant FromObject(ObjectRef object);
  // A string made from `text` by the system code page.
  static Variant FromText(const Text& text);
  // `length` characters of this string from `offset`, sharing its characters
  // rather than copying them; empty when this is no string or the range does
  // not lie within it.
  Variant Substring(size_t offset, size_t length) const;

  VariantKind Kind() const { return static_cast<VariantKind>(value_.index()); }
  bool IsEmpty() const { return Kind() == VariantKind::Empty; }

  // The held value; the zero value of the kind when the Variant is of another.
  bool BoolValue() const;
  int32_t Int32Value() const;
  double DoubleValue() const;
  std::u16string_view StringValue() const;
  // Whether the string is known to be well-formed UTF-16: true only for one
  // made from text, which the code-page conversion always makes well-formed.
  // False for every other string, whatever its characters, and for non-strings.
  bool IsKnownWellFormed() const;
  ObjectRef ObjectValue() const&;
  // The held object taken out of a value that is going away, without the
  // extra reference a copy would add and drop again.
  ObjectRef ObjectValue() &&;

  // Releases what the value holds and leaves it empty.
  void Clear() { value_ = std::monostate(); }

 private:
  struct NullValue {};
  // Strings are never changed once made, so copies, and parts taken by
  // Substring, share their characters with the string that owns them.
  struct SharedString {
    std::shared_ptr<const std::u16string> owner;
    std::u16string_view chars;
    bool wellFormed = false;
  };

  std::variant<std::monostate, NullValue, bool, int32_t, double, SharedString, ObjectRef> value_;
};

// The value converted to `kind`, or nothing when it cannot be: a null value,
// a string that is no number or Boolean, a number out of range, an object.
std::optional<Variant> ChangeType(const Variant& value, VariantKind kind);

// The value as text in the system code page, up to its first NUL; empty text
// when it has no string form.
Text VariantToText(const Variant& value);
// The value as a number; 0 when it has none.
double VariantToNumber(const Variant& value);
// The object the value refers to; none for any other value.
ObjectRef VariantToObject(const Variant& value);
ObjectRef VariantToObject(Variant&& value);

// A number truncated toward zero into the 32-bit range (NaN gives 0).
int32_t TruncateToInt32(double value);

}  // namespace sl::automation
