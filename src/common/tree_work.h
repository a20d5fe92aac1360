#pragma once
// What a browser's tree builder goes through for a text, counted before the
// text is read: its tags, start and end, the depth its open elements reach,
// those open elements summed over the tags, and the elements it makes. The
// builder's time grows with the sum (an end tag that closes nothing, a block
// that looks for a p to close, looks through the open elements) and with the
// elements, so a text must be within all four before it is given to a reader.
//
// The sum holds the builder's other looks and comparisons too: the pairs of
// attribute names it compares (among a tag's own, and between a new
// formatting element and each earlier one of its name since the last marker,
// as it keeps at most three alike); for a formatting element's end tag, the
// moves of its adoption past the blocks opened after it (up to 8); and, for
// each character of text while formatting is active, its look through the
// open elements for the latest formatting element (an eighth each).
//
// The depth counts an element as closed only where the builder surely closes
// it: by its own end tag where that reaches it, and by the few start tags
// that close an open p, li, dd, dt, option, cell or row. Formatting elements
// (b, i, font, a ...) count until their own end tag takes them out (no table
// opened after them, fewer than 8 blocks above them) or the cell they stand
// in closes, as the builder keeps and rebuilds them. So it is never much
// below the builder's depth (at most the tbody and tr the builder adds to a
// table), and an editor's document, whose every element is closed by its own
// end tag, reaches just the depth it has.
#include <cstddef>

#include "platform/vb/string.h"

namespace qe {

struct TreeWork {
  size_t tags = 0;    // start and end tags
  size_t depth = 0;   // the deepest the open elements reach
  size_t walked = 0;  // the open elements looked through and the attribute names compared, summed
  size_t made = 0;    // elements: one a start tag; two a </p> or </br> that nothing opened (made and closed)
};

// Counted until one count passes its limit in `most`: then the count stops
// there (one tag past the limit).
TreeWork CountTreeWork(vb::StringView html, const TreeWork& most);

// Whether no count passes its limit.
bool IsWithin(const TreeWork& work, const TreeWork& most);

}  // namespace qe
