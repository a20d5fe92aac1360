#pragma once
// The version resource of a program file (PE: .exe, .dll), read as Windows'
// version functions read it.
//
//   std::string block;
//   if (sys::GetFileVersionInfo(u"C:\\Windows\\System32\\Qe.dll", block)) {
//     auto translation = sys::VerQueryValue(block, u"\\VarFileInfo\\Translation");
//     auto product = sys::VerQueryValue(block, u"\\StringFileInfo\\080404B0\\ProductVersion");
//   }
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/vb/string.h"

namespace sys {

// The size in bytes of the file's version resource; 0 when the file is no
// PE file, has none, or cannot be read.
uint32_t GetFileVersionInfoSize(vb::StringView path);

// The version resource (the VS_VERSIONINFO block) into `block`; false, with
// `block` empty, when there is none.
bool GetFileVersionInfo(vb::StringView path, std::string& block);

// A value of the block by its path of keys ("\" alone, the fixed file
// information; "\VarFileInfo\Translation"; "\StringFileInfo\080404B0\Key"),
// keys compared without case. Text values are UTF-16LE and end at their
// first NUL (left out). std::nullopt when the path names no value.
std::optional<std::string_view> VerQueryValue(std::string_view block, vb::StringView sub_block);

// The text of a text value (UTF-16LE bytes).
vb::String TextOfValue(std::string_view value);

// The version resource of PE bytes; std::nullopt when there is none.
std::optional<std::string_view> FindVersionResource(std::string_view image);

}  // namespace sys
