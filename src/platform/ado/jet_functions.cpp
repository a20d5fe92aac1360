#include "platform/ado/jet_functions.h"

#include <cmath>
#include <functional>
#include <string>

#include "platform/ado/jet_dates.h"
#include "platform/ado/sqlite_values.h"
#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/format.h"
#include "platform/vb/numbers.h"
#include "platform/vb/strings.h"

namespace ado::jet {
namespace {

using vb::String;
using vb::Variant;

// A function body: the arguments in, a variant out; a vb::Error becomes the
// statement's error.
using Body = Variant (*)(int argc, sqlite3_value** argv);

template <Body body>
void Call(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  try {
    ResultVariant(ctx, body(argc, argv));
  } catch (const vb::Error& e) {
    std::string message = vb::ToUtf8(e.Description());
    sqlite3_result_error(ctx, message.c_str(), static_cast<int>(message.size()));
  }
}

bool AnyNull(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
  return false;
}

[[noreturn]] void Mismatch() { vb::Raise(vb::kTypeMismatch, u"Data type mismatch in criteria expression."); }

int64_t IntArg(sqlite3_value* v) {
  if (sqlite3_value_type(v) == SQLITE_TEXT) return vb::CLng(Variant(TextOf(v)));
  return static_cast<int64_t>(std::llround(sqlite3_value_double(v)));
}

vb::Date DateArg(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: return vb::Date{sqlite3_value_double(v)};
    case SQLITE_TEXT: {
      vb::Date d;
      if (ParseStoredDate(Utf8(v), d)) return d;
      Mismatch();
    }
    default: Mismatch();
  }
}

Variant AsDateText(vb::Date d) { return Variant(vb::FromUtf8(StoredDateText(d))); }

String Text(sqlite3_value* v) { return TextOf(v); }

Variant Left(int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return Variant::Null();
  return Variant(vb::Left(Text(argv[0]), static_cast<int32_t>(IntArg(argv[1]))));
}

Variant Right(int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return Variant::Null();
  return Variant(vb::Right(Text(argv[0]), static_cast<int32_t>(IntArg(argv[1]))));
}

// InStr([start,] text, sought [, compare]): text comparison unless compare
// is 0, as Jet compares text.
Variant InStr(int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return Variant::Null();
  int base = argc >= 3 ? 1 : 0;
  int32_t start = argc >= 3 ? static_cast<int32_t>(IntArg(argv[0])) : 1;
  vb::CompareMethod compare = argc < 4 || IntArg(argv[3]) != 0 ? vb::vbTextCompare : vb::vbBinaryCompare;
  return Variant(vb::InStr(start, Text(argv[base]), Text(argv[base + 1]), compare));
}

Variant UCase(int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return Variant::Null();
  return Variant(vb::UCase(Text(argv[0])));
}

Variant LCase(int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return Variant::Null();
  return Variant(vb::LCase(Text(argv[0])));
}

// A stored date text is formatted as the date it is.
Variant Format(int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return Variant::Null();
  Variant value = UntypedValue(argv[0]);
  vb::Date date;
  if (value.IsString() && ParseStoredDate(Utf8(argv[0]), date)) value = Variant(date);
  return Variant(vb::Format(value, argc > 1 ? Text(argv[1]) : String()));
}

template <int (*Part)(vb::Date)>
Variant DatePart(int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return Variant::Null();
  return Variant(static_cast<int32_t>(Part(DateArg(argv[0]))));
}

Variant Weekday(int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return Variant::Null();
  int first = argc > 1 ? static_cast<int>(IntArg(argv[1])) : 1;
  return Variant(static_cast<int32_t>(vb::Weekday(DateArg(argv[0]), first)));
}

Variant DateAdd(int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return Variant::Null();
  return AsDateText(vb::DateAdd(Text(argv[0]), sqlite3_value_double(argv[1]), DateArg(argv[2])));
}

Variant DateDiff(int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return Variant::Null();
  int first = argc > 3 ? static_cast<int>(IntArg(argv[3])) : 1;
  int64_t n = vb::DateDiff(Text(argv[0]), DateArg(argv[1]), DateArg(argv[2]), first);
  return n >= INT32_MIN && n <= INT32_MAX ? Variant(static_cast<int32_t>(n)) : Variant(static_cast<double>(n));
}

Variant Now(int, sqlite3_value**) { return AsDateText(vb::Now()); }
Variant Today(int, sqlite3_value**) { return AsDateText(vb::Today()); }
Variant TimeOfDay(int, sqlite3_value**) { return AsDateText(vb::TimeOfDay()); }

// The conversions raise "Invalid use of Null" for Null, as Jet does.
Variant NotNull(sqlite3_value* v) {
  if (sqlite3_value_type(v) == SQLITE_NULL) vb::Raise(vb::kInvalidUseOfNull, u"Invalid use of Null.");
  return UntypedValue(v);
}

Variant CStr(int, sqlite3_value** argv) { return Variant(vb::CStr(NotNull(argv[0]))); }
Variant CLng(int, sqlite3_value** argv) { return Variant(vb::CLng(NotNull(argv[0]))); }
Variant CDbl(int, sqlite3_value** argv) { return Variant(vb::CDbl(NotNull(argv[0]))); }
Variant CDate(int, sqlite3_value** argv) {
  NotNull(argv[0]);
  return AsDateText(DateArg(argv[0]));
}

Variant Val(int, sqlite3_value** argv) {
  Variant v = NotNull(argv[0]);
  return Variant(v.IsString() ? vb::Val(v.As<String>()) : vb::CDbl(v));
}

Variant Int(int, sqlite3_value** argv) { return vb::Int(UntypedValue(argv[0])); }
Variant Fix(int, sqlite3_value** argv) { return vb::Fix(UntypedValue(argv[0])); }
Variant Sgn(int, sqlite3_value** argv) { return vb::Sgn(UntypedValue(argv[0])); }

Variant Round(int argc, sqlite3_value** argv) {
  return vb::Round(UntypedValue(argv[0]), argc > 1 ? static_cast<int>(IntArg(argv[1])) : 0);
}

// Jet's &: the texts of the operands that are not Null; Null when all are.
Variant Concat(int argc, sqlite3_value** argv) {
  String out;
  bool any = false;
  for (int i = 0; i < argc; ++i) {
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) continue;
    any = true;
    out += sqlite3_value_type(argv[i]) == SQLITE_TEXT ? Text(argv[i]) : vb::CStr(UntypedValue(argv[i]));
  }
  return any ? Variant(std::move(out)) : Variant::Null();
}

Variant Nz(int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) != SQLITE_NULL) return UntypedValue(argv[0]);
  return argc > 1 ? UntypedValue(argv[1]) : Variant(String());
}

Variant IsNull(int, sqlite3_value** argv) {
  return Variant(int32_t{sqlite3_value_type(argv[0]) == SQLITE_NULL ? -1 : 0});
}

Variant Space(int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return Variant::Null();
  return Variant(vb::Space(static_cast<int32_t>(IntArg(argv[0]))));
}

struct Function {
  const char* name;
  int args;  // -1: any
  bool deterministic;
  void (*call)(sqlite3_context*, int, sqlite3_value**);
};

const Function kFunctions[] = {
    {"qe_left", 2, true, Call<Left>},
    {"qe_right", 2, true, Call<Right>},
    {"qe_instr", 2, true, Call<InStr>},
    {"qe_instr", 3, true, Call<InStr>},
    {"qe_instr", 4, true, Call<InStr>},
    {"qe_ucase", 1, true, Call<UCase>},
    {"qe_lcase", 1, true, Call<LCase>},
    {"qe_format", 1, true, Call<Format>},
    {"qe_format", 2, true, Call<Format>},
    {"qe_year", 1, true, Call<DatePart<vb::Year>>},
    {"qe_month", 1, true, Call<DatePart<vb::Month>>},
    {"qe_day", 1, true, Call<DatePart<vb::Day>>},
    {"qe_hour", 1, true, Call<DatePart<vb::Hour>>},
    {"qe_minute", 1, true, Call<DatePart<vb::Minute>>},
    {"qe_second", 1, true, Call<DatePart<vb::Second>>},
    {"qe_weekday", 1, true, Call<Weekday>},
    {"qe_weekday", 2, true, Call<Weekday>},
    {"qe_dateadd", 3, true, Call<DateAdd>},
    {"qe_datediff", 3, true, Call<DateDiff>},
    {"qe_datediff", 4, true, Call<DateDiff>},
    {"qe_now", 0, false, Call<Now>},
    {"qe_date", 0, false, Call<Today>},
    {"qe_time", 0, false, Call<TimeOfDay>},
    {"qe_cstr", 1, true, Call<CStr>},
    {"qe_clng", 1, true, Call<CLng>},
    {"qe_cdbl", 1, true, Call<CDbl>},
    {"qe_cdate", 1, true, Call<CDate>},
    {"qe_val", 1, true, Call<Val>},
    {"qe_int", 1, true, Call<Int>},
    {"qe_fix", 1, true, Call<Fix>},
    {"qe_concat", -1, true, Call<Concat>},
    {"qe_nz", 1, true, Call<Nz>},
    {"qe_nz", 2, true, Call<Nz>},
    {"qe_isnull", 1, true, Call<IsNull>},
    {"qe_space", 1, true, Call<Space>},
    {"qe_sgn", 1, true, Call<Sgn>},
    {"qe_round", 1, true, Call<Round>},
    {"qe_round", 2, true, Call<Round>},
};

}  // namespace

void RegisterFunctions(sqlite3* db) {
  for (const Function& f : kFunctions) {
    int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
    sqlite3_create_function_v2(db, f.name, f.args, flags, nullptr, f.call, nullptr, nullptr, nullptr);
  }
}

}  // namespace ado::jet
