#include "web/headers.h"

#include "text/text_helpers.h"

namespace sl {

Text CapitalizeFirst(const Text& text) {
  return TextConcat(TextToUpper(TextLeft(text, 1)), TextMid(text, 2, TextLength(text)));
}

namespace {

Text CapitalizeNameWords(const Text& name) {
  if (TextFind(name, "-") == -1) return CapitalizeFirst(name);
  const TextArray words = TextSplit(name, "-");
  Text joined = "";
  const int32_t count = ArrayCount(words);
  for (int32_t i = 1; i <= count; ++i) {
    joined = i < count ? TextConcat(joined, CapitalizeFirst(words.Member(i)), "-")
                       : TextConcat(joined, CapitalizeFirst(words.Member(i)));
  }
  return joined;
}

}  // namespace

Text NormalizeHeaderNames(const Text& block) {
  Text result = "";
  for (const Text& line : TextSplit(block, "\r\n")) {
    const int32_t colon = TextFind(line, ":");
    if (colon == -1) continue;
    const Text name = CapitalizeNameWords(TextMid(line, 1, colon - 1));
    // A name ending in "-" loses that "-" in the split; counting the rest of
    // the line from its end brings it back.
    result = TextConcat(result, name, TextRight(line, TextLength(line) - TextLength(name)), "\r\n");
  }
  return TextLeft(result, TextLength(result) - 2);
}

Text HeaderValueAfterColon(const Text& text) {
  const int32_t colon = TextFind(text, ":");
  if (colon == -1) return Text();
  return TextTrim(TextRight(text, TextLength(text) - colon));
}

Text UserAgentFromHeaders(const Text& block) {
  if (TextFind(block, "User-Agent:", std::nullopt, true) == -1) return kDefaultUserAgent;
  const Text agent =
      TextTrim(TextBetween(TextConcat(block, "\r\n"), "User-Agent:", "\r\n", 0, false));
  if (TextLength(agent) == 0) return HeaderValueAfterColon(block);
  return agent;
}

Text CompleteRequestHeaders(const Text& block, const Text& address, int32_t methodIndex,
                            const Text& cookies, bool complete) {
  Text result = block;
  if (complete) {
    if (TextLength(result) == 0) result = "Accept: */*";
    const auto addWhenMissing = [&result](const char* name, const Text& line) {
      if (TextFind(result, name, std::nullopt, true) == -1) result = TextConcat(result, line);
    };
    addWhenMissing("Accept:", "\r\nAccept: */*");
    addWhenMissing("Referer:", TextConcat("\r\nReferer: ", address));
    addWhenMissing("Accept-Language:", "\r\nAccept-Language: zh-cn");
    if (methodIndex == 1) {
      addWhenMissing("Content-Type:", "\r\nContent-Type: application/x-www-form-urlencoded");
    }
  }
  if (TextLength(cookies) > 0) {
    result = TextFind(cookies, "Cookie:") != -1 ? TextConcat(result, "\r\n", cookies)
                                                : TextConcat(result, "\r\nCookie: ", cookies);
  }
  return result;
}

}  // namespace sl
