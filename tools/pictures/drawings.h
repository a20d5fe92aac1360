#pragma once
// The drawings a list entry can name: each paints a whole picture of the
// entry's size, in the entry's style, with the entry's text.
#include <string>
#include <vector>

#include "canvas.h"
#include "picture_list.h"
#include "text.h"

namespace pictures {

// Draws the entry; raises std::runtime_error for a drawing or style that does
// not exist, or text that the drawing needs and lacks.
void Draw(Canvas& canvas, Font& font, const Entry& entry);

// The names of the drawings, for messages.
std::vector<std::string> DrawingNames();

}  // namespace pictures
