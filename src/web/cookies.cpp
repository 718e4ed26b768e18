#include "web/cookies.h"

#include "text/text_helpers.h"

namespace sl {

Text CollectSetCookies(const Text& rawHeaders) {
  Text result = "";
  for (const Text& line : TextSplit(rawHeaders, "\r\n")) {
    if (TextBefore(line, ": ", 0, false) != Text("Set-Cookie")) continue;
    const Text value = TextFind(line, ";") != -1
                           ? TextTrim(TextBetween(line, "Set-Cookie:", ";", 0, false))
                           : TextTrim(TextReplace(line, "Set-Cookie:", std::nullopt, false));
    result = TextConcat(result, value, "; ");
  }
  return TextLeft(result, TextLength(result) - 2);
}

Text CookieName(const Text& item) {
  const int32_t equals = TextFind(item, "=");
  return TextTrim(equals != -1 ? TextLeft(item, equals - 1) : item);
}

bool CookieNameListed(const TextArray& items, const Text& name) {
  for (const Text& item : items) {
    if (TextCompare(CookieName(item), name) == 0) return true;
  }
  return false;
}

namespace {

// A final ";" becomes a separator.
Text TrimCookieString(const Text& cookies) {
  const Text trimmed = TextTrim(cookies);
  return TextRight(trimmed, 1) == Text(";") ? TextConcat(trimmed, " ") : trimmed;
}

}  // namespace

Text MergeCookies(Text& sent, Text& received) {
  sent = TrimCookieString(sent);
  received = TrimCookieString(received);
  const TextArray sentItems = TextSplit(sent, "; ");
  TextArray merged = TextSplit(received, "; ");
  // Items appended here take part in later look-ups: of several sent items
  // with one name only the first enters, and a received cookie always wins.
  for (const Text& item : sentItems) {
    if (!CookieNameListed(merged, CookieName(item))) ArrayAppend(merged, item);
  }
  Text joined = "";
  for (const Text& item : merged) {
    if (TextRight(item, 8) != Text("=deleted")) joined = TextConcat(joined, item, "; ");
  }
  sent = TextDistinct(TextLeft(joined, TextLength(joined) - 2), "; ", true);
  return sent;
}

}  // namespace sl
