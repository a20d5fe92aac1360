#include "platform/ado/jet_sql.h"

#include <unordered_map>

#include "platform/ado/errors.h"
#include "platform/ado/jet_dates.h"

namespace ado::jet {
namespace {

constexpr char16_t kJetSource[] = u"Microsoft JET Database Engine";

[[noreturn]] void SyntaxError(String what, StringView sql) {
  RaiseProvider(kDbErrorsInCommand, what + u" in query expression '" + String(sql) + u"'.", kJetSource);
}

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsWordStart(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0x80;
}
bool IsWordChar(char16_t c) { return IsWordStart(c) || IsDigit(c) || c == u'$'; }

// Reads a token closed by `close`, where a doubled `close` stands for itself
// when `doubling` is set.
size_t ClosedEnd(StringView sql, size_t start, char16_t close, bool doubling) {
  size_t i = start + 1;
  while (i < sql.size()) {
    if (sql[i] == close) {
      if (doubling && i + 1 < sql.size() && sql[i + 1] == close) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return StringView::npos;
}

bool Is(const Token& t, StringView word) {
  return t.kind == Token::kWord && vb::EqualsNoCase(t.text, word);
}
bool IsPunct(const Token& t, StringView p) { return t.kind == Token::kPunct && t.text == p; }

// The next token that is not blank, from index i on.
size_t NextSolid(const std::vector<Token>& t, size_t i) {
  while (i < t.size() && t[i].kind == Token::kSpace) ++i;
  return i;
}
size_t PrevSolid(const std::vector<Token>& t, size_t i) {  // before i; t.size() when none
  while (i > 0) {
    --i;
    if (t[i].kind != Token::kSpace) return i;
  }
  return t.size();
}

// Jet's functions and what they are called in SQLite (jet_functions
// registers the qe_ ones; the others are SQLite's own with Jet's meaning).
const std::unordered_map<String, String>& FunctionNames() {
  static const std::unordered_map<String, String> names = {
      {u"left", u"qe_left"},     {u"right", u"qe_right"},       {u"mid", u"substr"},
      {u"len", u"length"},       {u"instr", u"qe_instr"},       {u"format", u"qe_format"},
      {u"ucase", u"qe_ucase"},   {u"lcase", u"qe_lcase"},          {u"year", u"qe_year"},
      {u"month", u"qe_month"},   {u"day", u"qe_day"},           {u"hour", u"qe_hour"},
      {u"minute", u"qe_minute"}, {u"second", u"qe_second"},     {u"weekday", u"qe_weekday"},
      {u"dateadd", u"qe_dateadd"}, {u"datediff", u"qe_datediff"}, {u"now", u"qe_now"},
      {u"date", u"qe_date"},     {u"time", u"qe_time"},         {u"cstr", u"qe_cstr"},
      {u"clng", u"qe_clng"},     {u"cint", u"qe_clng"},         {u"cdbl", u"qe_cdbl"},
      {u"csng", u"qe_cdbl"},     {u"ccur", u"qe_cdbl"},         {u"cdate", u"qe_cdate"},
      {u"val", u"qe_val"},       {u"int", u"qe_int"},           {u"fix", u"qe_fix"},
      {u"nz", u"qe_nz"},         {u"isnull", u"qe_isnull"},     {u"space", u"qe_space"},
      {u"sgn", u"qe_sgn"},       {u"round", u"qe_round"},
  };
  return names;
}

Token Word(String text) { return Token{Token::kWord, std::move(text)}; }
Token Punct(String text) { return Token{Token::kPunct, std::move(text)}; }
Token Space() { return Token{Token::kSpace, u" "}; }

String QuoteLiteral(StringView body) {
  String out = u"'";
  for (char16_t c : body) {
    if (c == u'\'') out += u'\'';
    out += c;
  }
  out += u'\'';
  return out;
}

// The body of a "double-quoted" literal ("" stands for ").
String DoubleQuotedBody(StringView token) {
  String body;
  for (size_t i = 1; i + 1 < token.size(); ++i) {
    body += token[i];
    if (token[i] == u'"' && i + 2 < token.size() && token[i + 1] == u'"') ++i;
  }
  return body;
}

// What ends an operand of &: & binds less tightly than arithmetic and more
// tightly than comparisons and the logical operators.
bool EndsOperand(const Token& t) {
  if (t.kind == Token::kPunct)
    return t.text == u"," || t.text == u"=" || t.text == u"<" || t.text == u">" || t.text == u"<>" ||
           t.text == u"<=" || t.text == u">=" || t.text == u"!=" || t.text == u"==";
  if (t.kind != Token::kWord) return false;
  for (StringView w : {u"Select", u"From", u"Where", u"And", u"Or", u"Not", u"As", u"Like", u"Between", u"Is",
                       u"In", u"On", u"Set", u"Values", u"Then", u"When", u"Else", u"End", u"Case", u"Order",
                       u"Group", u"By", u"Having", u"Limit", u"Union", u"Into", u"Distinct", u"All", u"Asc",
                       u"Desc", u"Join", u"Inner", u"Left", u"Right", u"Outer", u"Escape", u"Xor", u"Eqv",
                       u"Imp"})
    if (Is(t, w)) return true;
  return false;
}

std::vector<Token> Trimmed(std::vector<Token> tokens) {
  while (!tokens.empty() && tokens.front().kind == Token::kSpace) tokens.erase(tokens.begin());
  while (!tokens.empty() && tokens.back().kind == Token::kSpace) tokens.pop_back();
  return tokens;
}

// a & b & c becomes qe_concat(a, b, c): Jet's & treats Null as an empty text
// (the result is Null only when every operand is) and writes numbers as VB
// does, where SQLite's || gives Null for any Null operand.
std::vector<Token> RewriteConcatenation(std::vector<Token> t) {
  for (size_t i = 0; i < t.size(); ++i) {
    if (!IsPunct(t[i], u"&")) continue;
    // The start of the first operand.
    size_t begin = i;
    for (int level = 0; begin > 0; --begin) {
      const Token& p = t[begin - 1];
      if (IsPunct(p, u")")) ++level;
      else if (IsPunct(p, u"(") && level-- == 0) break;
      else if (level == 0 && EndsOperand(p)) break;
    }
    // The operands, up to the end of the chain.
    std::vector<std::vector<Token>> operands(1);
    size_t end = begin;
    for (int level = 0; end < t.size(); ++end) {
      const Token& p = t[end];
      if (IsPunct(p, u"(")) ++level;
      else if (IsPunct(p, u")") && level-- == 0) break;
      else if (level == 0 && EndsOperand(p)) break;
      if (level == 0 && IsPunct(p, u"&")) {
        operands.emplace_back();
        continue;
      }
      operands.back().push_back(p);
    }
    if (end <= i) {
      // Unbalanced parentheses: left for SQLite to refuse.
      t[i] = Punct(u"||");
      continue;
    }
    std::vector<Token> call = {Word(u"qe_concat"), Punct(u"(")};
    for (size_t k = 0; k < operands.size(); ++k) {
      if (k) call.insert(call.end(), {Punct(u","), Space()});
      std::vector<Token> operand = Trimmed(std::move(operands[k]));
      call.insert(call.end(), operand.begin(), operand.end());
    }
    call.push_back(Punct(u")"));
    // Keep the blanks that stood around the chain.
    size_t lead = begin, trail = end;
    while (lead < end && t[lead].kind == Token::kSpace) ++lead;
    while (trail > lead && t[trail - 1].kind == Token::kSpace) --trail;
    t.erase(t.begin() + static_cast<std::ptrdiff_t>(lead), t.begin() + static_cast<std::ptrdiff_t>(trail));
    t.insert(t.begin() + static_cast<std::ptrdiff_t>(lead), call.begin(), call.end());
    i = lead;  // an operand may hold chains of its own, in parentheses
  }
  return t;
}

}  // namespace

std::vector<Token> Tokenize(StringView sql) {
  std::vector<Token> out;
  size_t i = 0;
  while (i < sql.size()) {
    char16_t c = sql[i];
    size_t end;
    Token::Kind kind;
    if (IsSpace(c)) {
      end = i;
      while (end < sql.size() && IsSpace(sql[end])) ++end;
      kind = Token::kSpace;
    } else if (IsWordStart(c)) {
      end = i;
      while (end < sql.size() && IsWordChar(sql[end])) ++end;
      kind = Token::kWord;
    } else if (c == u'[' || c == u'`') {
      // "]]" inside brackets is one "]" of the name.
      end = ClosedEnd(sql, i, c == u'[' ? u']' : u'`', c == u'[');
      if (end == StringView::npos) SyntaxError(u"Invalid bracketing of name", sql);
      kind = Token::kIdentifier;
    } else if (c == u'\'' || c == u'"' || c == u'#') {
      end = ClosedEnd(sql, i, c, c != u'#');
      if (end == StringView::npos)
        SyntaxError(c == u'#' ? u"Syntax error in date" : u"Syntax error in string", sql);
      kind = Token::kString;
    } else if (IsDigit(c) || (c == u'.' && i + 1 < sql.size() && IsDigit(sql[i + 1]))) {
      end = i;
      while (end < sql.size() && (IsDigit(sql[end]) || sql[end] == u'.')) ++end;
      if (end < sql.size() && (sql[end] == u'e' || sql[end] == u'E')) {
        size_t e = end + 1;
        if (e < sql.size() && (sql[e] == u'+' || sql[e] == u'-')) ++e;
        if (e < sql.size() && IsDigit(sql[e])) {
          end = e;
          while (end < sql.size() && IsDigit(sql[end])) ++end;
        }
      }
      kind = Token::kNumber;
    } else {
      static const StringView kPairs[] = {u"<>", u"<=", u">=", u"||", u"!=", u"=="};
      end = i + 1;
      for (StringView p : kPairs)
        if (sql.substr(i, 2) == p) end = i + 2;
      kind = Token::kPunct;
    }
    out.push_back(Token{kind, String(sql.substr(i, end - i))});
    i = end;
  }
  return out;
}

std::vector<Token> Translate(StringView jet_sql) {
  std::vector<Token> in = Tokenize(jet_sql);
  std::vector<Token> out;
  out.reserve(in.size() + 4);
  // LIMITs waiting for the end of their SELECT, by parenthesis depth.
  std::vector<String> pending_limit(1);
  size_t first = NextSolid(in, 0);
  for (size_t i = 0; i < in.size(); ++i) {
    const Token& t = in[i];
    size_t prev = PrevSolid(in, i);
    bool after_dot = prev < in.size() && IsPunct(in[prev], u".");
    switch (t.kind) {
      case Token::kString:
        if (t.text.front() == u'"') {
          out.push_back(Token{Token::kString, QuoteLiteral(DoubleQuotedBody(t.text))});
        } else if (t.text.front() == u'#') {
          vb::DateParts parts;
          if (!ParseJetDateLiteral(StringView(t.text).substr(1, t.text.size() - 2), parts))
            SyntaxError(u"Syntax error in date", jet_sql);
          out.push_back(Token{Token::kString, vb::FromUtf8("'" + StoredDateText(parts) + "'")});
        } else {
          out.push_back(t);
        }
        continue;
      case Token::kPunct:
        if (t.text == u";") {
          size_t next = NextSolid(in, i + 1);
          if (next < in.size())
            RaiseProvider(kDbErrorsInCommand, u"Characters found after end of SQL statement.", kJetSource);
        } else if (t.text == u"(") {
          pending_limit.emplace_back();
          out.push_back(t);
        } else if (t.text == u")") {
          if (pending_limit.size() > 1) {
            if (!pending_limit.back().empty()) {
              out.push_back(Space());
              out.push_back(Word(u"LIMIT"));
              out.push_back(Space());
              out.push_back(Token{Token::kNumber, pending_limit.back()});
            }
            pending_limit.pop_back();
          }
          out.push_back(t);
        } else {
          out.push_back(t);
        }
        continue;
      case Token::kWord:
        break;
      case Token::kIdentifier:
        // SQLite's brackets cannot hold a "]": such a name goes in double quotes.
        if (t.text.front() == u'[' && t.text.find(u"]]") != String::npos)
          out.push_back(Token{Token::kIdentifier, vb::FromUtf8(QuoteName(UnquoteName(t.text)))});
        else
          out.push_back(t);
        continue;
      default:
        out.push_back(t);
        continue;
    }
    // Words.
    size_t next = NextSolid(in, i + 1);
    bool call = next < in.size() && IsPunct(in[next], u"(");
    if (after_dot) {
      out.push_back(t);
    } else if (call) {
      auto it = FunctionNames().find(vb::AsciiLowerCopy(t.text));
      out.push_back(it == FunctionNames().end() ? t : Word(it->second));
    } else if (Is(t, u"True")) {
      out.push_back(Token{Token::kNumber, u"-1"});
    } else if (Is(t, u"False")) {
      out.push_back(Token{Token::kNumber, u"0"});
    } else if (Is(t, u"Mod")) {
      out.push_back(Punct(u"%"));
    } else if (Is(t, u"DistinctRow")) {
      out.push_back(Word(u"DISTINCT"));
    } else if (Is(t, u"Delete") && i == first) {
      // "Delete * From t", "Delete t.* From t": what stands before From goes.
      out.push_back(Word(u"DELETE"));
      size_t from = next;
      while (from < in.size() && !Is(in[from], u"From")) ++from;
      if (from < in.size()) {
        out.push_back(Space());
        i = from - 1;
      }
    } else if (Is(t, u"Top")) {
      // Top n right after SELECT [DISTINCT|ALL]: LIMIT n at the end of that SELECT.
      size_t p = prev;
      if (p < in.size() && (Is(in[p], u"Distinct") || Is(in[p], u"DistinctRow") || Is(in[p], u"All")))
        p = PrevSolid(in, p);
      if (p < in.size() && Is(in[p], u"Select") && next < in.size() && in[next].kind == Token::kNumber) {
        pending_limit.back() = in[next].text;
        i = next;
        if (i + 1 < in.size() && in[i + 1].kind == Token::kSpace) ++i;
      } else {
        out.push_back(t);
      }
    } else {
      out.push_back(t);
    }
  }
  if (!pending_limit.front().empty()) {
    while (!out.empty() && out.back().kind == Token::kSpace) out.pop_back();
    out.push_back(Space());
    out.push_back(Word(u"LIMIT"));
    out.push_back(Space());
    out.push_back(Token{Token::kNumber, pending_limit.front()});
  }
  return RewriteConcatenation(std::move(out));
}

std::string ToUtf8Sql(const std::vector<Token>& tokens) {
  String all;
  for (const auto& t : tokens) all += t.text;
  return vb::ToUtf8(all);
}

std::string TranslateToSqlite(StringView jet_sql) { return ToUtf8Sql(Translate(jet_sql)); }

String UnquoteName(StringView name) {
  if (name.size() >= 2 && ((name.front() == u'[' && name.back() == u']') ||
                           (name.front() == u'`' && name.back() == u'`') ||
                           (name.front() == u'"' && name.back() == u'"'))) {
    // A doubled closing character ("]]", "\"\"") stands for one.
    char16_t close = name.back();
    String out;
    StringView body = name.substr(1, name.size() - 2);
    for (size_t i = 0; i < body.size(); ++i) {
      out.push_back(body[i]);
      if (close != u'`' && body[i] == close && i + 1 < body.size() && body[i + 1] == close) ++i;
    }
    return out;
  }
  return String(name);
}

std::string QuoteName(StringView name) {
  std::string out = "\"";
  for (char c : vb::ToUtf8(name)) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

bool ReturnsRows(const std::vector<Token>& t) {
  size_t first = NextSolid(t, 0);
  if (first >= t.size()) return false;
  if (IsPunct(t[first], u"(")) return true;
  return Is(t[first], u"Select") || Is(t[first], u"With") || Is(t[first], u"Values") ||
         Is(t[first], u"Pragma") || Is(t[first], u"Transform");
}

std::optional<SelectParts> SplitSelect(const std::vector<Token>& t) {
  size_t i = NextSolid(t, 0);
  if (i >= t.size() || !Is(t[i], u"Select")) return std::nullopt;
  SelectParts parts;
  std::vector<Token> item;
  int depth = 0;
  auto finish = [&] {
    // Drop blanks around and a trailing "As alias" (or a bare alias after a call).
    std::vector<Token> solid;
    for (auto& tok : item)
      if (tok.kind != Token::kSpace) solid.push_back(std::move(tok));
    if (solid.size() >= 2 && Is(solid[solid.size() - 2], u"As")) solid.resize(solid.size() - 2);
    else if (solid.size() >= 2 && IsPunct(solid[solid.size() - 2], u")") &&
             (solid.back().kind == Token::kWord || solid.back().kind == Token::kIdentifier))
      solid.pop_back();
    parts.items.push_back(std::move(solid));
    item.clear();
  };
  for (size_t k = i + 1; k < t.size(); ++k) {
    const Token& tok = t[k];
    if (IsPunct(tok, u"(")) ++depth;
    else if (IsPunct(tok, u")")) --depth;
    if (depth == 0 && Is(tok, u"From")) {
      finish();
      std::vector<Token> rest(t.begin() + static_cast<std::ptrdiff_t>(k), t.end());
      parts.from = ToUtf8Sql(rest);
      return parts;
    }
    if (depth == 0 && IsPunct(tok, u",")) {
      finish();
      continue;
    }
    if (depth == 0 && item.empty() && (Is(tok, u"Distinct") || Is(tok, u"All"))) continue;
    item.push_back(tok);
  }
  finish();
  return parts;
}

int ExpressionType(const std::vector<Token>& item) {
  if (item.size() < 3 || item[0].kind != Token::kWord || !IsPunct(item[1], u"(") || !IsPunct(item.back(), u")"))
    return 0;
  for (StringView f : {u"qe_now", u"qe_date", u"qe_time", u"qe_dateadd", u"qe_cdate"})
    if (Is(item[0], f)) return 7;  // adDate
  return 0;
}

std::vector<Token> AggregateArgument(const std::vector<Token>& item) {
  if (item.size() < 4 || !(Is(item[0], u"Max") || Is(item[0], u"Min")) || !IsPunct(item[1], u"(") ||
      !IsPunct(item.back(), u")"))
    return {};
  return std::vector<Token>(item.begin() + 2, item.end() - 1);
}

std::optional<SingleTableSelect> AsSingleTableSelect(const std::vector<Token>& t) {
  size_t i = NextSolid(t, 0);
  if (i >= t.size() || !Is(t[i], u"Select")) return std::nullopt;
  size_t list_begin = i + 1;
  size_t first_in_list = NextSolid(t, list_begin);
  if (first_in_list < t.size() && (Is(t[first_in_list], u"Distinct") || Is(t[first_in_list], u"All")))
    return std::nullopt;
  // Walk the statement at depth 0, noting where FROM is and refusing the
  // shapes whose rows are not rows of one table.
  size_t from = t.size();
  int depth = 0;
  for (size_t k = list_begin; k < t.size(); ++k) {
    const Token& tok = t[k];
    if (IsPunct(tok, u"(")) ++depth;
    else if (IsPunct(tok, u")")) --depth;
    if (depth != 0 || tok.kind != Token::kWord) continue;
    for (StringView w : {u"Group", u"Having", u"Union", u"Intersect", u"Except", u"Join", u"Into",
                         u"Window"})
      if (Is(tok, w)) return std::nullopt;
    if (from == t.size() && Is(tok, u"From")) from = k;
  }
  if (from == t.size()) return std::nullopt;
  size_t table = NextSolid(t, from + 1);
  if (table >= t.size() || (t[table].kind != Token::kWord && t[table].kind != Token::kIdentifier))
    return std::nullopt;
  size_t after = NextSolid(t, table + 1);
  // "schema.table" is not ours to key.
  if (after < t.size() && IsPunct(t[after], u".")) return std::nullopt;
  size_t alias = t.size();
  if (after < t.size() && Is(t[after], u"As")) {
    alias = NextSolid(t, after + 1);
    if (alias >= t.size()) return std::nullopt;
  } else if (after < t.size() && (t[after].kind == Token::kIdentifier ||
                                  (t[after].kind == Token::kWord && !Is(t[after], u"Where") &&
                                   !Is(t[after], u"Order") && !Is(t[after], u"Limit")))) {
    alias = after;
  }
  size_t rest = alias < t.size() ? NextSolid(t, alias + 1) : after;
  if (rest < t.size() && !(Is(t[rest], u"Where") || Is(t[rest], u"Order") || Is(t[rest], u"Limit")))
    return std::nullopt;  // a comma join or something else after the table
  auto join = [&](size_t a, size_t b) {
    std::vector<Token> part(t.begin() + static_cast<std::ptrdiff_t>(a), t.begin() + static_cast<std::ptrdiff_t>(b));
    return ToUtf8Sql(part);
  };
  SingleTableSelect s;
  s.list = join(list_begin, from);
  s.table = vb::ToUtf8(t[table].text);
  s.table_name = UnquoteName(t[table].text);
  s.ref = alias < t.size() ? vb::ToUtf8(t[alias].text) : s.table;
  s.from_table = alias < t.size() ? s.table + " " + s.ref : s.table;
  s.from = join(from, t.size());
  size_t end_of_filter = t.size();
  int level = 0;
  for (size_t k = from; k < t.size(); ++k) {
    if (IsPunct(t[k], u"(")) ++level;
    else if (IsPunct(t[k], u")")) --level;
    else if (level == 0 && (Is(t[k], u"Order") || Is(t[k], u"Limit"))) {
      if (Is(t[k], u"Limit")) s.limited = true;
      if (end_of_filter == t.size()) end_of_filter = k;
    }
  }
  s.filter = join(from, end_of_filter);
  return s;
}

std::string SingleTableSelect::KeysSql() const { return "SELECT " + ref + ".rowid " + from; }

std::string SingleTableSelect::CountSql() const {
  // The order does not change the number; a LIMIT does.
  if (limited) return "SELECT count(*) FROM (" + KeysSql() + ")";
  return "SELECT count(*) " + filter;
}

std::string SingleTableSelect::KeyBlockSql() const {
  if (limited) return "SELECT * FROM (" + KeysSql() + ") LIMIT ?1 OFFSET ?2";
  return KeysSql() + " LIMIT ?1 OFFSET ?2";
}

std::string SingleTableSelect::RowByKeySql() const {
  return "SELECT" + list + "FROM " + from_table + " WHERE " + ref + ".rowid=?1";
}

std::string SingleTableSelect::RowsWithKeysSql() const {
  return "SELECT " + ref + ".rowid," + list + from;
}

}  // namespace ado::jet
