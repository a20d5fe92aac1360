// The rich-text cleaner on arbitrary text: it never fails, and what it writes,
// read again by gumbo with the default allocator, holds only the elements
// and attributes it keeps, no handler, and no address that IsPageAddress
// refuses. A text that passes as written comes back as it is, so it is held
// to the same.
#include <gumbo.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/page_address.h"
#include "common/rich_text_cleaner.h"
#include "utf16_input.h"

namespace {

constexpr std::string_view kNeverWritten[] = {"script", "style",  "iframe", "frame", "object", "embed", "meta",
                                              "link",   "base",   "form",   "svg",   "math",   "template",
                                              "input",  "button", "video",  "audio", "textarea"};

[[noreturn]] void Fail(const char* why, const vb::String& input, const vb::String& output) {
  std::fprintf(stderr, "%s\ninput:  %s\noutput: %s\n", why, vb::ToUtf8(input).c_str(), vb::ToUtf8(output).c_str());
  std::abort();
}

void Check(const vb::String& input, const vb::String& output) {
  const std::string text = vb::ToUtf8(output);
  GumboOptions options = kGumboDefaultOptions;
  options.fragment_context = GUMBO_TAG_BODY;
  options.max_errors = 0;
  GumboOutput* tree = gumbo_parse_with_options(&options, text.data(), text.size());
  std::vector<const GumboNode*> stack{tree->root};
  const char* fault = nullptr;
  while (!stack.empty() && !fault) {
    const GumboNode* node = stack.back();
    stack.pop_back();
    if (node->type == GUMBO_NODE_COMMENT || node->type == GUMBO_NODE_TEMPLATE) fault = "a comment or template";
    if (node->type != GUMBO_NODE_ELEMENT) continue;
    const GumboElement& e = node->v.element;
    if (e.tag_namespace != GUMBO_NAMESPACE_HTML || e.tag == GUMBO_TAG_UNKNOWN) fault = "a foreign or unknown element";
    for (std::string_view never : kNeverWritten)
      if (node != tree->root && gumbo_normalized_tagname(e.tag) == never) fault = "an element never written";
    for (unsigned i = 0; i < e.attributes.length; ++i) {
      const auto& a = *static_cast<const GumboAttribute*>(e.attributes.data[i]);
      const std::string_view name = a.name;
      if (name.starts_with("on") || name == "srcset" || name == "id" || name == "name") fault = "an attribute never kept";
      if ((name == "href" || name == "src") && !qe::IsPageAddress(vb::FromUtf8(a.value))) fault = "a refused address";
    }
    for (unsigned i = 0; i < e.children.length; ++i) stack.push_back(static_cast<const GumboNode*>(e.children.data[i]));
  }
  gumbo_destroy_output(&options, tree);
  if (fault) Fail(fault, input, output);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const vb::String input = Utf16Units(data, size);
  std::optional<vb::String> clean = qe::CleanRichText(input);
  if (clean) Check(input, *clean);
  return 0;
}
