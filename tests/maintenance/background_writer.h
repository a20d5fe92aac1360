#pragma once
// A page that keeps inserting rows into a database on a thread of its own,
// for tests of what a maintenance step does to writers meanwhile.
#include <atomic>
#include <thread>

#include "platform/ado/ado_fixture.h"

namespace access_test {

class BackgroundWriter {
 public:
  // Runs `insert` on its own connection to the database until Stop, and
  // returns once it has committed `first_rows` rows.
  BackgroundWriter(ado_test::StringView database, ado_test::StringView insert, int first_rows = 20)
      : insert_(insert), thread_([this, file = ado_test::String(database)] { Run(file); }) {
    while (committed_ < first_rows && failed_ == 0) std::this_thread::yield();
  }
  ~BackgroundWriter() { Stop(); }

  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  int Committed() const { return committed_; }
  int Failed() const { return failed_; }

 private:
  void Run(const ado_test::String& database) {
    ado_test::Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", ado_test::Jet(database));
    while (!stop_) {
      try {
        com::Call(conn, u"Execute", insert_);
        ++committed_;
      } catch (const vb::Error&) {
        ++failed_;
      }
    }
  }

  ado_test::String insert_;
  std::atomic<bool> stop_{false};
  std::atomic<int> committed_{0}, failed_{0};
  std::thread thread_;
};

}  // namespace access_test
