#include "base/text.h"
#include "ui/numeric.h"

#include <gtest/gtest.h>

using base::GeneralNumberText;

TEST(GeneralNumberText, FixedRangeAndItsBoundaries) {
  EXPECT_EQ("0", GeneralNumberText(0.0));
  EXPECT_EQ("2993.659968", GeneralNumberText(2993.659968));
  EXPECT_EQ("3000", GeneralNumberText(3000.0));
  EXPECT_EQ("0.0001", GeneralNumberText(0.0001));
  EXPECT_EQ("1E-5", GeneralNumberText(0.00001));
  EXPECT_EQ("1E15", GeneralNumberText(1e15));
  EXPECT_EQ("999999999999999", GeneralNumberText(999999999999999.0));
  EXPECT_EQ("-0.5", GeneralNumberText(-0.5));
  EXPECT_EQ("1.5E-7", GeneralNumberText(1.5e-7));
  EXPECT_EQ("-2.25E20", GeneralNumberText(-2.25e20));
}

TEST(GeneralNumberText, FifteenSignificantDigitsRounded) {
  EXPECT_EQ("0.333333333333333", GeneralNumberText(1.0 / 3));
  EXPECT_EQ("0.666666666666667", GeneralNumberText(2.0 / 3));
  EXPECT_EQ("123456789012346", GeneralNumberText(123456789012345.6));
  // Rounding up to 1e15 moves the value into scientific notation.
  EXPECT_EQ("1E15", GeneralNumberText(999999999999999.7));
  EXPECT_EQ("0.1", GeneralNumberText(0.1));
  EXPECT_EQ("1.1", GeneralNumberText(1.1));
}

TEST(GeneralNumberText, UsesTheGivenSeparator) {
  EXPECT_EQ("2993,659968", GeneralNumberText(2993.659968, ','));
  EXPECT_EQ("1,5E-7", GeneralNumberText(1.5e-7, ','));
  EXPECT_EQ("12", GeneralNumberText(12.0, ','));
}

TEST(TextHelpers, TrimRemovesControlBytesAndBlanks) {
  EXPECT_EQ("Service Pack 1", base::Trim("  Service Pack 1 \t\r\n"));
  EXPECT_EQ("", base::Trim(std::string("\0 \x1f ", 4)));
  EXPECT_EQ("\x81\x40", base::Trim("\x81\x40"));  // bytes above 32 stay
}

TEST(TextHelpers, ErrorBoxAppendsFullStopAfterLaterCharacters) {
  EXPECT_EQ("Unable to register icmp.dll.", base::ErrorBoxText("Unable to register icmp.dll"));
  EXPECT_EQ("done.", base::ErrorBoxText("done."));
  EXPECT_EQ("ends in blank ", base::ErrorBoxText("ends in blank "));
  EXPECT_EQ("a-", base::ErrorBoxText("a-"));  // '-' sorts before '.'
  EXPECT_EQ("", base::ErrorBoxText(""));
  // A double-byte last character sorts after "." (ソ has a 0x5C trail byte).
  EXPECT_EQ("ソ.", base::ErrorBoxText("ソ"));
}

TEST(TextHelpers, LineEndsAllBecomeCrLf) {
  EXPECT_EQ("a\r\nb\r\nc\r\n\r\nd", base::NormalizeLineEnds("a\r\nb\nc\r\rd"));
  EXPECT_EQ("", base::NormalizeLineEnds(""));
  EXPECT_EQ("\r\n", base::NormalizeLineEnds("\n"));
}

TEST(TextHelpers, WrapKeepsEveryByteAndDoubleByteCharactersWhole) {
  using V = std::vector<std::string>;
  const auto bytes = [](const std::string& s) { return static_cast<int>(s.size()); };
  EXPECT_EQ((V{"abcd", "efgh", "ij"}), base::WrapToWidth("abcdefghij", 4, bytes));
  EXPECT_EQ((V{"abcd"}), base::WrapToWidth("abcd", 4, bytes));
  EXPECT_EQ((V{""}), base::WrapToWidth("", 4, bytes));
  // "aあい" in Shift-JIS is 1 + 2 + 2 bytes: a lead byte never ends a piece.
  EXPECT_EQ((V{"aあ", "い"}), base::WrapToWidth("aあい", 4, bytes));
  EXPECT_EQ((V{"a", "あ", "い"}), base::WrapToWidth("aあい", 2, bytes));
  // A character wider than the page still goes out, one a line.
  EXPECT_EQ((V{"あ", "い"}), base::WrapToWidth("あい", 1, bytes));
  // A lead byte at the very end stands alone.
  EXPECT_EQ((V{"ab", "\x82"}), base::WrapToWidth("ab\x82", 2, bytes));
  // A cut keeps or drops a double-byte character whole.
  EXPECT_EQ(3u, base::WholeCharsLength("aあい", 4));
  EXPECT_EQ(5u, base::WholeCharsLength("aあい", 5));
}

TEST(NumberEditText, WholeNumbersUpToTheMaximumOnly) {
  EXPECT_EQ("12", ui::AcceptedNumberText("12", 255));
  EXPECT_EQ("010", ui::AcceptedNumberText("010", 255));  // leading zeros go on focus loss
  EXPECT_EQ("", ui::AcceptedNumberText("", 255));
  EXPECT_EQ("255", ui::AcceptedNumberText("255", 255));
  EXPECT_EQ("255", ui::AcceptedNumberText("256", 255));
  EXPECT_EQ("255", ui::AcceptedNumberText("0300", 255));
  EXPECT_EQ("255", ui::AcceptedNumberText("99999999999999999999999", 255));
  for (const char* refused : {"-5", "12a", " 7", "1.5", "+1", "\x82\x4f"})
    EXPECT_FALSE(ui::AcceptedNumberText(refused, 255).has_value()) << refused;
  // A paste counts whole, over the selection, and shows without leading zeros.
  EXPECT_EQ("255", ui::PastedNumberText("", 0, 0, "1000", 255));
  EXPECT_EQ("10", ui::PastedNumberText("", 0, 0, "0010", 255));
  EXPECT_EQ("172", ui::PastedNumberText("12", 1, 1, "7", 255));
  EXPECT_EQ("9", ui::PastedNumberText("123", 0, 9, "9", 255));  // a selection past the end
}

TEST(NumberEditText, DisplayFormatHasNoLeadingZeros) {
  EXPECT_EQ("10", ui::NumberDisplayText("010"));
  EXPECT_EQ("7", ui::NumberDisplayText("007"));
  EXPECT_EQ("0", ui::NumberDisplayText("000"));
  EXPECT_EQ("0", ui::NumberDisplayText("0"));
  EXPECT_EQ("", ui::NumberDisplayText(""));
  EXPECT_EQ("255", ui::NumberDisplayText("255"));
}
