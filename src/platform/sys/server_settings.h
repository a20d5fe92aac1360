#pragma once
// Settings of this server that the component reads (not a site's): each is
// the environment variable QE_<NAME>, UTF-8, unless the process set it.
#include <string_view>

#include "platform/vb/string.h"

namespace sys {

// "" when neither the process nor the environment gives a value.
vb::String ServerSetting(std::string_view name);

// Sets a value for the rest of the process (the host, tests); an empty value
// counts as set.
void SetServerSetting(std::string_view name, vb::StringView value);
// Forgets what the process set: the environment's value counts again.
void ResetServerSetting(std::string_view name);

}  // namespace sys
