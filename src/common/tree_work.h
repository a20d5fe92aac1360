#pragma once
// What a browser's tree builder goes through for a text, counted before the
// text is read: its tags, start and end, and the depth its open elements
// reach. The builder's time grows with the tags times that depth (each end
// tag that closes nothing looks through the open elements), so a text must
// be within both before it is given to a reader.
//
// The depth counts an element as closed only where the builder surely closes
// it: by its own end tag where that reaches it, and by the few start tags
// that close an open p, li, dd, dt, option, cell or row. Formatting elements
// (b, i, font, a ...) count until their own end tag or the cell they stand
// in closes, as the builder keeps and rebuilds them. So it is never much
// below the builder's depth (at most the tbody and tr the builder adds to a
// table), and an editor's document, whose every element is closed by its own
// end tag, reaches just the depth it has.
#include <cstddef>

#include "platform/vb/string.h"

namespace qe {

struct TreeWork {
  size_t tags = 0;   // start and end tags
  size_t depth = 0;  // the deepest the open elements reach
};

// Counted until the tags pass most_tags or the depth passes most_depth:
// then the count stops where it is (one past the limit passed).
TreeWork CountTreeWork(vb::StringView html, size_t most_tags, size_t most_depth);

}  // namespace qe
