#include "editors/ubb_steps.h"

#include <algorithm>

#include "common/html_attribute_value.h"
#include "editors/address_scheme.h"
#include "platform/vb/strings.h"

namespace qe::ubb {
namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

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

vb::String AsciiLowerCopy(vb::StringView text) {
  vb::String out(text);
  for (char16_t& c : out) c = AsciiLower(c);
  return out;
}

// For each position, the first position at or after it that satisfies `is`
// (the text length when none); one more entry for the end.
template <class Is>
std::vector<uint32_t> NextWhere(vb::StringView text, Is is) {
  std::vector<uint32_t> next(text.size() + 2, static_cast<uint32_t>(text.size()));
  for (size_t i = text.size(); i-- > 0;) next[i] = is(i) ? static_cast<uint32_t>(i) : next[i + 1];
  return next;
}

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
    else if (piece.in_attribute) out += AttributeValueText(GroupText(subject, m, piece.group), piece.quote);
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
      default:
        return NextLocated(pos, m);
    }
  }

 private:
  const vb::String& Folded() {
    if (folded_.empty() && n_) folded_ = AsciiLowerCopy(text_);
    return folded_;
  }
  bool CloseAt(size_t at) {
    const vb::StringView close(source_.close);
    return at < n_ && vb::StringView(Folded()).substr(at, close.size()) == close;
  }
  size_t LastClose() {
    if (!last_close_) {
      const size_t at = Folded().rfind(source_.close);
      last_close_ = at == vb::String::npos ? kNone : at;
    }
    return *last_close_;
  }
  // Where the run of address characters that ends the text begins.
  size_t AddressRunAtEnd() const {
    size_t start = n_;
    while (start > 0 && IsAddressCharacter(text_[start - 1])) --start;
    return start;
  }

  const std::vector<uint32_t>& NextOpen() {
    if (next_open_.empty()) next_open_ = NextWhere(text_, [&](size_t i) { return text_[i] == u'['; });
    return next_open_;
  }

  // With "(.[^\[]*)\](.[^\[]*)" + close from `a` (the parameter's first
  // character): the end of the match, as the greedy parameter takes the last
  // "]" that lets the rest match; kNone when none does.
  size_t ParameterPairEnd(size_t a) {
    if (a >= n_ || text_[a] == u'\n') return kNone;
    const auto& open = NextOpen();
    if (good_brackets_.empty()) {
      // good_brackets_[i]: the "]" before i followed by a character other than
      // a line feed (where a content can begin).
      good_brackets_.assign(n_ + 1, 0);
      for (size_t i = 0; i < n_; ++i)
        good_brackets_[i + 1] =
            good_brackets_[i] + (text_[i] == u']' && i + 1 < n_ && text_[i + 1] != u'\n' ? 1 : 0);
    }
    const size_t close_length = vb::StringView(source_.close).size();
    const size_t e1 = open[a + 1];
    if (e1 >= n_) return kNone;
    // The "]" just before the "[": the content starts with that "[".
    if (e1 >= a + 2 && text_[e1 - 1] == u']') {
      const size_t s = open[e1 + 1];
      if (CloseAt(s)) return s + close_length;
    }
    if (CloseAt(e1) && e1 >= a + 3 && good_brackets_[e1 - 1] > good_brackets_[a + 1]) return e1 + close_length;
    return kNone;
  }

  // The match end for a located step's candidate at `q`, kNone when the
  // pattern cannot match there; `whole_text` when the step searches the
  // whole text from `q` rather than a window.
  size_t CandidateEnd(size_t q, bool& whole_text) {
    const size_t after_open = q + vb::StringView(source_.open).size();
    const size_t close_length = vb::StringView(source_.close).size();
    whole_text = false;
    switch (source_.locator) {
      case Locator::kParameterPair:
        return ParameterPairEnd(after_open);
      case Locator::kBracketParameter: {
        if (after_open >= n_ || text_[after_open] == u'\n') return kNone;
        if (next_bracket_.empty()) next_bracket_ = NextWhere(text_, [&](size_t i) { return text_[i] == u']'; });
        const size_t r = next_bracket_[after_open + 1];
        if (r + 1 >= n_ || text_[r + 1] == u'\n') return kNone;
        const size_t s = NextOpen()[r + 2];
        return CloseAt(s) ? s + close_length : kNone;
      }
      case Locator::kMail:
      case Locator::kMailParameter: {
        if (last_good_at_.empty()) BuildMailIndex();
        const size_t space = next_space_[after_open];
        if (space < after_open + 2) return kNone;
        const uint32_t m = last_good_at_[space - 1];
        if (m == kNoAt || m < after_open + 1) return kNone;
        return MailEnd(m);
      }
      case Locator::kOneLine: {
        whole_text = true;
        if (next_line_.empty()) next_line_ = NextWhere(text_, [&](size_t i) { return text_[i] == u'\n'; });
        if (next_close_.empty()) next_close_ = NextWhere(text_, [&](size_t i) { return CloseAt(i); });
        return next_close_[after_open] < next_line_[after_open] ? n_ : kNone;
      }
      default:
        return kNone;
    }
  }

  static constexpr uint32_t kNoAt = static_cast<uint32_t>(-1);

  // For a mail step, the match end when the "@" at `m` is the one the
  // greedy "\S+" stops before.
  size_t MailEnd(size_t m) {
    if (source_.locator == Locator::kMailParameter) return ParameterPairEnd(m + 1);
    if (m + 1 >= n_ || text_[m + 1] == u'\n') return kNone;
    const size_t s = NextOpen()[m + 2];
    return CloseAt(s) ? s + vb::StringView(source_.close).size() : kNone;
  }

  void BuildMailIndex() {
    next_space_ = NextWhere(text_, [&](size_t i) { return IsPatternSpace(text_[i]); });
    last_good_at_.assign(n_ + 1, kNoAt);
    uint32_t last = kNoAt;
    for (size_t i = 0; i < n_; ++i) {
      if (text_[i] == u'@' && MailEnd(i) != kNone) last = static_cast<uint32_t>(i);
      last_good_at_[i] = last;
    }
  }

  bool NextLocated(size_t pos, regex::Captures& m) {
    const vb::StringView open(source_.open);
    for (size_t q = Folded().find(open, pos); q != vb::String::npos; q = folded_.find(open, q + 1)) {
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
  vb::String folded_;
  std::optional<size_t> last_close_;
  std::vector<uint32_t> next_open_, next_bracket_, next_space_, next_line_, next_close_, good_brackets_, last_good_at_;
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

vb::String Step::Apply(vb::StringView text) const {
  vb::String out;
  size_t copied = 0;
  Finder finder(*this, text);
  regex::Captures m;
  for (size_t pos = 0; pos <= text.size() && finder.Next(pos, m);) {
    out.append(text.substr(copied, m[0].start - copied));
    if (template_->Allows(text, m)) template_->Expand(out, text, m);
    else out.append(text.substr(m[0].start, m[0].end - m[0].start));
    copied = m[0].end;
    pos = m[0].end > m[0].start ? m[0].end : m[0].end + 1;
  }
  if (!copied) return vb::String(text);
  out.append(text.substr(copied));
  return out;
}

vb::String ApplyGroups(std::span<const StepGroup> groups, vb::String text) {
  for (const StepGroup& group : groups) {
    if (group.gate && vb::InStr(text, group.gate, vb::vbTextCompare) == 0) continue;
    for (const Step& step : group.steps) text = step.Apply(text);
    if (group.after) group.after(text);
  }
  return text;
}

}  // namespace qe::ubb
