#include <gtest/gtest.h>

#include <string>

#include "setup/item_setup.h"
#include "setup/text.h"

namespace korvane::setup {
namespace {

TEST(Characters, CountAndCutByCharactersNotBytes) {
  EXPECT_EQ(text::Length("103111_高一男子100米"), 15u);
  EXPECT_EQ(text::Mid("103111_高一男子100米", 8, 2), "高一");
  EXPECT_EQ(text::Mid("103111_高一男子100米", 12), "100米");
  EXPECT_EQ(text::Mid("高一", 3), "");
  EXPECT_EQ(text::Mid("高一", 2, 5), "一");
  std::u32string cps;
  EXPECT_TRUE(text::Decode("4×100米", cps));
  EXPECT_EQ(cps, U"4×100米");
  EXPECT_EQ(text::Encode(cps), "4×100米");
  EXPECT_TRUE(text::Decode("\xF0\x9F\x8F\x83", cps));  // a four-byte character
  EXPECT_EQ(cps, std::u32string(1, U'\U0001F3C3'));
}

TEST(Characters, MalformedTextIsNotDecoded) {
  std::u32string cps;
  EXPECT_FALSE(text::Decode("\xE9\xAB", cps));          // truncated
  EXPECT_FALSE(text::Decode("\x80", cps));              // stray continuation byte
  EXPECT_FALSE(text::Decode("\xC0\xAF", cps));          // overlong "/"
  EXPECT_FALSE(text::Decode("\xED\xA0\x80", cps));      // a surrogate
  EXPECT_FALSE(text::Decode("\xF4\x90\x80\x80", cps));  // above U+10FFFF
  EXPECT_EQ(text::Length("\xE9\xAB"), 2u);              // counted bytewise
}

TEST(EventNames, MetresAreWrittenAsMi) {
  EXPECT_EQ(NormalizeEventName("100m"), "100米");
  EXPECT_EQ(NormalizeEventName("4×100m接力"), "4×100米接力");
  EXPECT_EQ(NormalizeEventName("mm"), "米米");
  EXPECT_EQ(NormalizeEventName("100M"), "100M");  // only the small letter
}

TEST(EventNames, AcceptedNames) {
  for (const char* typed : {"100m", "4×100m接力", "跳远", "4×100米接力", "1500米", "实心球"})
    EXPECT_TRUE(IsValidEventName(NormalizeEventName(typed))) << typed;
}

TEST(EventNames, RefusedNames) {
  for (const char* typed : {"4×100米*接力", "100", "A组跳远", "米", "", "跳 远", "100米 ", "4x100米接力", "跳远１",
                            "１００米", "\xE8\xB7", "跳远\xE8"})
    EXPECT_FALSE(IsValidEventName(NormalizeEventName(typed))) << typed;
  // The ideograph range ends at U+9FA5 and starts at U+4E00.
  EXPECT_TRUE(IsValidEventName("一一"));      // U+4E00
  EXPECT_TRUE(IsValidEventName("1\u9FA5"));   // U+9FA5
  EXPECT_FALSE(IsValidEventName("1\u9FA6"));  // just beyond
  EXPECT_FALSE(IsValidEventName("1\u4DFF"));  // just before
}

TEST(EventEntries, CodeThenTextWithATwoDigitCatalogueNumber) {
  EXPECT_EQ(MakeEntry(1, 3, 1, 1, 1, "高一男子100米"), "103111_高一男子100米");
  EXPECT_EQ(MakeEntry(2, 12, 2, 3, 3, "高二女子跳远"), "212233_高二女子跳远");
}

}  // namespace
}  // namespace korvane::setup
