#include "platform/ado/prepared_command.h"

#include "platform/ado/errors.h"

namespace ado {

std::unique_ptr<BoundStatement> Session::Prepare(StringView) {
  RaiseProvider(kEFail, u"The provider does not prepare statements.", kSourceConnection);
}

PreparedCommand::PreparedCommand(const Variant& connection, StringView sql) {
  if (connection.IsObject()) connection_ = std::dynamic_pointer_cast<Connection>(connection.GetObject());
  if (!connection_ || !connection_->IsOpen()) RaiseAdo(kErrInvalidConnection, kSourceConnection);
  statement_ = connection_->Guard([&] { return connection_->session().Prepare(sql); });
}

int64_t PreparedCommand::Execute(const std::vector<Variant>& parameters) {
  if (!connection_->IsOpen()) RaiseAdo(kErrInvalidConnection, kSourceConnection);
  return connection_->Guard([&] { return statement_->Run(parameters); });
}

}  // namespace ado
