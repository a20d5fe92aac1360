#include "platform/platform_classes.h"

#include "platform/ado/ado.h"
#include "platform/regex/regexp.h"

namespace platform {

// Each area adds its registration call here.
void RegisterPlatformClasses() {
  regex::RegisterClasses();
  ado::RegisterClasses();
}

}  // namespace platform
