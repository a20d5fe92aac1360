#pragma once
// A writer that dies in the middle of a commit, as a crash leaves it: its
// journal synced and the database written, the journal not yet deleted (the
// step "committing" of the database file layer).
#include <sqlite3.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/ado/replaceable_files.h"
#include "support/stopped_child.h"

namespace qe_test {

// A process of its own runs `statement(1)`, `statement(2)` … on a connection
// of its own to `database`, each committed on its own, and is killed in the
// middle of its `cut`-th commit. How many of them it saw committed; -1 when
// it never reached that commit.
inline int CommitsBeforeKilled(const std::filesystem::path& database,
                               const std::function<std::string(int n)>& statement, int cut) {
  int told[2];
  if (::pipe(told) != 0) return -1;
  const std::string step = "committing#" + std::to_string(cut);
  const pid_t killed = KilledAtStep(step.c_str(), [&] {
    ::close(told[0]);
    ado::UseReplaceableDatabaseFiles();
    sqlite3* db = nullptr;
    sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    for (int n = 1; sqlite3_exec(db, statement(n).c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; ++n)
      if (::write(told[1], "+", 1) != 1) break;
  });
  ::close(told[1]);
  int committed = 0;
  char byte;
  while (::read(told[0], &byte, 1) == 1) ++committed;
  ::close(told[0]);
  return killed ? committed : -1;
}

}  // namespace qe_test
