#include "record/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace kj {
namespace {

enum class Error { none, invalid, range };

template <class F>
Error errorOf(F f) {
  try {
    f();
  } catch (const std::invalid_argument&) {
    return Error::invalid;
  } catch (const std::out_of_range&) {
    return Error::range;
  }
  return Error::none;
}

struct IntCase {
  const wchar_t* text;
  std::int64_t value;
  Error error;
};

TEST(ConversionsTest, SignedIntegerReadsTheLongestPrefixWithin32Bits) {
  const IntCase cases[] = {
      {L"12", 12, Error::none},
      {L"12a", 12, Error::none},
      {L"0012x", 12, Error::none},
      {L"  \t+7", 7, Error::none},
      {L"-5", -5, Error::none},
      {L"0x10", 0, Error::none},
      {L"2147483647", 2147483647, Error::none},
      {L"-2147483648", -2147483648LL, Error::none},
      {L"000000000000000000042", 42, Error::none},
      {L"2147483648", 0, Error::range},
      {L"-2147483649", 0, Error::range},
      {L"99999999999999999999999", 0, Error::range},
      {L"", 0, Error::invalid},
      {L"abc", 0, Error::invalid},
      {L"-", 0, Error::invalid},
      {L"+ 5", 0, Error::invalid},
      {L"\x02" L"5", 0, Error::invalid},
      {L"\xFF90" L"5", 0, Error::invalid},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "text #" << (&c - cases));
    std::int64_t got = 0;
    EXPECT_EQ(errorOf([&] { got = parseInt32(c.text); }), c.error);
    if (c.error == Error::none) {
      EXPECT_EQ(got, c.value);
    }
  }
}

TEST(ConversionsTest, UnsignedIntegerWrapsNegativesAndRejectsValuesBeyond32Bits) {
  const IntCase cases[] = {
      {L"4294967295", 4294967295LL, Error::none},
      {L"-1", 4294967295LL, Error::none},
      {L"-4294967295", 1, Error::none},
      {L"4294967296", 0, Error::range},
      {L"-4294967296", 0, Error::range},
      {L" 0012x", 12, Error::none},
      {L",", 0, Error::invalid},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "text #" << (&c - cases));
    std::int64_t got = 0;
    EXPECT_EQ(errorOf([&] { got = parseUInt32(c.text); }), c.error);
    if (c.error == Error::none) {
      EXPECT_EQ(got, c.value);
    }
  }
}

TEST(ConversionsTest, HexadecimalAcceptsPrefixCaseAndSign) {
  const IntCase cases[] = {
      {L"FF", 255, Error::none},     {L"ff", 255, Error::none},   {L"0C", 12, Error::none},
      {L"0x1A", 26, Error::none},    {L"0x", 0, Error::none},     {L" f", 15, Error::none},
      {L"1G", 1, Error::none},       {L"-1", 4294967295LL, Error::none},
      {L"G1", 0, Error::invalid},    {L"", 0, Error::invalid},    {L"100000000", 0, Error::range},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "text #" << (&c - cases));
    std::int64_t got = 0;
    EXPECT_EQ(errorOf([&] { got = parseHex(c.text); }), c.error);
    if (c.error == Error::none) {
      EXPECT_EQ(got, c.value);
    }
  }
}

struct RealCase {
  const wchar_t* text;
  double value;
  Error error;
};

TEST(ConversionsTest, RealReadsDecimalHexadecimalAndSpecialForms) {
  const RealCase cases[] = {
      {L"395", 395, Error::none},       {L"1.5", 1.5, Error::none},     {L".5", 0.5, Error::none},
      {L"5.", 5, Error::none},          {L"-.25", -0.25, Error::none},  {L" +2e3", 2000, Error::none},
      {L"1e", 1, Error::none},          {L"1e+", 1, Error::none},       {L"1.5E-1x", 0.15, Error::none},
      {L"12a", 12, Error::none},        {L"0x1p3", 8, Error::none},     {L"0X1A", 26, Error::none},
      {L"0x", 0, Error::none},          {L"0x.8", 0.5, Error::none},    {L"3541.1234", 3541.1234, Error::none},
      {L"1e400", 0, Error::range},      {L"1e-400", 0, Error::range},   {L"", 0, Error::invalid},
      {L".", 0, Error::invalid},        {L"e5", 0, Error::invalid},     {L"-", 0, Error::invalid},
      {L"abc", 0, Error::invalid},      {L"0e-400", 0, Error::none},
  };
  for (const RealCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "text #" << (&c - cases));
    double got = -1;
    EXPECT_EQ(errorOf([&] { got = parseReal(c.text); }), c.error);
    if (c.error == Error::none) {
      EXPECT_EQ(got, c.value);
    }
  }
  EXPECT_TRUE(std::isinf(parseReal(L"inf")));
  EXPECT_TRUE(std::isinf(parseReal(L"-Infinity")));
  EXPECT_LT(parseReal(L"-INF"), 0);
  EXPECT_TRUE(std::isnan(parseReal(L"nan")));
  EXPECT_TRUE(std::isnan(parseReal(L"NaN(123)")));
}

TEST(ConversionsTest, FormatFixedRoundsTheExactBinaryValue) {
  struct Case {
    double x;
    int digits;
    const wchar_t* text;
  };
  const Case cases[] = {
      {395 / 10.0, 1, L"39.5"},   {7 / 10.0, 1, L"0.7"},      {-5 / 10.0, 1, L"-0.5"},
      {123 / 100.0, 2, L"1.23"},  {1000 / 100.0, 2, L"10.00"}, {2534 / 100.0, 1, L"25.3"},
      {-150 / 100.0, 1, L"-1.5"}, {2525 / 100.0, 1, L"25.2"},  {2535 / 100.0, 1, L"25.4"},
      {0.125, 2, L"0.12"},        {0.375, 2, L"0.38"},         {1.005, 2, L"1.00"},
      {-0.0, 2, L"-0.00"},        {-0.001, 2, L"-0.00"},       {1e20, 1, L"100000000000000000000.0"},
      {2.5, 0, L"2"},             {3.5, 0, L"4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case #" << (&c - cases));
    EXPECT_EQ(formatFixed(c.x, c.digits), c.text);
  }
  EXPECT_EQ(formatFixed(std::numeric_limits<double>::infinity(), 2), L"inf");
  EXPECT_EQ(formatFixed(-std::numeric_limits<double>::infinity(), 1), L"-inf");
  EXPECT_EQ(formatFixed(std::numeric_limits<double>::quiet_NaN(), 1), L"nan");
  EXPECT_EQ(formatFixed(std::numeric_limits<double>::max(), 0).size(), 309U);
}

TEST(ConversionsTest, DecimalWritesPlainDigits) {
  EXPECT_EQ(decimal(std::int64_t{0}), L"0");
  EXPECT_EQ(decimal(std::int64_t{-42}), L"-42");
  EXPECT_EQ(decimal(std::int64_t{2147483648LL}), L"2147483648");
  EXPECT_EQ(decimal(std::uint32_t{4294967295U}), L"4294967295");
}

TEST(ConversionsTest, TrimSpacesRemovesOnlySpaces) {
  EXPECT_EQ(trimSpaces(L"  60 "), L"60");
  EXPECT_EQ(trimSpaces(L"    "), L"");
  EXPECT_EQ(trimSpaces(L""), L"");
  EXPECT_EQ(trimSpaces(L"\t6 0\t"), L"\t6 0\t");
}

TEST(ConversionsTest, CutFollowsSubstringBounds) {
  EXPECT_EQ(cut(L"abcdef", 2, 2), L"cd");
  EXPECT_EQ(cut(L"abc", 1, 10), L"bc");
  EXPECT_EQ(cut(L"abc", 3, 2), L"");
  EXPECT_THROW(cut(L"abc", 4, 1), std::out_of_range);
}

}  // namespace
}  // namespace kj
