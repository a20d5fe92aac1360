// RegExp on arbitrary patterns and subjects: no crash, matches within the
// subject and in order, and Replace consistent with Execute.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/regex/regexp.h"
#include "utf16_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t flags = data[0];
  const vb::String input = Utf16Units(data + 1, size - 1);
  const size_t split = input.find(u'\n');
  if (split == vb::String::npos) return 0;
  const vb::StringView pattern = vb::StringView(input).substr(0, split);
  const vb::StringView subject = vb::StringView(input).substr(split + 1);

  regex::RegExp re;
  re.Pattern(pattern);
  re.IgnoreCase(flags & 1);
  re.MultiLine(flags & 2);
  re.Global(flags & 4);
  try {
    auto matches = re.Execute(subject);
    size_t end = 0, matched = 0;
    for (const auto& m : matches->Items()) {
      const auto first = static_cast<size_t>(m->FirstIndex());
      if (first < end || first + static_cast<size_t>(m->Length()) > subject.size()) std::abort();
      if (subject.substr(first, m->Value().size()) != m->Value()) std::abort();
      end = first + m->Value().size();
      matched += m->Value().size();
    }
    if (re.Replace(subject, u"").size() != subject.size() - matched) std::abort();
    if (re.Test(subject) != (matches->Count() > 0)) std::abort();
  } catch (const vb::Error&) {
    // A pattern that does not compile, or a search past the limits.
  }
  return 0;
}
