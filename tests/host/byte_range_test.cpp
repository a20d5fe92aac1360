// The one range of a static file that a Range header can ask for.
#include "host/byte_range.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using host::ByteRange;

TEST(ByteRange, OneRangeOrTheWholeFileOr416) {
  struct Case {
    std::string header;
    uint64_t size;
    ByteRange::Kind kind;
    uint64_t first = 0, length = 0;
  };
  std::string many = "bytes=0-8191";
  for (int i = 0; i < 800; ++i) many += ",0-8191";
  for (const Case& c : std::initializer_list<Case>{
           {"bytes=0-99", 1000, ByteRange::kPart, 0, 100},
           {"bytes=990-2000", 1000, ByteRange::kPart, 990, 10},   // the end is cut to the file
           {"bytes=999-999", 1000, ByteRange::kPart, 999, 1},
           {"bytes=100-", 1000, ByteRange::kPart, 100, 900},
           {"bytes=0-", 1000, ByteRange::kPart, 0, 1000},
           {"bytes=-100", 1000, ByteRange::kPart, 900, 100},
           {"bytes=-5000", 1000, ByteRange::kPart, 0, 1000},      // more than there is: all of it
           {"BYTES=5-9", 1000, ByteRange::kPart, 5, 5},
           {"bytes = 0 - 1", 1000, ByteRange::kWhole},           // blanks the grammar has no room for
           {"bytes=0 -1", 1000, ByteRange::kWhole},
           {"bytes=0-99999999999999999999999", 1000, ByteRange::kPart, 0, 1000},
           {"bytes=1000-", 1000, ByteRange::kUnsatisfiable},      // starts past the end
           {"bytes=5000-6000", 1000, ByteRange::kUnsatisfiable},
           {"bytes=99999999999999999999999-", 1000, ByteRange::kUnsatisfiable},
           {"bytes=-0", 1000, ByteRange::kUnsatisfiable},
           {"bytes=0-", 0, ByteRange::kUnsatisfiable},            // an empty file has no bytes to give
           {"bytes=-1", 0, ByteRange::kUnsatisfiable},
           {many, 8192, ByteRange::kWhole},                       // several ranges: the file once
           {"bytes=0-1,5-6", 1000, ByteRange::kWhole},
           {"bytes=9-5", 1000, ByteRange::kWhole},                // not a range: ignored
           {"bytes=a-b", 1000, ByteRange::kWhole},
           {"bytes=5", 1000, ByteRange::kWhole},
           {"bytes=--5", 1000, ByteRange::kWhole},
           {"items=0-5", 1000, ByteRange::kWhole},
           {"", 1000, ByteRange::kWhole},
       }) {
    ByteRange range = host::ReadByteRange(c.header, c.size);
    EXPECT_EQ(range.kind, c.kind) << c.header.substr(0, 40) << " of " << c.size;
    if (c.kind != ByteRange::kPart) continue;
    EXPECT_EQ(range.first, c.first) << c.header;
    EXPECT_EQ(range.length, c.length) << c.header;
  }
}

}  // namespace
