#include "host/content_types.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace host {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 37> kTypes{{
    {"htm", "text/html"},
    {"html", "text/html"},
    {"css", "text/css"},
    {"js", "application/x-javascript"},
    {"txt", "text/plain"},
    {"xml", "text/xml"},
    {"xsl", "text/xml"},
    {"gif", "image/gif"},
    {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},
    {"jpe", "image/jpeg"},
    {"png", "image/png"},
    {"bmp", "image/bmp"},
    {"ico", "image/x-icon"},
    {"svg", "image/svg+xml"},
    {"swf", "application/x-shockwave-flash"},
    {"flv", "video/x-flv"},
    {"mp3", "audio/mpeg"},
    {"wav", "audio/wav"},
    {"wma", "audio/x-ms-wma"},
    {"mid", "audio/mid"},
    {"avi", "video/x-msvideo"},
    {"wmv", "video/x-ms-wmv"},
    {"mp4", "video/mp4"},
    {"mpg", "video/mpeg"},
    {"pdf", "application/pdf"},
    {"doc", "application/msword"},
    {"xls", "application/vnd.ms-excel"},
    {"ppt", "application/vnd.ms-powerpoint"},
    {"rtf", "application/rtf"},
    {"zip", "application/x-zip-compressed"},
    {"rar", "application/octet-stream"},
    {"7z", "application/octet-stream"},
    {"chm", "application/octet-stream"},
    {"woff", "font/woff"},
    {"woff2", "font/woff2"},
    {"ttf", "font/ttf"},
}};

}  // namespace

std::optional<std::string_view> ContentTypeOf(std::string_view file_name) {
  size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos || file_name.find('/', dot) != std::string_view::npos) return std::nullopt;
  std::string extension(file_name.substr(dot + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const auto& [name, type] : kTypes)
    if (name == extension) return type;
  return std::nullopt;
}

}  // namespace host
