#include "maintenance/sql_server_script.h"

#include <regex>
#include <string>

#include "common/kesra_file_operations.h"
#include "common/kesra_file_text.h"
#include "shell/qe_main_database.h"

namespace qe {
namespace {

// One Jet column type and what follows it, in SQL Server's words.
std::u16string Translated(const std::u16string& statement) {
  struct Rule {
    std::wregex jet;
    const wchar_t* server;
  };
  static const Rule rules[] = {
      {std::wregex(L"\\bCounter Primary Key\\b", std::regex::icase), L"int IDENTITY(1,1) Primary Key"},
      {std::wregex(L"\\bText\\((\\d+)\\)", std::regex::icase), L"nvarchar($1)"},
      {std::wregex(L"\\bMemo\\b", std::regex::icase), L"ntext"},
      {std::wregex(L"\\bLong\\b", std::regex::icase), L"int"},
      {std::wregex(L"\\bYesNo\\b", std::regex::icase), L"smallint"},
  };
  std::wstring text(statement.begin(), statement.end());
  for (const Rule& rule : rules) text = std::regex_replace(text, rule.jet, rule.server);
  return std::u16string(text.begin(), text.end());
}

}  // namespace

vb::String SqlServerCreationScript() {
  vb::String script;
  for (const vb::String& statement : MainSchemaStatements()) script += Translated(statement) + u"\r\nGO\r\n";
  return script;
}

bool ProvideSqlServerScript(const vb::String& path) {
  vb::String script = SqlServerCreationScript();
  if (KesraFileExist(path, 0) && KesraReadFromTextFile(path) == script) return false;
  return KesraSaveToTextFile(path, script, 2);
}

}  // namespace qe
