#include <gtest/gtest.h>

#include <string>

#include "host/utf8.h"

namespace korvane::host::utf8 {
namespace {

TEST(Utf8, CountsAndCutsByCharactersNotBytes) {
  EXPECT_EQ(Length("103111_高一男子100米"), 15u);
  EXPECT_EQ(Mid("103111_高一男子100米", 8, 2), "高一");
  EXPECT_EQ(Mid("103111_高一男子100米", 12), "100米");
  EXPECT_EQ(Mid("高一", 3), "");
  EXPECT_EQ(Mid("高一", 2, 5), "一");
  EXPECT_EQ(Offset("高一", 1), 3u);
  EXPECT_EQ(Offset("高一", 5), 6u);
  EXPECT_EQ(DropLast("运动会"), "运动");
  EXPECT_EQ(DropLast(""), "");
  EXPECT_EQ(Decode("4×100米"), U"4×100米");
  EXPECT_EQ(Encode(U"4×100米"), "4×100米");
  EXPECT_EQ(Decode("\xF0\x9F\x8F\x83"), std::u32string(1, U'\U0001F3C3'));  // four bytes
}

// Each byte that does not begin a well-formed sequence is one character,
// read as U+FFFD, and the text around it is read as usual.
TEST(Utf8, EachMalformedByteIsOneReplacementCharacter) {
  struct Case {
    const char* text;
    std::u32string decoded;
  };
  const Case cases[] = {
      {"\x80\x80", U"\uFFFD\uFFFD"},  // stray continuation bytes
      {"\xE9\xAB", U"\uFFFD\uFFFD"},  // truncated
      {"a\xE9\xAB"
       "b",
       U"a\uFFFD\uFFFDb"},                                // truncated inside a text
      {"\xC0\xAF", U"\uFFFD\uFFFD"},                      // overlong "/"
      {"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},            // a surrogate
      {"\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xE9\xAB\x98\xFF", U"高\uFFFD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(c.text), c.decoded) << c.text;
    EXPECT_EQ(Length(c.text), c.decoded.size()) << c.text;
  }
  EXPECT_EQ(Mid("\xE9\xAB\x98\xFF"
                "a",
                2, 1),
            "\xFF");  // cut on the same characters
  EXPECT_FALSE(DecodeAt("\x80", 0).wellFormed);
}

}  // namespace
}  // namespace korvane::host::utf8
