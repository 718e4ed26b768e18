// Cookie strings: items separated by "; ", each normally name=value. Names
// and items compare exactly; an item ending in "=deleted" is a cookie the
// server removed.
#pragma once

#include "text/text.h"

namespace sl {

// The first name=value pair of every "Set-Cookie: " line of a raw response
// header block, joined by "; "; empty when there is none.
Text CollectSetCookies(const Text& rawHeaders);

// The received cookies first, then the sent ones the server did not set;
// cookies set to "deleted" are dropped, and identical items collapse. Both
// arguments are updated: `received` to its trimmed form, `sent` to the result.
Text MergeCookies(Text& sent, Text& received);

// The trimmed text in front of the first "=", or the whole trimmed item.
Text CookieName(const Text& item);

// True when some item has exactly this name.
bool CookieNameListed(const TextArray& items, const Text& name);

}  // namespace sl
