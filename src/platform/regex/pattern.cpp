#define PCRE2_CODE_UNIT_WIDTH 16
#include "platform/regex/pattern.h"

#include <pcre2.h>

#include "platform/vb/error.h"

namespace regex {
namespace {

static_assert(sizeof(PCRE2_UCHAR) == sizeof(char16_t));

PCRE2_SPTR Units(vb::StringView s) { return reinterpret_cast<PCRE2_SPTR>(s.data()); }

void RaiseCompileError(int pcre_error) {
  switch (pcre_error) {
    case PCRE2_ERROR_QUANTIFIER_INVALID:
    case PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER:
      vb::Raise(kUnexpectedQuantifier, u"Unexpected quantifier");
    case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
      vb::Raise(kExpectedBracket, u"Expected ']' in regular expression");
    case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
      vb::Raise(kExpectedParen, u"Expected ')' in regular expression");
    case PCRE2_ERROR_CLASS_RANGE_ORDER:
    case PCRE2_ERROR_CLASS_INVALID_RANGE:
      vb::Raise(kInvalidRange, u"Invalid range in character set");
    default:
      vb::Raise(kSyntaxError, u"Syntax error in regular expression");
  }
}

struct CompileContext {
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  CompileContext() {
    pcre2_set_newline(context, PCRE2_NEWLINE_LF);
    pcre2_set_bsr(context, PCRE2_BSR_ANYCRLF);
  }
  ~CompileContext() { pcre2_compile_context_free(context); }
};

struct MatchContext {
  pcre2_match_context* context = pcre2_match_context_create(nullptr);
  MatchContext() {
    pcre2_set_match_limit(context, kMatchLimit);
    pcre2_set_heap_limit(context, kHeapLimitKiB);
  }
  ~MatchContext() { pcre2_match_context_free(context); }
};

// Settings only: PCRE2 reads them and never writes, so threads can share them.
const CompileContext& SharedCompileContext() {
  static const CompileContext context;
  return context;
}
const MatchContext& SharedMatchContext() {
  static const MatchContext context;
  return context;
}

}  // namespace

struct CompiledPattern::Code {
  pcre2_code* code = nullptr;
  ~Code() { pcre2_code_free(code); }
};

CompiledPattern::CompiledPattern(vb::StringView pattern, PatternOptions options)
    : code_(std::make_unique<Code>()) {
  // Code units, never UTF: a pattern cannot switch UTF or Unicode classes on.
  uint32_t flags = PCRE2_NEVER_UTF | PCRE2_NEVER_UCP | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                   PCRE2_MATCH_UNSET_BACKREF;
  if (options.ignore_case) flags |= PCRE2_CASELESS;
  flags |= options.multi_line ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
  int error = 0;
  PCRE2_SIZE offset = 0;
  code_->code = pcre2_compile(Units(pattern), pattern.size(), flags, &error, &offset,
                              SharedCompileContext().context);
  if (!code_->code) RaiseCompileError(error);
  uint32_t groups = 0;
  pcre2_pattern_info(code_->code, PCRE2_INFO_CAPTURECOUNT, &groups);
  group_count_ = groups;
}

CompiledPattern::~CompiledPattern() = default;

bool CompiledPattern::Find(vb::StringView subject, size_t start, Captures& out) const {
  std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> data(
      pcre2_match_data_create_from_pattern(code_->code, nullptr), &pcre2_match_data_free);
  if (!data) vb::Raise(vb::kOutOfMemory);
  int rc = pcre2_match(code_->code, Units(subject), subject.size(), start, 0, data.get(),
                       SharedMatchContext().context);
  if (rc == PCRE2_ERROR_NOMATCH) return false;
  if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT ||
      rc == PCRE2_ERROR_HEAPLIMIT)
    vb::Raise(kTooComplex);
  if (rc == PCRE2_ERROR_NOMEMORY) vb::Raise(vb::kOutOfMemory);
  if (rc < 0) vb::Raise(vb::kInvalidProcedureCall);
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
  out.assign(group_count_ + 1, Capture{});
  for (size_t i = 0; i <= group_count_; ++i) {
    if (ovector[2 * i] == PCRE2_UNSET) continue;
    out[i] = Capture{ovector[2 * i], ovector[2 * i + 1], true};
  }
  return true;
}

std::vector<Captures> CompiledPattern::FindAll(vb::StringView subject, bool global) const {
  std::vector<Captures> matches;
  size_t start = 0;
  Captures found;
  while (start <= subject.size() && Find(subject, start, found)) {
    matches.push_back(found);
    if (!global) break;
    start = found[0].end > found[0].start ? found[0].end : found[0].end + 1;
  }
  return matches;
}

}  // namespace regex
