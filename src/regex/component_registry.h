// The classes that CreateObject can make, by ProgID: the layer's own
// registry, in which the built-in components are present from the start.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "regex/variant.h"

namespace sl::automation {

// Makes a new instance of a class; none when it cannot.
using ClassFactory = std::function<ObjectRef()>;

// Registers `factory` under `progId`, or removes the class when `factory` is
// empty. Returns the factory registered before (empty when there was none).
ClassFactory RegisterClass(std::string_view progId, ClassFactory factory);

// Replaces the class of `progId` for its lifetime and restores the previous
// one afterwards: how a test takes a component away or puts a failing one in.
class ScopedClass {
 public:
  ScopedClass(std::string_view progId, ClassFactory factory)
      : progId_(progId), previous_(RegisterClass(progId, std::move(factory))) {}
  ~ScopedClass() { RegisterClass(progId_, std::move(previous_)); }
  ScopedClass(const ScopedClass&) = delete;
  ScopedClass& operator=(const ScopedClass&) = delete;

 private:
  std::string progId_;
  ClassFactory previous_;
};

}  // namespace sl::automation
