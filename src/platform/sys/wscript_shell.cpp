#include "platform/sys/wscript_shell.h"

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/com/registry.h"
#include "platform/sys/programs.h"

namespace sys {

namespace {

// Programs started without waiting; the process waits for them at its end.
class Background {
 public:
  ~Background() {
    std::lock_guard lock(mutex_);
    for (Started& started : started_) started.thread.join();
  }
  void Start(vb::String line) {
    std::lock_guard lock(mutex_);
    started_.remove_if([](Started& started) {
      if (!*started.done) return false;
      started.thread.join();
      return true;
    });
    auto done = std::make_shared<std::atomic<bool>>(false);
    started_.push_back({std::thread([line = std::move(line), done] {
                          RunCommandLine(line);
                          *done = true;
                        }),
                        done});
  }

 private:
  struct Started {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::mutex mutex_;
  std::list<Started> started_;
};

Background& Programs() {
  static Background background;
  return background;
}

}  // namespace

int32_t WScriptShell::Run(vb::StringView line, int32_t, bool wait) {
  if (wait) return RunCommandLine(line);
  Programs().Start(vb::String(line));
  return 0;
}

const com::MemberTable<WScriptShell>& WScriptShell::Members() {
  static const com::MemberTable<WScriptShell> table{
      {u"Run", com::kGet, 1, 3,
       [](WScriptShell& shell, com::ArgList& a) {
         int32_t style = a.IsMissing(1) ? 1 : vb::CLng(com::ValueOf(a[1]));
         bool wait = a.IsMissing(2) ? false : vb::CBool(com::ValueOf(a[2]));
         return vb::Variant(shell.Run(vb::CStr(com::ValueOf(a[0])), style, wait));
       }},
  };
  return table;
}

void RegisterClasses() {
  com::RegisterClass({u"WScript.Shell", u"{72C24DD5-D70A-438B-8A42-98424B88AFB8}",
                      [] { return std::static_pointer_cast<com::Object>(std::make_shared<WScriptShell>()); }});
}

}  // namespace sys
