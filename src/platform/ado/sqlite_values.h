#pragma once
// Values between SQLite and vb::Variant.
#include <sqlite3.h>

#include <string>

#include "platform/vb/variant.h"

namespace ado {

// A column value as it is stored, without a declared type: integers as Long
// (Double beyond its range), reals as Double, text as String, blobs as byte
// arrays.
vb::Variant UntypedValue(sqlite3_value* value);
vb::Variant UntypedColumn(sqlite3_stmt* stmt, int column);

// A value's text (UTF-16, as SQLite converts numbers).
vb::String TextOf(sqlite3_value* value);

// Binds a variant to a parameter: Null and Empty as NULL, Boolean as -1/0,
// dates in the stored form, Currency as an integer when whole, else as a
// real, byte arrays as blobs.
void BindVariant(sqlite3_stmt* stmt, int index, const vb::Variant& value);
// The same as a function result.
void ResultVariant(sqlite3_context* context, const vb::Variant& value);

std::string Utf8(sqlite3_value* value);

}  // namespace ado
