// The automation layer: objects whose properties and methods are reached by
// name at run time, their creation from a ProgID, and the counted
// initialisation of the automation runtime for the thread.
//
// The layer is the seam between the matcher and the platform. Its callers see
// only these declarations; which runtime creates the objects and carries the
// calls is the business of the implementation the build picks.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "regex/variant.h"

namespace sl::automation {

// The regular-expression component the matcher creates by name.
inline constexpr std::string_view kRegExpProgId = "VBScript.RegExp";

// The outcome of a call. Callers of the name-based helpers below never see
// it: a failed call simply yields the empty value of its kind.
enum class Status {
  Ok,
  NoObject,        // the reference holds no object
  UnknownName,     // the object has no member of that name
  MemberNotFound,  // the member exists but not for this kind of access
  BadArgCount,     // more or fewer arguments than the member takes
  TypeMismatch,    // an argument cannot be converted to the member's type
  Overflow,        // a number argument is out of the member's range
  ComponentError,  // the component raised an error of its own
};

enum class CallKind { PropertyGet, PropertyPut, Method };

using MemberId = int32_t;

// The late-bound interface of an automation object.
class Object {
 public:
  virtual ~Object() = default;

  // The id of the member called `name` (ASCII letters compared without case).
  virtual std::optional<MemberId> FindMember(std::string_view name) const = 0;
  // Calls member `id`. Arguments are in the order the member declares them;
  // a property write takes the new value as its only argument. On failure
  // `result` is left empty.
  virtual Status Invoke(MemberId id, CallKind kind, std::span<const Variant> args,
                        Variant& result) = 0;
  // Puts a newly created object into its running state; false when it cannot
  // be started.
  virtual bool Run() { return true; }
};

// Looks `name` up on `object` and calls it.
Status Invoke(const ObjectRef& object, std::string_view name, CallKind kind,
              std::span<const Variant> args, Variant& result);

// Reads a property; empty when the read fails.
Variant GetProperty(const ObjectRef& object, std::string_view name,
                    std::span<const Variant> args = {});
// Writes a property; false when the write fails, and then nothing changes.
bool PutProperty(const ObjectRef& object, std::string_view name, const Variant& value);
// Calls a method; empty when the call fails.
Variant CallMethod(const ObjectRef& object, std::string_view name, std::span<const Variant> args);

// A new running object of the class registered under `progId`: the class is
// looked up, an instance created and started. None when any step fails, and
// when the runtime is not initialised on this thread.
ObjectRef CreateObject(std::string_view progId);

// Counted initialisation of the automation runtime for the calling thread.
// Every ComInitialize must be balanced by one ComUninitialize; an
// uninitialise beyond the count does nothing.
void ComInitialize();
void ComUninitialize();
int32_t ComInitDepth();

// The shell's first and last steps. OLE initialisation includes a
// ComInitialize, and its uninitialisation the matching ComUninitialize.
void OleInitialize();
void OleUninitialize();
int32_t OleInitDepth();

}  // namespace sl::automation
