#pragma once
// The Application object: values shared by every request of the site, and
// Lock/Unlock around changes to them.
//
// Lock is held by one request at a time (re-entrant for that request) until
// its Unlock, or at the latest until the request ends. Meanwhile other
// requests wait in Lock and in every change of a value; reading never waits.
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/asp/contents.h"

namespace asp {

// The values and the lock, shared by all Application objects of a site.
class ApplicationState {
 public:
  // `holder` names the request (its Application object) that acts.
  Variant Get(StringView name) const;
  void Put(const void* holder, StringView name, Variant value);
  void Remove(const void* holder, StringView name);
  void RemoveAll(const void* holder);
  std::vector<String> Keys() const;

  void Lock(const void* holder);
  // One Unlock per Lock; an Unlock without a Lock does nothing.
  void Unlock(const void* holder);
  // The end of a request: gives up the lock however often it was taken.
  void ReleaseLock(const void* holder);
  bool LockedBy(const void* holder) const;

 private:
  // Waits until no other request holds the lock; `lock` holds mutex_.
  void WaitForTurn(std::unique_lock<std::mutex>& lock, const void* holder);

  mutable std::mutex mutex_;
  std::condition_variable released_;
  const void* holder_ = nullptr;
  int depth_ = 0;
  ValueTable values_;
};

class Application : public com::Dispatch<Application> {
 public:
  explicit Application(std::shared_ptr<ApplicationState> state);
  ~Application() override;

  static const com::MemberTable<Application>& Members();
  String TypeName() const override { return u"IApplicationObject"; }
  // Application("x"), Remove, RemoveAll and the rest of Contents answer on
  // the Application itself.
  Variant Invoke(StringView name, com::CallType type, com::ArgList& args) override;

  ApplicationState& State() { return *state_; }
  void Lock() { state_->Lock(this); }
  void Unlock() { state_->Unlock(this); }
  void ReleaseLock() { state_->ReleaseLock(this); }

 private:
  std::shared_ptr<ApplicationState> state_;
  std::shared_ptr<ValueStore> values_;
  std::shared_ptr<Contents> contents_;
};

}  // namespace asp
