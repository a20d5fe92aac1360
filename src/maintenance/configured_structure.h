#pragma once
// What the rebuild reads of a structure configuration, in either form: the
// databases, their tables in order, each column's definition in position
// order and each index, converted as the builders take them.
#include <cstdint>
#include <vector>

#include "platform/vb/variant.h"

namespace qe {

struct ConfiguredColumn {
  vb::String name;
  int32_t type = 0;
  int16_t defined_size = 0;
  bool autoincrement = false;
  bool nullable = true;
  bool allow_zero_length = true;
  vb::String description;
  vb::Variant default_value;
};

struct ConfiguredIndex {
  vb::String name;
  bool primary_key = false;
  bool unique = false;
  bool index_nulls = false;
  vb::String field_list;  // name "|" sort order "," each
};

struct ConfiguredTable {
  vb::String name;
  std::vector<ConfiguredColumn> columns;
  std::vector<ConfiguredIndex> indexes;
};

struct ConfiguredDatabase {
  vb::String name;
  std::vector<ConfiguredTable> tables;
};

// The conversions of a stored text: Trim, then CLng, CInt or CBool (error 13
// for an empty or non-numeric text, 6 past the range).
int32_t StoredLong(const vb::Variant& text);
int16_t StoredInteger(const vb::Variant& text);
bool StoredBoolean(const vb::Variant& text);
// Trim of a text; error 94 for Null.
vb::String StoredText(const vb::Variant& text);

// The items of a stored list ("a,b,c,"): every item before the last ",".
std::vector<vb::String> StoredListItems(const vb::String& list);

}  // namespace qe
