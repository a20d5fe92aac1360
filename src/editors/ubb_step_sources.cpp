#include "editors/ubb_step_sources.h"

namespace qe::ubb {
namespace {

vb::String Lower(vb::StringView text) {
  vb::String out;
  for (char16_t c : text) out.push_back(c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c);
  return out;
}

}  // namespace

StepSource Searched(vb::StringView pattern, vb::StringView search, vb::String replacement, vb::StringView close) {
  return {vb::String(pattern), vb::String(search), std::move(replacement), Locator::kSearch, {}, vb::String(close)};
}

StepSource Located(vb::StringView pattern, vb::StringView search, vb::String replacement, Locator locator,
                   vb::StringView open, vb::StringView close) {
  return {vb::String(pattern), vb::String(search), std::move(replacement), locator, vb::String(open),
          vb::String(close)};
}

// "[TAG]content[/CLOSE]" with the tags in groups 1 and 3.
StepSource Pair(vb::StringView tag, vb::String replacement, vb::StringView close) {
  const vb::String name(tag), end(close.empty() ? tag : close);
  return Searched(u"(\\[" + name + u"\\])(.[^\\[]*)(\\[\\/" + end + u"\\])",
                  u"(\\[" + name + u"\\])(.[^\\[]*+)(\\[\\/" + end + u"\\])", std::move(replacement),
                  u"[/" + Lower(end) + u"]");
}

// "[TAG=parameter]content[/TAG]": the parameter in group 2, the content in 3.
StepSource ParameterPair(vb::StringView tag, vb::String replacement) {
  const vb::String name(tag);
  return Located(u"(\\[" + name + u"=(.[^\\[]*)\\])(.[^\\[]*)(\\[\\/" + name + u"\\])",
                 u"\\G(\\[" + name + u"=(.[^\\[]*)\\])(.[^\\[]*+)(\\[\\/" + name + u"\\])", std::move(replacement),
                 Locator::kParameterPair, u"[" + Lower(name) + u"=", u"[/" + Lower(name) + u"]");
}

// A sized tag: "[TAG=width,height]address[/TAG]".
StepSource Sized(vb::StringView tag, vb::String replacement) {
  const vb::String name(tag);
  return Searched(u"\\[" + name + u"=*([0-9]*),*([0-9]*)\\](.[^\\[]*)\\[\\/" + name + u"]",
                  u"\\[" + name + u"=*+([0-9]*+),*+([0-9]*+)\\](.[^\\[]*+)\\[\\/" + name + u"]",
                  std::move(replacement), u"[/" + Lower(name) + u"]");
}

// "[GLOW=width,colour,strength]text[/GLOW]" and its shadow twin.
StepSource Filtered(vb::StringView tag, vb::StringView filter) {
  const vb::String name(tag);
  return Searched(u"\\[" + name + u"=*([0-9]*),*(#*[a-z0-9]*),*([0-9]*)\\](.[^\\[]*)\\[\\/" + name + u"]",
                  u"\\[" + name + u"=*+([0-9]*+),*+(#*+[a-z0-9]*+),*+([0-9]*+)\\](.[^\\[]*+)\\[\\/" + name + u"]",
                  u"<table width=$1 style=\"filter:" + vb::String(filter) + u"(color=$2, strength=$3)\">$4</table>",
                  u"[/" + Lower(name) + u"]");
}

std::vector<Step> Steps(const std::vector<StepSource>& sources) {
  std::vector<Step> steps;
  steps.reserve(sources.size());
  for (const StepSource& source : sources) steps.emplace_back(source);
  return steps;
}

}  // namespace qe::ubb
