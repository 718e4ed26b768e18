// The built-in regular-expression component, registered as "VBScript.RegExp".
//
// Members: "Pattern", "IgnoreCase", "Global", "Multiline" (properties, read
// and write), "Execute"(string) giving a match collection and
// "Replace"(string, replacement) giving a string. A match collection has
// "Count" and "Item"(0-based number); a match has "Value", "FirstIndex"
// (0-based, in UTF-16 code units) and "SubMatches", which has "Count" and
// "Item"(0-based number): the group's text, or empty when the group did not
// take part in the match.
//
// The dialect is the JavaScript-style one: "." matches anything but CR and LF,
// "^" and "$" match at line breaks only with "Multiline", "$" otherwise only at
// the very end, and a backreference to an unset group matches nothing.
#pragma once

#include <string_view>

#include "regex/automation.h"

namespace sl::automation {

// A new component: empty pattern, every switch off.
ObjectRef CreateRegExpComponent();

}  // namespace sl::automation
