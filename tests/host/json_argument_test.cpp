// `qe call --json`: arguments for Variant parameters read as JSON, and the
// pie chart printed from a shell.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>

#include "editors/kesra_chart_pie.h"
#include "host/json_argument.h"
#include "qe_command.h"

namespace {

using host::JsonArgument;

TEST(JsonArgument, NumbersTakeTheTypeOfAVbLiteral) {
  const std::pair<const char*, vb::Variant> cases[] = {
      {"0", vb::Variant(int16_t{0})},           {"-32768", vb::Variant(int16_t{-32768})},
      {"32767", vb::Variant(int16_t{32767})},   {"32768", vb::Variant(int32_t{32768})},
      {"-2147483648", vb::Variant(int32_t{INT32_MIN})}, {"2147483648", vb::Variant(2147483648.0)},
      {"18446744073709551615", vb::Variant(18446744073709551615.0)},
      {"1.0", vb::Variant(1.0)},                {"2.5e3", vb::Variant(2500.0)},
      {"\"甲\\n\"", vb::Variant(u"甲\n")},       {"\"12\"", vb::Variant(u"12")},
      {"true", vb::Variant(true)},              {"false", vb::Variant(false)},
      {"null", vb::Variant::Null()},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(JsonArgument(text), value) << text;
}

TEST(JsonArgument, ArraysOfArraysAreTablesWithShortRowsPadded) {
  const vb::Variant table = JsonArgument(R"([[0,0,0],[0,1,"甲"],[2]])");
  ASSERT_TRUE(table.IsArray());
  const vb::Array& a = table.As<vb::Array>();
  EXPECT_EQ(a.Dimensions(), 2);
  EXPECT_EQ(a.LBound(1), 0);
  EXPECT_EQ(a.UBound(1), 2);
  EXPECT_EQ(a.LBound(2), 0);
  EXPECT_EQ(a.UBound(2), 2);
  EXPECT_EQ(a.Get({1, 2}), vb::Variant(u"甲"));
  EXPECT_EQ(a.Get({2, 0}), vb::Variant(int16_t{2}));
  EXPECT_TRUE(a.Get({2, 1}).IsEmpty());
  EXPECT_TRUE(a.Get({2, 2}).IsEmpty());

  const vb::Array list = JsonArgument("[1,\"a\",null]").As<vb::Array>();
  EXPECT_EQ(list.Dimensions(), 1);
  EXPECT_EQ(list.UBound(1), 2);
  EXPECT_EQ(JsonArgument("[]").As<vb::Array>().UBound(1), -1);
  EXPECT_EQ(JsonArgument("[[]]").As<vb::Array>().UBound(2), -1);
}

TEST(JsonArgument, WhatHasNoVbValueIsRefused) {
  for (const char* text : {"", "[1,", "{\"a\":1}", "[[1],2]", "[[[1]]]", "[{}]", "甲", "1 2"}) {
    try {
      JsonArgument(text);
      ADD_FAILURE() << text;
    } catch (const vb::Error& e) {
      EXPECT_EQ(e.Number(), vb::kInvalidProcedureCall) << text;
      EXPECT_NE(vb::ToUtf8(e.Description()).find("JSON argument"), std::string::npos);
    }
  }
}

TEST(QeProgramJson, PrintsThePieOfATableGivenAsJson) {
  std::string pattern = (std::filesystem::temp_directory_path() / "qe-call-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const std::string call = "call --site '" + pattern + "' --json ";
  vb::Variant table = JsonArgument(R"([[0,0,0],[0,1,"甲"],[0,3,"乙"]])");
  const std::string pie = vb::ToUtf8(qe::KesraTableChart3(table, 0, u"20", 200, 200, u"A"));
  EXPECT_EQ(qe_command::RunQe(call + "CommTableChart3 '[[0,0,0],[0,1,\"甲\"],[0,3,\"乙\"]]' 0 20 200 200 A"), pie + "\n");
  EXPECT_NE(pie.find("25.00%"), std::string::npos);
  // Texts for other parameters stay texts; a bad table is a clear error.
  EXPECT_EQ(qe_command::RunQe(call + "CommTableChart3 '[[0,0,0],[0,1,\"甲\"]' 0 20 200 200 A").rfind("error 5: JSON argument", 0),
            0u);
  EXPECT_EQ(qe_command::RunQe("call --site '" + pattern + "' CommTableChart3 '[[0]]' 0 20 200 200 A"),
            "error 13: Type mismatch\n");
  std::filesystem::remove_all(pattern);
}

}  // namespace
