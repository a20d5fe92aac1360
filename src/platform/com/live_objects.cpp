#include "platform/com/live_objects.h"

#include <atomic>

namespace com {
namespace {

std::atomic<int64_t> g_live_objects{0};

}  // namespace

void CountObject(int delta) { g_live_objects += delta; }

int64_t LiveObjects() { return g_live_objects.load(); }

}  // namespace com
