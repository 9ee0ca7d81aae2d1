// The browser build's exact decimal conversions give, byte for byte and bit
// for bit, what this platform's <charconv> gives.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "compat/decimal_conversion.h"

namespace {

std::vector<double> SampleDoubles() {
  std::vector<double> values = {0.0, -0.0, 1.0 / 128, 0.0000005, 2.5e-7, 0.5, 1.5, 2.675, 1e15, 1e22,
                                16777217.0, std::numeric_limits<float>::max(),
                                std::numeric_limits<float>::denorm_min(),
                                std::numeric_limits<double>::max(),
                                std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::min(),
                                std::numeric_limits<double>::infinity()};
  std::mt19937_64 random(15);
  for (int i = 0; i < 20000; ++i) {
    std::uint64_t bits = random();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    if (std::isnan(d)) continue;
    values.push_back(d);
    float f;  // the values the library formats are floats
    std::uint32_t fbits = static_cast<std::uint32_t>(bits);
    std::memcpy(&f, &fbits, sizeof f);
    if (!std::isnan(f)) values.push_back(f);
    values.push_back(static_cast<double>(bits % 100000000) / 1000000);  // near-ties at six decimals
  }
  return values;
}

TEST(DecimalConversion, FixedNotationMatchesToChars) {
  char mine[1200];
  char theirs[1200];
  for (const double value : SampleDoubles()) {
    for (const int precision : {0, 6, 17}) {
      const auto a = formel_compat::FormatFixed(mine, mine + sizeof mine, value, precision);
      const auto b = std::to_chars(theirs, theirs + sizeof theirs, value, std::chars_format::fixed, precision);
      ASSERT_EQ(a.ec, b.ec) << value;
      ASSERT_EQ(std::string(mine, static_cast<std::size_t>(a.ptr - mine)), std::string(theirs, b.ptr)) << precision;
    }
  }
  // A buffer that is too small is reported, not overrun.
  EXPECT_EQ(formel_compat::FormatFixed(mine, mine + 3, 1234.5, 6).ec, std::errc::value_too_large);
}

std::vector<std::string> SampleTexts() {
  std::vector<std::string> texts = {"0", "-0", "0.0e10", "1", "1.", ".5", ".", "-", "e5", "1e", "1e+",
                                    "1e-5", "1E5x", "12abc", "9007199254740993", "9007199254740993.0001",
                                    "2.4703282292062327e-324", "2.4703282292062328e-324", "1e-400",
                                    "1.7976931348623157e308", "1.7976931348623159e308", "1e309",
                                    "4.9406564584124654e-324", "2.2250738585072011e-308",
                                    "3.4028235677973366e38", "0.000000000000000000000000001"};
  texts.push_back("1." + std::string(900, '0') + "1");     // beyond the kept digits
  texts.push_back("0." + std::string(1000, '0') + "1e1005");
  texts.push_back("9007199254740992" + std::string(800, '0') + "1e-800");  // tie broken far away
  std::mt19937 random(15);
  const std::string alphabet = "0123456789.e-+5";
  for (int i = 0; i < 20000; ++i) {
    std::string t;
    const int length = 1 + static_cast<int>(random() % 30);
    for (int k = 0; k < length; ++k) t.push_back(alphabet[random() % (k < 20 ? 10 : alphabet.size())]);
    if (random() % 2) t.insert(random() % t.size(), ".");
    if (random() % 3 == 0) t += "e" + std::string(random() % 2 ? "-" : "") + std::to_string(random() % 340);
    texts.push_back(t);
  }
  return texts;
}

TEST(DecimalConversion, ReadingMatchesFromChars) {
  for (const std::string& text : SampleTexts()) {
    const char* end = text.data() + text.size();
    double mine = 7.0;
    double theirs = 7.0;
    const auto a = formel_compat::ParseDecimal(text.data(), end, mine);
    const auto b = std::from_chars(text.data(), end, theirs, std::chars_format::general);
    ASSERT_EQ(a.ec, b.ec) << text;
    ASSERT_EQ(a.ptr - text.data(), b.ptr - text.data()) << text;
    ASSERT_EQ(std::signbit(mine), std::signbit(theirs)) << text;
    ASSERT_EQ(mine, theirs) << text;
  }
}

}  // namespace
