#include "editors/ubb_steps.h"

#include <algorithm>

#include "common/markup_encode.h"
#include "editors/address_scheme.h"
#include "editors/ubb_text_search.h"

namespace qe::ubb {
namespace {

constexpr size_t kNone = kNotFound;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }
bool IsTemplateSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }
// What "\s" matches in the patterns (the layer's code units, no Unicode classes).
bool IsPatternSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
// The characters of an address in the address steps.
bool IsAddressCharacter(char16_t c) {
  return IsAsciiLetter(c) || IsDigit(c) || vb::StringView(u"./=?%-&_~`@':+!").find(c) != vb::StringView::npos;
}

// The first position at or after a queried one whose character satisfies
// `is` (the text length when none). It remembers its last answer, with the
// stretch before it known to hold no such character, so that queries moving
// forward, or back a little, scan only what it has not seen: a step's
// queries are cheap in total however many candidates share one far answer.
class NextWhere {
 public:
  NextWhere(vb::StringView text, bool (*is)(char16_t)) : text_(text), is_(is) {}

  size_t operator()(size_t i) {
    const size_t n = text_.size();
    if (i >= n) return n;
    if (known_ && i >= from_ && i <= answer_) return answer_;
    if (known_ && i < from_) {
      size_t j = i;
      while (j < from_ && !is_(text_[j])) ++j;
      if (j < from_) answer_ = j;
      from_ = i;
      return answer_;
    }
    size_t j = i;
    while (j < n && !is_(text_[j])) ++j;
    known_ = true;
    from_ = i;
    answer_ = j;
    return j;
  }

 private:
  vb::StringView text_;
  bool (*is_)(char16_t);
  bool known_ = false;
  size_t from_ = 0, answer_ = 0;
};

bool IsOpenBracket(char16_t c) { return c == u'['; }
bool IsCloseBracket(char16_t c) { return c == u']'; }
bool IsLineFeed(char16_t c) { return c == u'\n'; }

}  // namespace

// ---------------------------------------------------------------------------
// The template: literal pieces and groups, each group knowing where it lands.

struct Step::Template {
  struct Piece {
    vb::String literal;
    int group = 0;  // > 0: the group's text
    bool in_attribute = false;
    AttributeQuote quote = AttributeQuote::kNone;
  };
  // A value of an address attribute that a group helps to make.
  using Address = std::vector<Piece>;

  std::vector<Piece> pieces;
  std::vector<Address> addresses;

  Template(vb::StringView replacement, size_t group_count);
  void Expand(vb::String& out, vb::StringView subject, const regex::Captures& m) const;
  // False when a group makes an address with a refused scheme.
  bool Allows(vb::StringView subject, const regex::Captures& m) const;
};

namespace {

vb::StringView GroupText(vb::StringView subject, const regex::Captures& m, int group) {
  const regex::Capture& c = m[static_cast<size_t>(group)];
  return c.matched ? subject.substr(c.start, c.end - c.start) : vb::StringView();
}

// A "$n" at `at` (the layer's rule: two digits when that group exists): the
// group and the length of the token, or {0, 0}.
std::pair<int, size_t> GroupToken(vb::StringView text, size_t at, size_t group_count) {
  if (text[at] != u'$' || at + 1 >= text.size() || !IsDigit(text[at + 1])) return {0, 0};
  const int one = text[at + 1] - u'0';
  if (at + 2 < text.size() && IsDigit(text[at + 2])) {
    const int two = one * 10 + (text[at + 2] - u'0');
    if (two >= 1 && static_cast<size_t>(two) <= group_count) return {two, 3};
  }
  if (one >= 1 && static_cast<size_t>(one) <= group_count) return {one, 2};
  return {0, 0};
}

}  // namespace

Step::Template::Template(vb::StringView text, size_t group_count) {
  enum State { kText, kTagName, kBeforeName, kName, kAfterName, kBeforeValue, kDouble, kSingle, kUnquoted };
  State state = kText;
  vb::String tag, name;
  bool in_value = false, address = false;
  Address value;
  auto begin_value = [&] {
    in_value = true;
    address = markup::IsAddressAttribute(tag, name);
    value.clear();
  };
  auto end_value = [&] {
    const bool has_group = std::any_of(value.begin(), value.end(), [](const Piece& p) { return p.group > 0; });
    if (in_value && address && has_group) addresses.push_back(value);
    in_value = false;
  };
  auto add_literal = [](std::vector<Piece>& to, char16_t c) {
    if (to.empty() || to.back().group) to.push_back(Piece{});
    to.back().literal.push_back(c);
  };
  for (size_t i = 0; i < text.size();) {
    if (auto [group, length] = GroupToken(text, i, group_count); group) {
      if (state == kBeforeValue) {
        state = kUnquoted;
        begin_value();
      }
      Piece piece{{}, group, state != kText,
                  state == kDouble   ? AttributeQuote::kDouble
                  : state == kSingle ? AttributeQuote::kSingle
                                     : AttributeQuote::kNone};
      pieces.push_back(piece);
      if (in_value) value.push_back(piece);
      i += length;
      continue;
    }
    const char16_t c = text[i++];
    bool value_character = false;
    switch (state) {
      case kText:
        if (c == u'<' && i < text.size() && (IsAsciiLetter(text[i]) || text[i] == u'/')) {
          state = kTagName;
          tag.clear();
        }
        break;
      case kTagName:
        if (IsTemplateSpace(c)) state = kBeforeName;
        else if (c == u'>') state = kText;
        else if (c != u'/') tag.push_back(AsciiLower(c));
        break;
      case kBeforeName:
      case kAfterName:
        if (c == u'>') state = kText;
        else if (c == u'=' && state == kAfterName) state = kBeforeValue;
        else if (!IsTemplateSpace(c) && c != u'/') {
          name.assign(1, AsciiLower(c));
          state = kName;
        }
        break;
      case kName:
        if (c == u'=') state = kBeforeValue;
        else if (IsTemplateSpace(c)) state = kAfterName;
        else if (c == u'>') state = kText;
        else name.push_back(AsciiLower(c));
        break;
      case kBeforeValue:
        if (c == u'"' || c == u'\'') {
          state = c == u'"' ? kDouble : kSingle;
          begin_value();
        } else if (c == u'>') {
          state = kText;
        } else if (!IsTemplateSpace(c)) {
          state = kUnquoted;
          begin_value();
          value_character = true;
        }
        break;
      case kDouble:
      case kSingle:
        if (c == (state == kDouble ? u'"' : u'\'')) {
          end_value();
          state = kBeforeName;
        } else {
          value_character = true;
        }
        break;
      case kUnquoted:
        if (IsTemplateSpace(c) || c == u'>') {
          end_value();
          state = c == u'>' ? kText : kBeforeName;
        } else {
          value_character = true;
        }
        break;
    }
    add_literal(pieces, c);
    if (value_character && in_value) add_literal(value, c);
  }
  end_value();
}

void Step::Template::Expand(vb::String& out, vb::StringView subject, const regex::Captures& m) const {
  for (const Piece& piece : pieces) {
    if (!piece.group) out += piece.literal;
    else if (piece.in_attribute) out += AttributeValueKeepingReferences(GroupText(subject, m, piece.group), piece.quote);
    else out.append(GroupText(subject, m, piece.group));
  }
}

bool Step::Template::Allows(vb::StringView subject, const regex::Captures& m) const {
  for (const Address& address : addresses) {
    vb::String value;
    for (const Piece& piece : address)
      if (piece.group) value.append(GroupText(subject, m, piece.group));
      else value += piece.literal;
    if (!markup::IsAllowedAddress(value, false)) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Finding the matches.

class Step::Finder {
 public:
  Finder(const Step& step, vb::StringView text) : step_(step), source_(step.source_), text_(text), n_(text.size()) {}

  // The first match at or after `pos`.
  bool Next(size_t pos, regex::Captures& m) {
    switch (source_.locator) {
      case Locator::kSearch:
        if (!source_.close.empty() && (pos > LastClose() || LastClose() == kNone)) return false;
        return step_.search_->Find(text_, pos, m);
      case Locator::kTextEnd:
        return step_.search_->Find(text_, std::max(pos, AddressRunAtEnd()), m);
      case Locator::kBeforeOpen:
        for (size_t q = FindCaseless(text_, source_.open, pos + 1); q != kNone; q = FindCaseless(text_, source_.open, q + 1))
          if (step_.search_->Find(text_, q - 1, m)) return true;
        return false;
      default:
        return NextLocated(pos, m);
    }
  }

 private:
  bool CloseAt(size_t at) const { return at < n_ && IsCaselessAt(text_, at, source_.close); }
  size_t LastClose() {
    if (!last_close_) last_close_ = FindLastCaseless(text_, source_.close);
    return *last_close_;
  }
  // Where the run of address characters that ends the text begins.
  size_t AddressRunAtEnd() const {
    size_t start = n_;
    while (start > 0 && IsAddressCharacter(text_[start - 1])) --start;
    return start;
  }

  // With "(.[^\[]*)\](.[^\[]*)" + close from `a` (the parameter's first
  // character): the end of the match, as the greedy parameter takes the last
  // "]" that lets the rest match; kNone when none does.
  size_t ParameterPairEnd(size_t a) {
    if (a >= n_ || text_[a] == u'\n') return kNone;
    const size_t close_length = source_.close.size();
    const size_t e1 = next_open_(a + 1);
    if (e1 >= n_) return kNone;
    // The "]" just before the "[": the content starts with that "[".
    if (e1 >= a + 2 && text_[e1 - 1] == u']') {
      const size_t s = second_open_(e1 + 1);
      if (CloseAt(s)) return s + close_length;
    }
    if (!CloseAt(e1) || e1 < a + 3) return kNone;
    const size_t r = LastContentBracket(e1);
    return r != kNone && r >= a + 1 ? e1 + close_length : kNone;
  }

  // The last "]" before the "[" at `e1`, and not just before it, that a
  // character other than a line feed follows (where a content can begin);
  // only the stretch back to the "[" before is looked at, once per `e1`.
  size_t LastContentBracket(size_t e1) {
    if (bracket_for_ != e1) {
      bracket_for_ = e1;
      bracket_ = kNone;
      for (size_t r = e1 - 1; r-- > 0 && text_[r] != u'[';)
        if (text_[r] == u']' && text_[r + 1] != u'\n') {
          bracket_ = r;
          break;
        }
    }
    return bracket_;
  }

  // The match end for a located step's candidate at `q`, kNone when the
  // pattern cannot match there; `whole_text` when the step searches the
  // whole text from `q` rather than a window.
  size_t CandidateEnd(size_t q, bool& whole_text) {
    const size_t after_open = q + source_.open.size();
    const size_t close_length = source_.close.size();
    whole_text = false;
    switch (source_.locator) {
      case Locator::kParameterPair:
        return ParameterPairEnd(after_open);
      case Locator::kBracketParameter: {
        if (after_open >= n_ || text_[after_open] == u'\n') return kNone;
        const size_t r = next_bracket_(after_open + 1);
        if (r + 1 >= n_ || text_[r + 1] == u'\n') return kNone;
        const size_t s = next_open_(r + 2);
        return CloseAt(s) ? s + close_length : kNone;
      }
      case Locator::kMail:
      case Locator::kMailParameter: {
        const size_t space = next_space_(after_open);
        if (space < after_open + 2) return kNone;
        const size_t m = LastMailAt(space);
        return m != kNone && m >= after_open + 1 ? MailEnd(m) : kNone;
      }
      case Locator::kOneLine: {
        whole_text = true;
        return NextClose(after_open) < next_line_(after_open) ? n_ : kNone;
      }
      default:
        return kNone;
    }
  }

  // The next closing tag at or after `i`; the candidates ask in order.
  size_t NextClose(size_t i) {
    if (!(close_known_ && i >= close_from_ && i <= close_at_)) {
      close_known_ = true;
      close_from_ = i;
      close_at_ = std::min(FindCaseless(text_, source_.close, i), n_);
    }
    return close_at_;
  }

  // For a mail step, the match end when the "@" at `m` is the one the
  // greedy "\S+" stops before.
  size_t MailEnd(size_t m) {
    if (source_.locator == Locator::kMailParameter) return ParameterPairEnd(m + 1);
    if (m + 1 >= n_ || text_[m + 1] == u'\n') return kNone;
    const size_t s = next_open_(m + 2);
    return CloseAt(s) ? s + source_.close.size() : kNone;
  }

  // The last "@" before the blank at `space` that a match can stop at,
  // looking back no further than the run of non-blanks; once per blank.
  size_t LastMailAt(size_t space) {
    if (mail_for_ != space) {
      mail_for_ = space;
      mail_at_ = kNone;
      for (size_t m = space; m-- > 0 && !IsPatternSpace(text_[m]);)
        if (text_[m] == u'@' && MailEnd(m) != kNone) {
          mail_at_ = m;
          break;
        }
    }
    return mail_at_;
  }

  bool NextLocated(size_t pos, regex::Captures& m) {
    for (size_t q = FindCaseless(text_, source_.open, pos); q != kNone; q = FindCaseless(text_, source_.open, q + 1)) {
      bool whole_text = false;
      const size_t end = CandidateEnd(q, whole_text);
      if (end == kNone) continue;
      if (step_.search_->Find(whole_text ? text_ : text_.substr(0, end), q, m)) return true;
    }
    return false;
  }

  const Step& step_;
  const StepSource& source_;
  vb::StringView text_;
  size_t n_;
  std::optional<size_t> last_close_;
  NextWhere next_open_{text_, IsOpenBracket}, second_open_{text_, IsOpenBracket}, next_bracket_{text_, IsCloseBracket},
      next_space_{text_, IsPatternSpace}, next_line_{text_, IsLineFeed};
  size_t bracket_for_ = kNone, bracket_ = kNone, mail_for_ = kNone, mail_at_ = kNone;
  bool close_known_ = false;
  size_t close_from_ = 0, close_at_ = 0;
};

// ---------------------------------------------------------------------------

Step::Step(const StepSource& source) : source_(source) {
  search_ = std::make_unique<regex::CompiledPattern>(source.search.empty() ? source.pattern : source.search,
                                                     regex::PatternOptions{true, false});
  template_ = std::make_unique<Template>(source.replacement, search_->GroupCount());
}

Step::~Step() = default;
Step::Step(Step&&) noexcept = default;

std::vector<regex::Captures> Step::Matches(vb::StringView text) const {
  std::vector<regex::Captures> matches;
  Finder finder(*this, text);
  regex::Captures m;
  for (size_t pos = 0; pos <= text.size() && finder.Next(pos, m);) {
    matches.push_back(m);
    pos = m[0].end > m[0].start ? m[0].end : m[0].end + 1;
  }
  return matches;
}

void Step::Apply(vb::String& text, vb::String& out) const {
  out.clear();
  size_t copied = 0;
  Finder finder(*this, text);
  regex::Captures m;
  for (size_t pos = 0; pos <= text.size() && finder.Next(pos, m);) {
    out.append(text, copied, m[0].start - copied);
    if (template_->Allows(text, m)) template_->Expand(out, text, m);
    else out.append(text, m[0].start, m[0].end - m[0].start);
    copied = m[0].end;
    pos = m[0].end > m[0].start ? m[0].end : m[0].end + 1;
  }
  if (!copied) return;
  out.append(text, copied);
  text.swap(out);
}

vb::String ApplyGroups(std::span<const StepGroup> groups, vb::String text) {
  vb::String spare;
  for (const StepGroup& group : groups) {
    if (group.gate && FindTextCompare(text, group.gate) == kNotFound) continue;
    for (const Step& step : group.steps) step.Apply(text, spare);
    if (group.after) group.after(text);
  }
  return text;
}

}  // namespace qe::ubb
