#pragma once
// Which providers this server has, where files are, and opening a session.
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/ado/connection_string.h"
#include "platform/ado/provider.h"

namespace ado {

// The providers that count as installed (all of them unless a test says
// otherwise). Opening with one that is not installed fails as ADO does:
// error 3706, "Provider cannot be found".
void SetInstalledProviders(std::vector<ProviderId> installed);
void InstallAllProviders();
bool IsProviderInstalled(ProviderId id);

// Opens a session for a connection string (`provider_property`: the
// connection's Provider property, for strings that name none). Raises 3706
// for a provider that is unknown or not installed, and the provider's own
// error (a negative number) when it cannot open what the string names.
std::unique_ptr<Session> OpenSession(const ConnectionString& cs, StringView provider_property,
                                     StringView user, StringView password);

// The host file of a Windows path in a connection string; a path that does
// not map fails as the engine reports a missing file (a negative number).
std::filesystem::path HostFileOf(StringView windows_path, StringView engine_source);

// The file that a file provider's connection string names (Data Source, or
// DBQ for the ODBC driver), as given.
String DataSourceOf(const ConnectionString& cs);

}  // namespace ado
