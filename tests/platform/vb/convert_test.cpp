#include "platform/vb/convert.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/vb/datetime.h"
#include "raises.h"

namespace vb {
namespace {

// An expected result: a value, or the number of the error raised.
template <class T>
struct Outcome {
  T value{};
  int32_t error = 0;
  Outcome(T v) : value(v) {}
  Outcome(int32_t e, bool) : error(e) {}
};

template <class T, class F>
void Check(const Variant& input, const Outcome<T>& want, F convert, const char* what) {
  SCOPED_TRACE(std::string(what) + " of " + (input.IsString() ? ToUtf8(input.As<String>()) : "a value"));
  if (want.error == 0) {
    try {
      EXPECT_EQ(convert(input), want.value);
    } catch (const Error& e) {
      ADD_FAILURE() << "raised " << e.Number();
    }
  } else {
    EXPECT_EQ(vb_test::ErrorOf([&] { convert(input); }), want.error);
  }
}

template <class T>
Outcome<T> Err(int32_t n) {
  return Outcome<T>(n, true);
}

TEST(Convert, CInt) {
  struct Case {
    Variant input;
    Outcome<int16_t> want;
  } cases[] = {
      {32767, int16_t{32767}},
      {32768, Err<int16_t>(6)},
      {-32768, int16_t{-32768}},
      {-32769, Err<int16_t>(6)},
      {32767.5, Err<int16_t>(6)},  // rounds to 32768
      {-32768.5, int16_t{-32768}},  // ties go to the even neighbour
      {2.5, int16_t{2}},
      {3.5, int16_t{4}},
      {-2.5, int16_t{-2}},
      {-3.5, int16_t{-4}},
      {2.5000001, int16_t{3}},
      {u"1,000", int16_t{1000}},
      {u" 12 ", int16_t{12}},
      {u"&H10", int16_t{16}},
      {u"&HFFFF", int16_t{-1}},
      {u"&h7fff", int16_t{32767}},
      {u"&O17", int16_t{15}},
      {u"&H10000", Err<int16_t>(6)},
      {u"1e3", int16_t{1000}},
      {u"2.5", int16_t{2}},
      {u"(5)", int16_t{-5}},
      {u"12-", int16_t{-12}},
      {u"\uFFE512", int16_t{12}},
      {u"\u00A5 12", int16_t{12}},
      {u"", Err<int16_t>(13)},
      {u"abc", Err<int16_t>(13)},
      {u"$12", Err<int16_t>(13)},
      {Variant(), int16_t{0}},
      {Variant::Null(), Err<int16_t>(94)},
      {true, int16_t{-1}},
      {Currency{25000}, int16_t{2}},
      {Currency{35000}, int16_t{4}},
      {Currency{-25000}, int16_t{-2}},
      {Variant::Nothing(), Err<int16_t>(91)},
  };
  for (const auto& c : cases) Check(c.input, c.want, [](const Variant& v) { return CInt(v); }, "CInt");
}

TEST(Convert, CLng) {
  struct Case {
    Variant input;
    Outcome<int32_t> want;
  } cases[] = {
      {2147483647.0, int32_t{2147483647}},
      {2147483647.5, Err<int32_t>(6)},
      {2147483648.0, Err<int32_t>(6)},
      {-2147483648.0, int32_t{-2147483647 - 1}},
      {-2147483648.5, int32_t{-2147483647 - 1}},
      {-2147483649.0, Err<int32_t>(6)},
      {u"2147483647", int32_t{2147483647}},
      {u"2147483648", Err<int32_t>(6)},
      {u"&HFFFF", int32_t{-1}},
      {u"&H10000", int32_t{65536}},
      {u"&HFFFFFFFF", int32_t{-1}},
      {u"&H7FFFFFFF", int32_t{2147483647}},
      {u"&H100000000", Err<int32_t>(13)},
      {u"1,234,567", int32_t{1234567}},
      {u"-  5", int32_t{-5}},
      {0.5, int32_t{0}},
      {1.5, int32_t{2}},
      {Date{45296.75}, int32_t{45297}},
      {uint8_t{255}, int32_t{255}},
  };
  for (const auto& c : cases) Check(c.input, c.want, [](const Variant& v) { return CLng(v); }, "CLng");
}

TEST(Convert, CByte) {
  struct Case {
    Variant input;
    Outcome<uint8_t> want;
  } cases[] = {
      {255, uint8_t{255}}, {256, Err<uint8_t>(6)},     {-1, Err<uint8_t>(6)},
      {254.5, uint8_t{254}}, {255.5, Err<uint8_t>(6)}, {-0.5, uint8_t{0}},
      {true, Err<uint8_t>(6)}, {u"7", uint8_t{7}},
  };
  for (const auto& c : cases) Check(c.input, c.want, [](const Variant& v) { return CByte(v); }, "CByte");
}

TEST(Convert, CBool) {
  struct Case {
    Variant input;
    Outcome<bool> want;
  } cases[] = {
      {u"True", true},         {u"false", false},        {u" TRUE ", true},
      {u"#FALSE#", false},     {u"0", false},            {u"1", true},
      {u"-1", true},           {u"0.0", false},          {u"abc", Err<bool>(13)},
      {u"", Err<bool>(13)},    {u"yes", Err<bool>(13)},  {u"2024-1-5", Err<bool>(13)},
      {Variant(), false},      {Variant::Null(), Err<bool>(94)},
      {0.0, false},            {0.1, true},              {Currency{1}, true},
  };
  for (const auto& c : cases) Check(c.input, c.want, [](const Variant& v) { return CBool(v); }, "CBool");
}

TEST(Convert, CDblReadsVbNumbers) {
  struct Case {
    Variant input;
    Outcome<double> want;
  } cases[] = {
      {u"1,000.5", 1000.5},        {u"1e3", 1000.0},         {u"-1.5E-2", -0.015},
      {u".5", 0.5},                {u"5.", 5.0},             {u"1d2", 100.0},
      {u"+7", 7.0},                {u"7+", 7.0},             {u"\t8\t", 8.0},
      {u"&O17", 15.0},             {u"1 000", Err<double>(13)},
      {u"1.2.3", Err<double>(13)}, {u"--1", Err<double>(13)}, {u"(-1)", Err<double>(13)},
      {u"1-2", Err<double>(13)},   {u"-1-", Err<double>(13)}, {u"1e", Err<double>(13)},
      {u",5", Err<double>(13)},    {u".", Err<double>(13)},   {u"-", Err<double>(13)},
      {u"1e400", Err<double>(13)}, {u"&H", Err<double>(13)},  {u"&HG", Err<double>(13)},
      {u"1.5,0", Err<double>(13)},
      // A date text is no number.
      {u"2024-1-5", Err<double>(13)},
      {Currency{12345}, 1.2345},   {Date{1.5}, 1.5},          {true, -1.0},
  };
  for (const auto& c : cases) Check(c.input, c.want, [](const Variant& v) { return CDbl(v); }, "CDbl");
}

TEST(Convert, CCurAndCSng) {
  EXPECT_EQ(CCur(u"1,234.5678").scaled, 12345678);
  EXPECT_EQ(CCur(1.23456).scaled, 12346);
  EXPECT_EQ(CCur(int16_t{-3}).scaled, -30000);
  EXPECT_RAISES(6, CCur(1e15));
  // Scaled exactly, not through a product of doubles.
  EXPECT_EQ(CCur(922337203685477.0).scaled, 9223372036854770000);
  EXPECT_RAISES(6, CCur(922337203685477.625));
  // The doubles nearest to the limits stand for them.
  EXPECT_EQ(CurrencyOfDouble(CurrencyToDouble(Currency{INT64_MAX})), Currency{INT64_MAX});
  EXPECT_EQ(CurrencyOfDouble(CurrencyToDouble(Currency{INT64_MIN})), Currency{INT64_MIN});
  EXPECT_EQ(CurrencyOfDouble(922337203685478.0), std::nullopt);
  EXPECT_FLOAT_EQ(CSng(u"0.25"), 0.25f);
  EXPECT_RAISES(6, CSng(1e39));
}

TEST(Convert, CDate) {
  EXPECT_EQ(CDate(u"2024-1-5").serial, 45296.0);
  EXPECT_EQ(CDate(u"45296").serial, 45296.0);
  EXPECT_EQ(CDate(45296.5).serial, 45296.5);
  EXPECT_RAISES(13, CDate(u"abc"));
  EXPECT_RAISES(13, CDate(u"2023-2-29"));
  EXPECT_RAISES(6, CDate(3e6));
  EXPECT_RAISES(6, CDate(u"3000000"));
  EXPECT_RAISES(94, CDate(Variant::Null()));
}

TEST(Convert, CStrOfNumbers) {
  struct Case {
    Variant input;
    const char16_t* want;
  } cases[] = {
      {1.0 / 3, u"0.333333333333333"},
      {2.0 / 3, u"0.666666666666667"},
      {1e15, u"1E+15"},
      {1e16, u"1E+16"},
      {123456789012345.0, u"123456789012345"},
      {999999999999999.0, u"999999999999999"},
      {0.00001, u"1E-05"},
      {0.0001, u"0.0001"},
      {0.1 + 0.2, u"0.3"},
      {-1.5, u"-1.5"},
      {100.0, u"100"},
      {-0.0, u"0"},
      {2.5e-10, u"2.5E-10"},
      {1.7976931348623157e308, u"1.79769313486232E+308"},
      {-1234567.125, u"-1234567.125"},
      {static_cast<float>(1.0 / 3), u"0.3333333"},
      {1e7f, u"1E+07"},
      {1234567.0f, u"1234567"},
      {Currency{12345000}, u"1234.5"},
      {Currency{-5}, u"-0.0005"},
      {Currency{0}, u"0"},
      {Currency{INT64_MIN}, u"-922337203685477.5808"},
      {int16_t{-32768}, u"-32768"},
      {int32_t{2147483647}, u"2147483647"},
      {uint8_t{200}, u"200"},
      {true, u"True"},
      {false, u"False"},
      {Variant(), u""},
      {ErrorCode{5}, u"Error 5"},
  };
  for (const auto& c : cases) EXPECT_EQ(CStr(c.input), c.want);
  EXPECT_RAISES(94, CStr(Variant::Null()));
  EXPECT_RAISES(91, CStr(Variant::Nothing()));
}

TEST(Convert, CStrOfDates) {
  EXPECT_EQ(CStr(DateFromParts({2024, 1, 5})), u"2024/1/5");
  EXPECT_EQ(CStr(DateFromParts({2024, 12, 25, 9, 5, 3})), u"2024/12/25 9:05:03");
  EXPECT_EQ(CStr(DateFromParts({2024, 1, 5, 0, 0, 1})), u"2024/1/5 0:00:01");
  EXPECT_EQ(CStr(Date{0.5}), u"12:00:00");
  EXPECT_EQ(CStr(Date{0}), u"0:00:00");
  EXPECT_EQ(CStr(Date{-1.25}), u"1899/12/29 6:00:00");
  EXPECT_EQ(CStr(Date{1}), u"1899/12/31");
}

TEST(Convert, CoerceToFollowsTheConversions) {
  EXPECT_EQ(CoerceTo(Variant(u"12"), vbLong), Variant(int32_t{12}));
  EXPECT_EQ(CoerceTo(Variant(int16_t{1}), vbString), Variant(u"1"));
  EXPECT_EQ(CoerceTo(Variant(u"true"), vbBoolean), Variant(true));
  EXPECT_RAISES(13, CoerceTo(Variant(u"x"), vbObject));
}

}  // namespace
}  // namespace vb
