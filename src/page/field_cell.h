#pragma once
// What the field-cell renderer's controls share: the field's arguments after
// their defaults, and its stored value read from the record or the literal.
#include <cstdint>
#include <optional>

#include "platform/vb/variant.h"

namespace qe::field_cell {

// States of a form.
inline constexpr int16_t kEditState = 2;
inline constexpr int16_t kShowState = 3;

struct Field {
  vb::Variant* conn = nullptr;
  const vb::Variant* rs = nullptr;
  int16_t type = 0;
  int32_t width = 0;
  int32_t height = 0;
  vb::String title, name, field, pop_field;
  int16_t pop_allow = 0;
  int16_t state = 0;
  int16_t allow_edit = 1;
  int16_t allow_empty = 1;
  vb::String value_color;

  bool Editing() const { return state == kEditState; }
  bool IsLiteral() const;
  // The literal: p_Field without its "$" marks.
  vb::String Literal() const;
  // Rs(p_Field), or the literal as text.
  vb::Variant Stored() const;
  // The stored value as text: the record's trimmed (Null as ""), the literal
  // as it stands or trimmed.
  vb::String StoredText(bool trim_literal) const;
  // The stored value for an attribute or a text area: the record's trimmed
  // and encoded, the literal as the caller wrote it (trimmed when asked).
  vb::String StoredMarkup(bool trim_literal) const;
  // The trimmed stored value that options compare with.
  vb::String Compared() const { return StoredText(true); }
  // " required " when the field may not stay empty.
  vb::String Required() const;
};

// A value read as a Boolean: Booleans and numbers (true when not 0), the
// words True and False in any case; anything else (Null, other text) is
// neither.
std::optional<bool> BooleanOf(const vb::Variant& value);

// Two values that are both numeric and equal once rounded to whole numbers
// (halves to even), whatever their size.
bool EqualWholeNumbers(const vb::Variant& a, const vb::Variant& b);

// The option controls.
vb::String DropDownList(const Field& field);
vb::String Group(const Field& field);
vb::String SuggestionBox(const Field& field);

}  // namespace qe::field_cell
