// The name-based calls, common to every platform's automation layer.
#include "regex/automation.h"

namespace sl::automation {

Status Invoke(const ObjectRef& object, std::string_view name, CallKind kind,
              std::span<const Variant> args, Variant& result) {
  result.Clear();
  if (!object) return Status::NoObject;
  std::optional<MemberId> id = object->FindMember(name);
  if (!id) return Status::UnknownName;
  Status status = object->Invoke(*id, kind, args, result);
  if (status != Status::Ok) result.Clear();
  return status;
}

Variant GetProperty(const ObjectRef& object, std::string_view name, std::span<const Variant> args) {
  Variant result;
  Invoke(object, name, CallKind::PropertyGet, args, result);
  return result;
}

bool PutProperty(const ObjectRef& object, std::string_view name, const Variant& value) {
  Variant ignored;
  return Invoke(object, name, CallKind::PropertyPut, std::span(&value, 1), ignored) == Status::Ok;
}

Variant CallMethod(const ObjectRef& object, std::string_view name, std::span<const Variant> args) {
  Variant result;
  Invoke(object, name, CallKind::Method, args, result);
  return result;
}

}  // namespace sl::automation
