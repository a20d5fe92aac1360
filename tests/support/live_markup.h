#pragma once
// What could run in an HTML text, as gumbo (an HTML5 parser of its own, not
// the component's reader) builds it in a <div>: elements that run or load
// script or change how a page reads, handler attributes, and address
// attributes with a scheme a browser would run. Used to hold the script
// filter and the UBB converters to their promise; one line per finding.
#include <gumbo.h>

#include <cctype>

#include <string>
#include <vector>

#include "platform/vb/string.h"

namespace qe_test {

namespace live_markup_detail {

inline std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return text;
}

// The URL parser's scheme: tabs and line breaks removed, leading and trailing
// controls and blanks dropped, then letters, digits, "+", "-", "." up to ":".
inline std::string Scheme(const std::string& value) {
  std::string v;
  for (char c : value)
    if (c != '\t' && c != '\n' && c != '\r') v.push_back(c);
  size_t first = 0, last = v.size();
  while (first < last && static_cast<unsigned char>(v[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(v[last - 1]) <= ' ') --last;
  v = v.substr(first, last - first);
  if (v.empty() || !std::isalpha(static_cast<unsigned char>(v[0]))) return "";
  for (size_t i = 0; i < v.size(); ++i) {
    const char c = v[i];
    if (c == ':') return Lower(v.substr(0, i));
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return "";
  }
  return "";
}

inline bool IsAddressAttribute(const std::string& tag, const std::string& name) {
  for (const char* a : {"href", "src", "action", "formaction", "data", "codebase", "background", "poster", "xlink:href"})
    if (name == a) return true;
  return tag == "param" && name == "value";
}

}  // namespace live_markup_detail

// With `template_handlers`, the two handlers the second converter writes
// (onfocus=this.blur() and the picture's onload) are not findings.
inline std::vector<std::string> LiveMarkup(vb::StringView html, bool template_handlers = false) {
  using namespace live_markup_detail;
  const std::string text = vb::ToUtf8(html);
  GumboOptions options = kGumboDefaultOptions;
  options.fragment_context = GUMBO_TAG_DIV;
  GumboOutput* output = gumbo_parse_with_options(&options, text.data(), text.size());
  std::vector<std::string> found;
  std::vector<GumboNode*> stack{output->root};
  while (!stack.empty()) {
    GumboNode* node = stack.back();
    stack.pop_back();
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE) continue;
    const GumboElement& e = node->v.element;
    std::string tag = e.tag == GUMBO_TAG_UNKNOWN ? "?" : gumbo_normalized_tagname(e.tag);
    if (e.tag_namespace != GUMBO_NAMESPACE_HTML) found.push_back("foreign element " + tag);
    for (const char* bad : {"script", "noscript", "template", "base", "meta", "link", "svg", "math", "frame",
                            "frameset", "applet"})
      if (tag == bad) found.push_back("element " + tag);
    for (unsigned i = 0; i < e.attributes.length; ++i) {
      const auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
      const std::string name = Lower(a->name), value = a->value;
      const bool kept = template_handlers && ((name == "onfocus" && value == "this.blur()") ||
                                              (name == "onload" && value ==
                                                   "JavaScript:if(this.width>screen.width-333)this.width=screen.width-333"));
      if (name.size() > 2 && name.compare(0, 2, "on") == 0 && !kept) found.push_back("handler " + tag + " " + name);
      if (name == "srcdoc") found.push_back("srcdoc on " + tag);
      if (IsAddressAttribute(tag, name)) {
        const std::string scheme = Scheme(value);
        const bool picture_data = tag == "img" && name == "src" && scheme == "data" &&
                                  Lower(value).find("data:image/") != std::string::npos;
        if (!scheme.empty() && !picture_data && scheme != "http" && scheme != "https" && scheme != "ftp" &&
            scheme != "rtsp" && scheme != "mms" && scheme != "mailto")
          found.push_back("address " + tag + " " + name + "=" + value);
      }
    }
    for (unsigned i = 0; i < e.children.length; ++i) stack.push_back(static_cast<GumboNode*>(e.children.data[i]));
  }
  gumbo_destroy_output(&options, output);
  return found;
}

}  // namespace qe_test
