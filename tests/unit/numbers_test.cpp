// The float and integer conversions: six decimals, the fixed non-finite
// forms, atof's grammar, rounding toward minus infinity, and no dependence
// on the process locale.
#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "text/numbers.h"
#include "unit/library_fixture.h"

namespace {

using namespace formel;

constexpr float kInf = std::numeric_limits<float>::infinity();

std::string Format(float v) {
  char buf[kRealTextMax];
  return std::string(buf, FormatReal(v, buf));
}

TEST(FormatReal, SixDecimalsTrailingZerosAndPointRemoved) {
  const struct {
    float value;
    const char* expect;
  } cases[] = {
      {2.5f, "2.5"},           {100.0f, "100"},         {0.0f, "0"},
      {0.1f, "0.1"},           {1.0f / 3.0f, "0.333333"}, {1000000.0f, "1000000"},
      {0.0000001f, "0"},       {-0.0000001f, "-0"},     {1.5f, "1.5"},
      {-0.0f, "-0"},           {0.0000005f, "0"},       {0.0000006f, "0.000001"},
      {16777217.0f, "16777216"}, {-2.25f, "-2.25"},
      {std::numeric_limits<float>::max(), "340282346638528859811704183484516925440"},
      {kInf, "1.#INF"},        {-kInf, "-1.#INF"},
      {-std::numeric_limits<float>::quiet_NaN(), "-1.#IND"},
      {std::numeric_limits<float>::quiet_NaN(), "1.#QNAN"},
  };
  for (const auto& c : cases) EXPECT_EQ(Format(c.value), c.expect) << c.value;
}

TEST(FormatReal, DefaultNaNOfAnInvalidOperationHasItsSignSet) {
  volatile float zero = 0.0f;
  EXPECT_EQ(Format(zero / zero), "-1.#IND");
}

TEST(ParseReal, ReadsTheDecimalPrefixOnly) {
  const struct {
    const char* text;
    float expect;
  } cases[] = {
      {" 12abc", 12.0f},   {"abc", 0.0f},      {".5", 0.5f},      {"1e3", 1000.0f},
      {"1.#INF", 1.0f},    {"-1.#INF", -1.0f}, {"-1.#IND", -1.0f}, {"0x1A", 0.0f},
      {"inf", 0.0f},       {"nan", 0.0f},      {"1e", 1.0f},      {"1e+", 1.0f},
      {"\t\n\v\f\r 7", 7.0f}, {"+5", 5.0f},    {"5.", 5.0f},      {"1e-5", 0.00001f},
      {"1d5", 1.0f},       {"..5", 0.0f},      {"1.2.3", 1.2f},   {"", 0.0f},
      {"1e-50", 0.0f},     {"1e-99999999999", 0.0f},
      {"3.40282350e38", std::numeric_limits<float>::max()},
      {"1e39", kInf},      {"-1e39", -kInf},   {"3.40282357e38", kInf},
      {"1e99999999999", kInf}, {"0e99999", 0.0f},
      {"0.000000000000000000000000000000000000000000000000001e400", kInf},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseReal(c.text), c.expect) << c.text;
}

TEST(ParseReal, SignWithoutDigitsIsPositiveZeroButMinusZeroIsNegative) {
  EXPECT_FALSE(std::signbit(ParseReal("-")));
  EXPECT_TRUE(std::signbit(ParseReal("-0")));
}

TEST(ParseReal, RoundsOnceToSinglePrecision) {
  EXPECT_EQ(ParseReal("0.1"), 0.1f);
  EXPECT_EQ(ParseReal("16777217"), 16777216.0f);
}

TEST(IntPart, RoundsTowardMinusInfinityWithinThirtyTwoBits) {
  const struct {
    float value;
    std::int32_t expect;
  } cases[] = {
      {3.5f, 3},         {-3.5f, -4},          {-3.0f, -3},         {-0.5f, -1},
      {3e9f, INT32_MIN}, {-3e9f, INT32_MIN},   {kInf, INT32_MIN},   {-kInf, INT32_MIN},
      {std::numeric_limits<float>::quiet_NaN(), INT32_MIN},
      {-2147483648.0f, INT32_MIN}, {2147483520.0f, 2147483520},
      {2147483648.0f, INT32_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(IntPart(c.value), c.expect) << c.value;
}

TEST(PowerReal, IsPowInDoubleRoundedToFloat) {
  EXPECT_EQ(PowerReal(2.0f, 0.5f), static_cast<float>(std::sqrt(2.0)));
  EXPECT_EQ(PowerReal(10.0f, 39.0f), kInf);
  EXPECT_EQ(PowerReal(-10.0f, 39.0f), -kInf);
  EXPECT_EQ(PowerReal(2.0f, 10.0f), 1024.0f);
}

TEST(FormatInt, IsTheLongDecimalForm) {
  char buf[kIntTextMax];
  EXPECT_EQ(std::string(buf, FormatInt(0, buf)), "0");
  EXPECT_EQ(std::string(buf, FormatInt(-2147483647 - 1, buf)), "-2147483648");
  EXPECT_EQ(std::string(buf, FormatInt(2147483647, buf)), "2147483647");
}

// Digits are written two at a time: every digit count, each side of its
// bounds, both signs, and whole floats on each side of 2^32 (a float's
// text goes another way from there) give what the library's general
// conversion gives.
TEST(FormatInt, EveryDigitCountAsTheGeneralConversion) {
  auto general = [](long long v) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
  };
  for (long long bound = 1; bound <= 10000000000LL; bound *= 10) {
    for (const long long v : {bound - 1, bound, bound + 1, 2 * bound + 1, 9 * bound + 9}) {
      for (const long long n : {v, -v}) {
        if (n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max()) {
          char buf[kIntTextMax];
          EXPECT_EQ(std::string(buf, FormatInt(static_cast<std::int32_t>(n), buf)), general(n));
        }
        const float real = static_cast<float>(n);
        if (real != 0) {
          EXPECT_EQ(Format(real), general(static_cast<long long>(real))) << n;
        }
      }
    }
  }
  EXPECT_EQ(Format(4294967295.0f), "4294967296");
  EXPECT_EQ(Format(-4294967040.0f), "-4294967040");
  EXPECT_EQ(Format(12345.5f), "12345.5");
  EXPECT_EQ(Format(-8388607.5f), "-8388607.5");
}

TEST(RoundToFloat, OverflowBoundaryIsHalfAnUlpAboveTheMaximum) {
  constexpr float kMax = std::numeric_limits<float>::max();
  EXPECT_EQ(RoundToFloat(0x1.fffffefffffffp127), kMax);
  EXPECT_EQ(RoundToFloat(0x1.ffffffp127), kInf);
  EXPECT_EQ(RoundToFloat(-0x1.ffffffp127), -kInf);
  EXPECT_EQ(RoundToFloat(1e300), kInf);
}

// The text of six fixed decimals by the general conversion, trailing zeros
// and point removed.
std::string SixDecimalsTrimmed(float v) {
  char text[80];
  const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(v), std::chars_format::fixed, 6).ptr;
  std::string written(text, end);
  while (written.back() == '0') written.pop_back();
  if (written.back() == '.') written.pop_back();
  return written;
}

// The shortcuts that skip writing a result's text must agree with writing
// it and reading it back: for random finite floats of every magnitude
// (ties such as 1/128 and values around 1e15 included) and for random
// plain decimals. The text of a value that is not whole is the general
// conversion's.
TEST(ResultTexts, ReadBackAndLengthAgreeWithTheWrittenText) {
  std::mt19937 rng(5);
  std::vector<float> values = {0.0078125f, -0.0078125f, 1e15f, -1e15f, 999999.9f, 4.999999e-7f, -0.0f, 0.0f};
  for (int i = 0; i < 200000; ++i) {
    const float scale = std::ldexp(1.0f, static_cast<int>(rng() % 80) - 30);  // 2^-30 .. 2^49
    values.push_back(std::ldexp(static_cast<float>(rng() % (1u << 24)), static_cast<int>(rng() % 40) - 30) *
                     (rng() % 2 ? 1.0f : -1.0f) * (i % 7 == 0 ? scale : 1.0f));
  }
  for (const float v : values) {
    const std::string text = Format(v);
    if (v != std::trunc(v)) {
      ASSERT_EQ(text, SixDecimalsTrimmed(v));
    }
    ASSERT_EQ(RealTextLength(v), text.size()) << text;
    const float read = ParseReal(text);
    ASSERT_TRUE(ReadBackReal(v) == read && std::signbit(ReadBackReal(v)) == std::signbit(read)) << text;
  }
}

TEST(ReadPlainNumber, ReadsAsParseRealDoes) {
  std::mt19937 rng(6);
  for (int i = 0; i < 100000; ++i) {
    std::string text = std::to_string(rng() % 2 ? rng() : rng() % 1000);
    if (rng() % 3 != 0) text.insert(rng() % (text.size() + 1), ".");
    if (rng() % 9 == 0) text += std::string(rng() % 12, '0') + "7";
    if (rng() % 13 == 0) text += ".5";  // a second point
    float value = -1;
    ASSERT_EQ(ReadPlainNumber(text + "+", 0, value), text.size()) << text;
    ASSERT_EQ(value, ParseReal(text)) << text;
  }
  float untouched = -1;
  EXPECT_EQ(ReadPlainNumber("1+..", 2, untouched), 2u);  // points alone: no number
  EXPECT_EQ(untouched, -1);
}

// A host that runs in a German locale gets the same texts and numbers.
class GermanLocale : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    LibraryTest::TearDown();
  }
};

TEST_F(GermanLocale, NumbersKeepThePoint) {
  EXPECT_EQ(Format(2.5f), "2.5");
  EXPECT_EQ(ParseReal("2.5"), 2.5f);
  EXPECT_EQ(ParseReal("2,5"), 2.0f);
  EXPECT_STREQ(Formel("5/2"), "2.5");
  EXPECT_STREQ(Formel("1.5+1"), "2.5");
}

}  // namespace
