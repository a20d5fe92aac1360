#include "host/json_argument.h"

#include <boost/json/src.hpp>  // Boost.JSON compiled into this one file
#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/vb/error.h"

namespace host {
namespace {

namespace json = boost::json;

[[noreturn]] void Refuse(const std::string& why) { vb::Raise(vb::kInvalidProcedureCall, vb::FromUtf8("JSON argument: " + why)); }

vb::Variant Whole(double value) {
  if (value >= INT16_MIN && value <= INT16_MAX) return vb::Variant(static_cast<int16_t>(value));
  if (value >= INT32_MIN && value <= INT32_MAX) return vb::Variant(static_cast<int32_t>(value));
  return vb::Variant(value);
}

vb::Variant Scalar(const json::value& value) {
  switch (value.kind()) {
    case json::kind::null: return vb::Variant::Null();
    case json::kind::bool_: return vb::Variant(value.get_bool());
    case json::kind::int64: return Whole(static_cast<double>(value.get_int64()));
    case json::kind::uint64: return Whole(static_cast<double>(value.get_uint64()));
    case json::kind::double_: return vb::Variant(value.get_double());
    case json::kind::string: {
      const json::string& s = value.get_string();
      return vb::Variant(vb::FromUtf8(std::string_view(s.data(), s.size())));
    }
    case json::kind::array: Refuse("arrays nest two deep at most");
    case json::kind::object: Refuse("objects have no VB value");
  }
  Refuse("unknown value");
}

}  // namespace

vb::Variant JsonArgument(std::string_view text) {
  json::error_code error;
  const json::value value = json::parse(json::string_view(text.data(), text.size()), error);
  if (error) Refuse(error.message() + " in " + std::string(text));
  if (!value.is_array()) return Scalar(value);

  const json::array& items = value.get_array();
  size_t rows = 0, columns = 0;
  for (const json::value& item : items) {
    if (!item.is_array()) continue;
    ++rows;
    columns = std::max(columns, item.get_array().size());
  }
  if (rows == 0) {
    std::vector<vb::Variant> list;
    for (const json::value& item : items) list.push_back(Scalar(item));
    return vb::Variant(vb::Array::OfVariants(std::move(list)));
  }
  if (rows != items.size()) Refuse("an array mixes rows with values");
  vb::Array table(vb::vbVariant, {{0, static_cast<int32_t>(rows) - 1}, {0, static_cast<int32_t>(columns) - 1}});
  for (size_t r = 0; r < rows; ++r) {
    const json::array& row = items[r].get_array();
    for (size_t c = 0; c < row.size(); ++c)
      table.Set({static_cast<int32_t>(r), static_cast<int32_t>(c)}, Scalar(row[c]));
  }
  return vb::Variant(std::move(table));
}

}  // namespace host
