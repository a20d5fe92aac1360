#include "platform/asp/application.h"

namespace asp {
namespace {

// The application's values as one request sees them: changes wait for the lock.
class RequestValues : public ValueStore {
 public:
  RequestValues(std::shared_ptr<ApplicationState> state, const void* holder)
      : state_(std::move(state)), holder_(holder) {}

  Variant Get(StringView name) const override { return state_->Get(name); }
  void Put(StringView name, Variant value) override { state_->Put(holder_, name, std::move(value)); }
  void Remove(StringView name) override { state_->Remove(holder_, name); }
  void RemoveAll() override { state_->RemoveAll(holder_); }
  std::vector<String> Keys() const override { return state_->Keys(); }

 private:
  std::shared_ptr<ApplicationState> state_;
  const void* holder_;
};

}  // namespace

Variant ApplicationState::Get(StringView name) const {
  std::lock_guard lock(mutex_);
  const Variant* value = values_.Find(name);
  return value ? *value : Variant();
}

void ApplicationState::WaitForTurn(std::unique_lock<std::mutex>& lock, const void* holder) {
  released_.wait(lock, [&] { return holder_ == nullptr || holder_ == holder; });
}

void ApplicationState::Put(const void* holder, StringView name, Variant value) {
  std::unique_lock lock(mutex_);
  WaitForTurn(lock, holder);
  values_.Insert(name) = std::move(value);
}

void ApplicationState::Remove(const void* holder, StringView name) {
  std::unique_lock lock(mutex_);
  WaitForTurn(lock, holder);
  values_.Remove(name);
}

void ApplicationState::RemoveAll(const void* holder) {
  std::unique_lock lock(mutex_);
  WaitForTurn(lock, holder);
  values_.Clear();
}

std::vector<String> ApplicationState::Keys() const {
  std::lock_guard lock(mutex_);
  std::vector<String> keys;
  for (const auto& entry : values_) keys.push_back(entry.name);
  return keys;
}

void ApplicationState::Lock(const void* holder) {
  std::unique_lock lock(mutex_);
  WaitForTurn(lock, holder);
  holder_ = holder;
  ++depth_;
}

void ApplicationState::Unlock(const void* holder) {
  std::lock_guard lock(mutex_);
  if (holder_ != holder) return;
  if (--depth_ == 0) {
    holder_ = nullptr;
    released_.notify_all();
  }
}

void ApplicationState::ReleaseLock(const void* holder) {
  std::lock_guard lock(mutex_);
  if (holder_ != holder) return;
  depth_ = 0;
  holder_ = nullptr;
  released_.notify_all();
}

bool ApplicationState::LockedBy(const void* holder) const {
  std::lock_guard lock(mutex_);
  return holder_ == holder;
}

Application::Application(std::shared_ptr<ApplicationState> state)
    : state_(state ? std::move(state) : std::make_shared<ApplicationState>()),
      values_(std::make_shared<RequestValues>(state_, this)),
      contents_(std::make_shared<Contents>(values_)) {}

Application::~Application() { ReleaseLock(); }

const com::MemberTable<Application>& Application::Members() {
  using Self = Application;
  using Args = com::ArgList;
  static const com::MemberTable<Self> table{
      {u"Contents", com::kGet, 0, 1,
       [](Self& self, Args& args) -> Variant {
         if (args.IsMissing(0)) return Variant(self.contents_);
         return contents::Get(*self.values_, args);
       }},
      {u"Lock", com::kGet, 0, 0,
       [](Self& self, Args&) -> Variant {
         self.Lock();
         return {};
       }},
      {u"Unlock", com::kGet, 0, 0,
       [](Self& self, Args&) -> Variant {
         self.Unlock();
         return {};
       }},
  };
  return table;
}

Variant Application::Invoke(StringView name, com::CallType type, com::ArgList& args) {
  return InvokeOrContents(*this, *contents_, name, type, args);
}

}  // namespace asp
