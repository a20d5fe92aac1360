#pragma once
// The Jet SQL dialect that the component and the site's pages send, rewritten
// for SQLite.
//
// Brackets pass through; #dates# become the stored date text; Top n becomes
// LIMIT n; a & b becomes qe_concat(a, b) (Null only when both are); True and False become -1 and 0; Mod becomes %;
// "Delete * From" becomes "DELETE FROM"; "double-quoted" literals become
// 'single-quoted'; DistinctRow becomes DISTINCT; Jet's functions (Left, Mid,
// Len, InStr, Format, Now, DateAdd, ...) become the functions that
// jet_functions registers. Nothing else is changed: everything that both
// dialects share (Like with % and _, Is Null, Between, IIf) passes as it is.
#include <optional>
#include <string>
#include <vector>

#include "platform/vb/string.h"

namespace ado::jet {

using vb::String;
using vb::StringView;

struct Token {
  enum Kind { kSpace, kWord, kIdentifier, kString, kNumber, kPunct } kind;
  String text;  // as written (a kString keeps its quotes)
};

// Splits Jet SQL into tokens. Raises a provider syntax error for an
// unterminated string, bracket or date.
std::vector<Token> Tokenize(StringView sql);

// The statement rewritten for SQLite, as tokens. Raises a provider syntax
// error for a malformed #date# or for text after the end of the statement
// (Jet runs one statement per call).
std::vector<Token> Translate(StringView jet_sql);

std::string ToUtf8Sql(const std::vector<Token>& tokens);

// Translate + ToUtf8Sql.
std::string TranslateToSqlite(StringView jet_sql);

// A SELECT over one table, in the shape whose rows can be found again by
// their row id: SELECT <list> FROM <table> [alias] [WHERE ...] [ORDER BY ...]
// [LIMIT ...], without DISTINCT, GROUP BY, joins or compound parts.
struct SingleTableSelect {
  std::string list;      // the select list
  std::string table;     // the table as written ("[Config]")
  String table_name;     // its name without brackets or quotes
  std::string from;      // "FROM" and everything after it
  std::string filter;    // "FROM" up to ORDER BY or LIMIT
  bool limited = false;  // the statement has its own LIMIT (Top n)
  std::string ref;       // how the list refers to the table (alias or table)
  std::string from_table; // "<table> [alias]"

  // The statements built from it.
  std::string KeysSql() const;         // SELECT <ref>.rowid FROM ...
  std::string CountSql() const;        // the number of rows the statement gives
  std::string KeyBlockSql() const;     // KeysSql with ?1 keys from position ?2
  std::string RowByKeySql() const;     // SELECT <list> FROM <table> WHERE <ref>.rowid=?1
  std::string RowsWithKeysSql() const; // SELECT <ref>.rowid, <list> FROM ...
};
std::optional<SingleTableSelect> AsSingleTableSelect(const std::vector<Token>& translated);

// The items of a SELECT's list (without their "As alias") and its FROM part,
// for typing the columns that are expressions.
struct SelectParts {
  std::vector<std::vector<Token>> items;
  std::string from;  // "FROM ..." to the end
};
std::optional<SelectParts> SplitSelect(const std::vector<Token>& translated);

// The type that an expression has whatever it reads: adDate for Jet's date
// functions, 0 when the expression does not say.
int ExpressionType(const std::vector<Token>& item);
// The argument of Max(...) or Min(...) when the item is one, else empty:
// its type is the type of the argument.
std::vector<Token> AggregateArgument(const std::vector<Token>& item);

// True when the statement is a query (returns rows).
bool ReturnsRows(const std::vector<Token>& translated);

// A name without its brackets, backquotes or double quotes.
String UnquoteName(StringView name);
// A name quoted for SQLite.
std::string QuoteName(StringView name);

}  // namespace ado::jet
