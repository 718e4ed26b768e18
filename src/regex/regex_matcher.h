// RegexMatcher: runs one regular expression over one text through the
// "VBScript.RegExp" automation component and hands back the matches and their
// sub-matches by 1-based number, as Text, with their byte positions on request.
//
// Every component call is made by name and fails quietly: a failed run gives
// false, a failed read 0 or empty text.
//
// Initialisation pairing: an instance made by the constructor holds one
// ComInitialize, which Destroy releases (once; a second Destroy does nothing).
// An instance dropped without Destroy releases it in its destructor. A copy
// made by Clone holds none and so uninitialises nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "regex/variant.h"
#include "text/text.h"

namespace sl {

class RegexMatcher final {
 public:
  RegexMatcher();
  ~RegexMatcher();
  RegexMatcher(const RegexMatcher&) = delete;
  RegexMatcher& operator=(const RegexMatcher&) = delete;

  // Releases both objects, clears the subject and uninitialises the runtime.
  virtual void Destroy();
  // A new matcher that shares both objects and holds its own copy of the subject.
  virtual std::unique_ptr<RegexMatcher> Clone();
  // Runs `pattern` over `subject` with a new component. Defaults: ignore case,
  // multiline, global, no quote-marker expansion. True when the run produced a
  // match collection, even one without a match.
  virtual bool CreateAndExecute(const Text& pattern, const Text& subject,
                                std::optional<bool> caseSensitive = {},
                                std::optional<bool> multiline = {}, std::optional<bool> global = {},
                                std::optional<bool> expandQuoteMarker = {});
  virtual void Noop();
  // The pattern of the last run, as the component holds it.
  virtual Text GetPattern();
  // The subject of the last run with its matches replaced by the component.
  virtual Text ReplaceMatches(const Text& replacement);
  virtual int32_t MatchCount();
  // Match `index` (1-based); `position`, when given, receives its byte offset.
  virtual Text MatchText(int32_t index, int32_t* position = nullptr);
  // Sub-match `submatchIndex` of match `matchIndex` (both 1-based).
  virtual Text SubmatchText(int32_t matchIndex, int32_t submatchIndex, int32_t* position = nullptr);
  // The number of sub-matches of the first match.
  virtual int32_t SubmatchCount();

 private:
  struct CloneTag {};

 public:
  // How Clone makes its copy: without an initialisation of its own.
  explicit RegexMatcher(CloneTag) {}

 private:
  // TextFind-based byte offset of `sought` from the start of `match`.
  int32_t PositionOf(const automation::ObjectRef& match, const Text& sought);
  void Release();

  automation::ObjectRef regExpObject_;
  automation::ObjectRef matchCollection_;
  automation::Variant subject_ = automation::Variant::FromInt32(0);
  // Whether this instance still owes the runtime one uninitialise.
  bool holdsInit_ = false;
};

}  // namespace sl
