#include "platform/asp/session.h"

#include "platform/asp/member_args.h"

namespace asp {

Variant SessionState::Get(StringView name) const {
  std::lock_guard lock(mutex_);
  const Variant* value = values_.Find(name);
  return value ? *value : Variant();
}

void SessionState::Put(StringView name, Variant value) {
  std::lock_guard lock(mutex_);
  values_.Insert(name) = std::move(value);
}

void SessionState::Remove(StringView name) {
  std::lock_guard lock(mutex_);
  values_.Remove(name);
}

void SessionState::RemoveAll() {
  std::lock_guard lock(mutex_);
  values_.Clear();
}

std::vector<String> SessionState::Keys() const {
  std::lock_guard lock(mutex_);
  std::vector<String> keys;
  for (const auto& entry : values_) keys.push_back(entry.name);
  return keys;
}

void SessionState::SetTimeout(int32_t minutes) {
  if (minutes < 1) vb::Raise(vb::kInvalidProcedureCall);
  timeout_minutes_ = minutes;
}

MemorySessionStore::MemorySessionStore(Clock clock)
    : clock_(std::move(clock)), random_(std::random_device{}()) {
  next_id_ = static_cast<int32_t>(100000000 + random_() % 800000000);
}

bool MemorySessionStore::Expired(const Held& held, std::chrono::steady_clock::time_point now) const {
  return now - held.last_used >= std::chrono::minutes(held.state->Timeout());
}

std::shared_ptr<SessionState> MemorySessionStore::Open(StringView token) {
  std::lock_guard lock(mutex_);
  auto it = sessions_.find(String(token));
  if (it == sessions_.end()) return nullptr;
  auto now = clock_();
  if (Expired(it->second, now)) {
    sessions_.erase(it);
    return nullptr;
  }
  it->second.last_used = now;
  return it->second.state;
}

std::shared_ptr<SessionState> MemorySessionStore::Create() {
  std::lock_guard lock(mutex_);
  auto now = clock_();
  std::erase_if(sessions_, [&](const auto& item) { return Expired(item.second, now); });
  String token;
  do {
    // 24 upper-case letters, as the ASPSESSIONID cookie carries.
    token.clear();
    for (int i = 0; i < 24; ++i) token.push_back(static_cast<char16_t>(u'A' + random_() % 26));
  } while (sessions_.count(token));
  auto state = std::make_shared<SessionState>(token, next_id_++);
  sessions_[token] = {state, now};
  return state;
}

void MemorySessionStore::Remove(StringView token) {
  std::lock_guard lock(mutex_);
  sessions_.erase(String(token));
}

size_t MemorySessionStore::Count() const {
  std::lock_guard lock(mutex_);
  return sessions_.size();
}

Session::Session(std::shared_ptr<SessionState> state)
    : state_(std::move(state)), contents_(std::make_shared<Contents>(state_)) {}

const com::MemberTable<Session>& Session::Members() {
  using Self = Session;
  using Args = com::ArgList;
  static const com::MemberTable<Self> table{
      {u"Contents", com::kGet, 0, 1,
       [](Self& self, Args& args) -> Variant {
         if (args.IsMissing(0)) return Variant(self.contents_);
         return contents::Get(*self.state_, args);
       }},
      {u"Abandon", com::kGet, 0, 0,
       [](Self& self, Args&) -> Variant {
         self.state_->Abandon();
         return {};
       }},
      {u"SessionID", com::kGet, 0, 0, [](Self& self, Args&) -> Variant { return self.state_->Id(); }},
      {u"Timeout", com::kGet, 0, 0, [](Self& self, Args&) -> Variant { return self.state_->Timeout(); }},
      {u"Timeout", com::kLet, 1, 1,
       [](Self& self, Args& args) -> Variant {
         self.state_->SetTimeout(vb::CLng(com::ValueOf(args[0])));
         return {};
       }},
      {u"CodePage", com::kGet, 0, 0, [](Self& self, Args&) -> Variant { return self.state_->CodePage(); }},
      {u"CodePage", com::kLet, 1, 1,
       [](Self& self, Args& args) -> Variant {
         self.state_->SetCodePage(vb::CLng(com::ValueOf(args[0])));
         return {};
       }},
      {u"LCID", com::kGet, 0, 0, [](Self& self, Args&) -> Variant { return self.state_->Lcid(); }},
      {u"LCID", com::kLet, 1, 1,
       [](Self& self, Args& args) -> Variant {
         self.state_->SetLcid(vb::CLng(com::ValueOf(args[0])));
         return {};
       }},
  };
  return table;
}

Variant Session::Invoke(StringView name, com::CallType type, com::ArgList& args) {
  return InvokeOrContents(*this, *contents_, name, type, args);
}

}  // namespace asp
