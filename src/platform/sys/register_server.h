#pragma once
// Registering a class library ("regsvr32 /s library"), for the libraries of
// this platform: a class library is a text file whose first line is
// "QE-CLASS-LIBRARY" and whose further lines are "ProgID<TAB>ClassID", one per
// class. Registering writes those classes to the registry file
// (com/registry.h) with the library's host path; CreateObject then creates
// such a class with the class of this process that carries its class id.
#include <string>
#include <utility>
#include <vector>

#include "platform/vb/string.h"

namespace sys {

inline constexpr char kClassLibraryTag[] = "QE-CLASS-LIBRARY";

// The text of a class library listing the classes given as (ProgID, ClassID).
std::string ClassLibraryText(const std::vector<std::pair<vb::String, vb::String>>& classes);

// Registers the library at the (Windows) path; false, registering nothing,
// when it cannot be read or is no class library.
bool RegisterServer(vb::StringView library_path);

}  // namespace sys
