#pragma once
// ADO's Command with Prepared True and "?" parameters, for callers in C++: a
// statement that returns no rows, prepared once on an open connection and
// run as often as needed with values bound to its markers, so that they are
// stored with their types and never read as SQL text.
#include <memory>
#include <vector>

#include "platform/ado/connection.h"

namespace ado {

class PreparedCommand {
 public:
  // `connection` holds an open "ADODB.Connection" (else 3709). The provider's
  // errors for the statement (a table or column that is missing) are raised
  // here.
  PreparedCommand(const Variant& connection, StringView sql);
  // Runs the statement with these values; the number of rows it changed.
  // A provider's error is recorded in the connection's Errors and raised.
  int64_t Execute(const std::vector<Variant>& parameters);

 private:
  std::shared_ptr<Connection> connection_;
  std::unique_ptr<BoundStatement> statement_;
};

}  // namespace ado
