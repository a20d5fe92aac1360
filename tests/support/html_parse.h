#pragma once
// Markup read as a browser reads it (gumbo, an HTML5 parser): the elements of
// a page or of table cells, with their attributes decoded and the text they
// hold, so that a test sees the value a browser would show and post back.
#include <gumbo.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qe_test {

struct HtmlElement {
  std::string tag;  // lower case
  std::map<std::string, std::string> attributes;  // names lower case, values decoded
  std::string text;  // the text it holds, decoded (a text area's value, an option's caption)
  bool Has(const std::string& name) const { return attributes.count(name) != 0; }
  std::string Attribute(const std::string& name) const {
    auto it = attributes.find(name);
    return it == attributes.end() ? std::string() : it->second;
  }
};

class ParsedHtml {
 public:
  // A whole page, or cells (then `in_row` places them in a table row, as
  // the pages that write them do).
  explicit ParsedHtml(const std::string& markup, bool in_row = false) {
    const std::string page = in_row ? "<table><tr>" + markup + "</tr></table>" : markup;
    output_.reset(gumbo_parse_with_options(&kGumboDefaultOptions, page.data(), page.size()));
    Walk(output_->root);
  }

  const std::vector<HtmlElement>& Elements() const { return elements_; }
  std::vector<HtmlElement> WithTag(const std::string& tag) const {
    std::vector<HtmlElement> found;
    for (const auto& e : elements_)
      if (e.tag == tag) found.push_back(e);
    return found;
  }
  // Elements with this name attribute (form controls), in order.
  std::vector<HtmlElement> Named(const std::string& name) const {
    std::vector<HtmlElement> found;
    for (const auto& e : elements_)
      if (e.Attribute("name") == name) found.push_back(e);
    return found;
  }

 private:
  struct Free {
    void operator()(GumboOutput* output) const { gumbo_destroy_output(&kGumboDefaultOptions, output); }
  };

  static void CollectText(const GumboNode* node, std::string& text) {
    if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE || node->type == GUMBO_NODE_CDATA) {
      text += node->v.text.text;
    } else if (node->type == GUMBO_NODE_ELEMENT) {
      const GumboVector& children = node->v.element.children;
      for (unsigned i = 0; i < children.length; ++i) CollectText(static_cast<const GumboNode*>(children.data[i]), text);
    }
  }

  void Walk(const GumboNode* node) {
    if (node->type != GUMBO_NODE_ELEMENT) return;
    const GumboElement& element = node->v.element;
    HtmlElement out;
    if (element.tag == GUMBO_TAG_UNKNOWN) {
      GumboStringPiece name = element.original_tag;
      gumbo_tag_from_original_text(&name);
      out.tag.assign(name.data, name.length);
      for (char& c : out.tag) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else {
      out.tag = gumbo_normalized_tagname(element.tag);
    }
    for (unsigned i = 0; i < element.attributes.length; ++i) {
      const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
      out.attributes.emplace(attribute->name, attribute->value);
    }
    CollectText(node, out.text);
    elements_.push_back(std::move(out));
    for (unsigned i = 0; i < element.children.length; ++i) Walk(static_cast<const GumboNode*>(element.children.data[i]));
  }

  std::unique_ptr<GumboOutput, Free> output_;
  std::vector<HtmlElement> elements_;
};

}  // namespace qe_test
