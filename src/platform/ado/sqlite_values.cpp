#include "platform/ado/sqlite_values.h"

#include <limits>

#include "platform/ado/jet_dates.h"
#include "platform/vb/convert.h"

namespace ado {
namespace {

vb::Variant FromInteger(sqlite3_int64 n) {
  if (n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max())
    return vb::Variant(static_cast<int32_t>(n));
  return vb::Variant(static_cast<double>(n));
}

vb::Variant FromBlob(const void* data, int bytes) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  return vb::Variant(vb::Array::OfBytes(std::vector<uint8_t>(p, p + (bytes > 0 ? bytes : 0))));
}

vb::String FromText16(const void* data, int bytes) {
  const char16_t* p = static_cast<const char16_t*>(data);
  return p ? vb::String(p, static_cast<size_t>(bytes) / 2) : vb::String();
}

// What a variant becomes in the database.
template <class Sink>
void Store(const vb::Variant& v, Sink&& sink) {
  switch (v.Type()) {
    case vb::vbEmpty:
    case vb::vbNull: sink.Null(); return;
    case vb::vbInteger: sink.Int(v.As<int16_t>()); return;
    case vb::vbLong: sink.Int(v.As<int32_t>()); return;
    case vb::vbByte: sink.Int(v.As<uint8_t>()); return;
    case vb::vbBoolean: sink.Int(v.As<vb::Boolean>().value ? -1 : 0); return;
    case vb::vbSingle: sink.Real(v.As<float>()); return;
    case vb::vbDouble: sink.Real(v.As<double>()); return;
    case vb::vbCurrency: {
      // A whole amount as an integer, every digit kept; any other as the
      // nearest real, as SQL compares and sums it.
      const vb::Currency c = v.As<vb::Currency>();
      if (c.scaled % 10000 == 0) sink.Int(c.scaled / 10000);
      else sink.Real(vb::CurrencyToDouble(c));
      return;
    }
    case vb::vbDate: sink.Text(jet::StoredDateText(v.As<vb::Date>())); return;
    case vb::vbString: sink.Text16(v.As<vb::String>()); return;
    default:
      if (v.IsArray() && v.As<vb::Array>().IsBytes()) {
        sink.Blob(v.As<vb::Array>().Bytes());
        return;
      }
      sink.Text16(vb::CStr(v));  // raises for what has no text
  }
}

struct BindSink {
  sqlite3_stmt* stmt;
  int index;
  void Null() { sqlite3_bind_null(stmt, index); }
  void Int(sqlite3_int64 n) { sqlite3_bind_int64(stmt, index, n); }
  void Real(double d) { sqlite3_bind_double(stmt, index, d); }
  void Text(const std::string& s) {
    sqlite3_bind_text(stmt, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
  }
  void Text16(const vb::String& s) {
    sqlite3_bind_text16(stmt, index, s.data(), static_cast<int>(s.size() * 2), SQLITE_TRANSIENT);
  }
  void Blob(const std::vector<uint8_t>& b) {
    sqlite3_bind_blob(stmt, index, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
  }
};

struct ResultSink {
  sqlite3_context* ctx;
  void Null() { sqlite3_result_null(ctx); }
  void Int(sqlite3_int64 n) { sqlite3_result_int64(ctx, n); }
  void Real(double d) { sqlite3_result_double(ctx, d); }
  void Text(const std::string& s) {
    sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
  }
  void Text16(const vb::String& s) {
    sqlite3_result_text16(ctx, s.data(), static_cast<int>(s.size() * 2), SQLITE_TRANSIENT);
  }
  void Blob(const std::vector<uint8_t>& b) {
    sqlite3_result_blob(ctx, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
  }
};

}  // namespace

vb::Variant UntypedValue(sqlite3_value* value) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER: return FromInteger(sqlite3_value_int64(value));
    case SQLITE_FLOAT: return vb::Variant(sqlite3_value_double(value));
    case SQLITE_TEXT: return vb::Variant(TextOf(value));
    case SQLITE_BLOB: return FromBlob(sqlite3_value_blob(value), sqlite3_value_bytes(value));
    default: return vb::Variant::Null();
  }
}

vb::Variant UntypedColumn(sqlite3_stmt* stmt, int column) {
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER: return FromInteger(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT: return vb::Variant(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT: {
      const void* p = sqlite3_column_text16(stmt, column);
      return vb::Variant(FromText16(p, sqlite3_column_bytes16(stmt, column)));
    }
    case SQLITE_BLOB: return FromBlob(sqlite3_column_blob(stmt, column), sqlite3_column_bytes(stmt, column));
    default: return vb::Variant::Null();
  }
}

vb::String TextOf(sqlite3_value* value) {
  const void* p = sqlite3_value_text16(value);
  return FromText16(p, sqlite3_value_bytes16(value));
}

std::string Utf8(sqlite3_value* value) {
  const unsigned char* p = sqlite3_value_text(value);
  return p ? std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(sqlite3_value_bytes(value)))
           : std::string();
}

void BindVariant(sqlite3_stmt* stmt, int index, const vb::Variant& value) {
  Store(value, BindSink{stmt, index});
}

void ResultVariant(sqlite3_context* context, const vb::Variant& value) {
  Store(value, ResultSink{context});
}

}  // namespace ado
