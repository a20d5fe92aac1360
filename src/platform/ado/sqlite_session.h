#pragma once
// The Access providers (Jet 4.0, ACE 12.0, ACE 16.0) over SQLite files.
#include <memory>

#include "platform/ado/provider.h"
#include "platform/ado/sqlite_db.h"

namespace ado {

class SqliteSession : public Session {
 public:
  SqliteSession(ProviderId provider, std::shared_ptr<Database> db) : provider_(provider), db_(std::move(db)) {}

  ProviderId Provider() const override { return provider_; }
  QueryResult Execute(StringView sql, CursorType cursor, bool updatable) override;
  int BeginTrans() override;
  void CommitTrans() override;
  void RollbackTrans() override;
  int TransactionLevel() const override { return level_; }
  std::unique_ptr<BoundStatement> Prepare(StringView sql) override;

  Database& Db() { return *db_; }
  const std::shared_ptr<Database>& SharedDb() const { return db_; }

 private:
  ProviderId provider_;
  std::shared_ptr<Database> db_;
  int level_ = 0;
};

// The engine's name in errors ("Microsoft JET Database Engine", ...).
String EngineSource(ProviderId provider);

}  // namespace ado
