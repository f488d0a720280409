#include <gtest/gtest.h>

#include <string>

#include "setup/item_setup.h"

namespace korvane::setup {
namespace {

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
