// The UBB converters and the script filter on arbitrary text: none of them
// ever raises (no error 28 however the text backtracks), and what each
// returns, read by gumbo (an HTML5 parser of its own), holds no element that
// runs or loads script, no handler but the two the second converter's
// picture steps write, and no address attribute with a refused scheme. The
// markup guard's own reading is checked too: guarding its result changes
// nothing but NULs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "editors/active_markup.h"
#include "editors/kesra_ubb_code.h"
#include "editors/kesra_ubb_code1.h"
#include "platform/vb/error.h"
#include "support/live_markup.h"
#include "utf16_input.h"

namespace {

void Check(const char* member, vb::StringView input, const vb::String& output, bool template_handlers) {
  const std::vector<std::string> live = qe_test::LiveMarkup(output, template_handlers);
  // The guard drops NULs (the early exit of CommUBBCode keeps them).
  vb::String without_nuls = output;
  std::erase(without_nuls, u'\0');
  const bool reads_the_same = template_handlers || qe::markup::NeutralizeActiveMarkup(output) == without_nuls;
  if (live.empty() && reads_the_same) return;
  std::fprintf(stderr, "%s\ninput:  %s\noutput: %s\n", member, vb::ToUtf8(input).c_str(), vb::ToUtf8(output).c_str());
  for (const std::string& finding : live) std::fprintf(stderr, "  %s\n", finding.c_str());
  if (!reads_the_same) std::fprintf(stderr, "  the guard changes its own result\n");
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const vb::String input = Utf16Units(data, size);
  try {
    vb::String text = input;
    Check("CommUBBCode", input, qe::KesraUBBCode(text), false);
    Check("CommUBBCode1", input, qe::KesraUBBCode1(input), true);
    Check("CommFilterJS", input, qe::KesraFilterJS(input), false);
  } catch (const vb::Error& e) {
    std::fprintf(stderr, "error %d on %s\n", e.Number(), vb::ToUtf8(input).c_str());
    std::abort();
  }
  return 0;
}
