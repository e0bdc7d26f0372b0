#include "base/text.h"

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
