#pragma once
// The markup pieces of the VML charts as their texts are laid down, for the
// expected texts of the chart tests.
#include <string>

#include "platform/vb/error.h"
#include "platform/vb/raises.h"
#include "platform/vb/string.h"

namespace chart_test {

using vb::String;

inline String S(const std::string& utf8) { return vb::FromUtf8(utf8); }

inline String Line(const std::string& x1, const std::string& y1, const std::string& x2, const std::string& y2) {
  return S("<!--[if gte vml 1]><v:line id='_x0000_s1027' title='' style='position:absolute;left:0;text-align:left;"
           "top:0;flip:y;z-index:-1' from='" + x1 + "px," + y1 + "px' to='" + x2 + "px," + y2 +
           "px'/><![endif]-->");
}
inline String GridLine(const std::string& x1, const std::string& y1, const std::string& x2, const std::string& y2) {
  return S("<!--[if gte vml 1]><v:line id='_x0000_s1027' title='' style='position:absolute;left:0;text-align:left;"
           "top:0;flip:y;z-index:-1' from='" + x1 + "px," + y1 + "px' to='" + x2 + "px," + y2 +
           "px' strokecolor='#69f'/><![endif]-->");
}
inline String Box(const std::string& left, const std::string& top, const std::string& width) {
  return S("<v:shape id='_x0000_s1025' type='#_x0000_t202' title='' style='position:absolute;left:" + left + "px;top:" +
           top + "px;width:" + width + "px;height:18px;z-index:1'>");
}
inline String Cell(const std::string& align, const std::string& text) {
  return S("<v:textbox inset='0px,0px,0px,0px'><table cellspacing='3' cellpadding='0' width='100%' height='100%'>"
           "<tr><td align='" + align + "'>" + text + "</td></tr></table></v:textbox></v:shape>");
}
inline String GridLabel(const std::string& left, const std::string& top, const std::string& g) {
  return S("<!--[if gte vml 1]>") + Box(left, top, "70") + Cell("right", g) + S("<![endif]-->");
}

using vb_test::ErrorOf;

}  // namespace chart_test
