#pragma once
// OLE DB connection strings: "Key=Value;Key=Value", and the provider they name.
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

#include "platform/vb/string.h"

namespace ado {

using vb::String;
using vb::StringView;

// Keys are compared without regard to case and blanks around them; values
// lose the blanks around them unless quoted ("..." or '...', the quote
// doubled inside) or braced ({...}, as ODBC drivers are named).
class ConnectionString {
 public:
  static ConnectionString Parse(StringView text);

  // The first value given for any of the keys.
  std::optional<String> Get(std::initializer_list<StringView> keys) const;
  bool Has(std::initializer_list<StringView> keys) const { return Get(keys).has_value(); }
  // The text again, without the given keys.
  String Without(std::initializer_list<StringView> keys) const;

  const std::vector<std::pair<String, String>>& Items() const { return items_; }

 private:
  std::vector<std::pair<String, String>> items_;
};

// The providers this layer can stand in for.
enum class ProviderId {
  kJet4,            // Microsoft.Jet.OLEDB.4.0
  kJet351,          // Microsoft.Jet.OLEDB.3.51: the same files here
  kAce12,           // Microsoft.ACE.OLEDB.12.0
  kAce16,           // Microsoft.ACE.OLEDB.16.0
  kSqlOleDb,        // SQLOLEDB (and the SQL Server native clients)
  kSqlServerOdbc,   // MSDASQL with the SQL Server ODBC driver
  kAccessOdbc,      // MSDASQL with the Access ODBC driver
};

// The provider a connection string asks for, given the connection's Provider
// property (ADO's default is MSDASQL); nullopt for a provider this layer does
// not know (opening with it fails as "provider cannot be found").
std::optional<ProviderId> ProviderOf(const ConnectionString& cs, StringView provider_property);

// The provider's name as the Provider property shows it.
String ProviderName(ProviderId id);
// True for the Access providers (the file databases).
bool IsFileProvider(ProviderId id);

}  // namespace ado
