#include "platform/platform_classes.h"

namespace platform {

// Each area adds its registration call here.
void RegisterPlatformClasses() {}

}  // namespace platform
