// Jet SQL as pages send it, rewritten for SQLite: whatever the text, the
// rewrite ends (no loop on unbalanced parentheses) and raises only run-time
// errors; connection strings and date literals are read without crashing.
#include <cstddef>
#include <cstdint>

#include "platform/ado/connection_string.h"
#include "platform/ado/jet_dates.h"
#include "platform/ado/jet_sql.h"
#include "platform/vb/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vb::String text = vb::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    auto translated = ado::jet::Translate(text);
    ado::jet::ToUtf8Sql(translated);
    if (auto select = ado::jet::AsSingleTableSelect(translated)) {
      select->KeysSql();
      select->CountSql();
      select->KeyBlockSql();
      select->RowByKeySql();
    }
    if (auto parts = ado::jet::SplitSelect(translated))
      for (auto& item : parts->items) {
        ado::jet::ExpressionType(item);
        ado::jet::AggregateArgument(item);
      }
    ado::jet::ReturnsRows(translated);
  } catch (const vb::Error&) {
    // Refused SQL is an answer.
  }
  ado::ConnectionString::Parse(text).Without({u"a"});
  vb::DateParts parts;
  ado::jet::ParseJetDateLiteral(text, parts);
  return 0;
}
