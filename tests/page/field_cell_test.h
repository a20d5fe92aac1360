#pragma once
// One field of a form, with the arguments a page passes to the cell renderer
// (what a test leaves alone is a plain type-1 field of a new record), and
// the current row it reads.
#include <memory>
#include <utility>
#include <vector>

#include "page/kesra_show_td.h"
#include "page/page_objects.h"

namespace page_test {

struct FieldArgs {
  int16_t type = 1;
  int32_t width = 200;
  int32_t height = 5;
  int16_t colspan = 1;
  vb::String title = u"allnull";
  vb::String name = u"n";
  vb::String field = u"f";
  int16_t pop_allow = 0;
  vb::String pop_field;
  int16_t state = 1;
  int16_t allow_edit = 1;
  vb::String star;
  vb::String title_color, value_color, td_title;
  int16_t div_height = -1;
  int16_t allow_empty = 1;
};

// Rs holding one row: column "f" with `value` (and any other columns given).
inline vb::Variant RowOf(vb::Variant value, std::vector<std::pair<vb::String, vb::Variant>> more = {}) {
  more.insert(more.begin(), {u"f", std::move(value)});
  return vb::Variant(std::make_shared<RowRecordset>(std::move(more)));
}

inline vb::String Td(const FieldArgs& a, vb::Variant rs = vb::Variant(u""), vb::Variant conn = vb::Variant(u"")) {
  return qe::KesraShowTd(conn, rs, a.type, a.width, a.height, a.colspan, a.title, a.name, a.field, a.pop_allow,
                         a.pop_field, a.state, a.allow_edit, a.star, a.title_color, a.value_color, a.td_title,
                         a.div_height, u"", a.allow_empty);
}

}  // namespace page_test
