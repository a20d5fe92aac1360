#include "platform/platform_classes.h"

#include "platform/ado/ado.h"
#include "platform/chart/chart_space.h"
#include "platform/com/dictionary.h"
#include "platform/fs/file_system_object.h"
#include "platform/net/xml_http.h"
#include "platform/regex/regexp.h"
#include "platform/stream/stream.h"
#include "platform/sys/wscript_shell.h"

namespace platform {

// Each area adds its registration call here.
void RegisterPlatformClasses() {
  regex::RegisterClasses();
  scripting::RegisterClasses();
  scripting::RegisterDictionary();
  stream::RegisterClasses();
  ado::RegisterClasses();
  chart::RegisterClasses();
  sys::RegisterClasses();
  net::RegisterClasses();
}

}  // namespace platform
