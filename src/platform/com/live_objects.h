#pragma once
// Objects of the component alive in this process: every class counts itself
// in and out, and the library's unload entry point asks whether any is left.
#include <cstdint>

namespace com {

void CountObject(int delta);
int64_t LiveObjects();

}  // namespace com
