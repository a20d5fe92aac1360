#pragma once
// Whether a text is already as the rich-text cleaner writes it, found in one
// pass without reading it into a tree: only kept elements, each closed by its
// own end tag in order, attributes as the cleaner keeps them in double
// quotes, text and values escaped as it escapes them. Such a text acts for
// nobody who views it however a browser builds its tree (the builder only
// moves and copies the elements it is given), so a page writes it as it
// stands. A text the cleaner wrote passes; so does nothing that could run.
#include "common/tree_work.h"
#include "platform/vb/string.h"

namespace qe {

// A text past the limits of `most` (as CountTreeWork counts) does not pass,
// as the cleaner does not read it.
bool IsWrittenRichText(vb::StringView html, const TreeWork& most);

}  // namespace qe
