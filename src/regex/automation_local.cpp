// The automation runtime of platforms without one of their own: classes come
// from the layer's registry, and the initialisation count is kept per thread.
#include <map>
#include <string>

#include "regex/automation.h"
#include "regex/component_registry.h"
#include "regex/regexp_component.h"

namespace sl::automation {

namespace {

using Registry = std::map<std::string, ClassFactory, std::less<>>;

Registry& Classes() {
  static Registry classes = {
      {std::string(kRegExpProgId), [] { return CreateRegExpComponent(); }},
  };
  return classes;
}

thread_local int32_t comDepth = 0;
thread_local int32_t oleDepth = 0;

}  // namespace

ClassFactory RegisterClass(std::string_view progId, ClassFactory factory) {
  Registry& classes = Classes();
  ClassFactory previous;
  if (auto it = classes.find(progId); it != classes.end()) {
    previous = std::move(it->second);
    classes.erase(it);
  }
  if (factory) classes.emplace(std::string(progId), std::move(factory));
  return previous;
}

ObjectRef CreateObject(std::string_view progId) {
  // Look-up: the class registered under the ProgID.
  Registry& classes = Classes();
  auto it = classes.find(progId);
  if (it == classes.end()) return ObjectRef();
  // Creation: only on a thread that has initialised the runtime.
  if (comDepth <= 0) return ObjectRef();
  ClassFactory factory = it->second;
  ObjectRef object = factory();
  if (!object) return ObjectRef();
  // Start: an object that cannot run is released again.
  if (!object->Run()) return ObjectRef();
  return object;
}

void ComInitialize() { ++comDepth; }

void ComUninitialize() {
  if (comDepth > 0) --comDepth;
}

int32_t ComInitDepth() { return comDepth; }

void OleInitialize() {
  ++oleDepth;
  ComInitialize();
}

void OleUninitialize() {
  if (oleDepth <= 0) return;
  --oleDepth;
  ComUninitialize();
}

int32_t OleInitDepth() { return oleDepth; }

}  // namespace sl::automation
