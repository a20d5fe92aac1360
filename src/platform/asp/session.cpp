#include "platform/asp/session.h"

#include <algorithm>

#include "platform/asp/member_args.h"
#include "platform/sys/system_random.h"

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

MemorySessionStore::MemorySessionStore(Clock clock, size_t max_sessions)
    : clock_(std::move(clock)), max_sessions_(std::max<size_t>(max_sessions, 1)) {
  uint32_t start = 0;
  sys::FillRandom(&start, sizeof start);
  next_id_ = static_cast<int32_t>(100000000 + start % 800000000);
}

// The last use plus Timeout minutes; a Timeout too long for the clock never
// comes.
MemorySessionStore::TimePoint MemorySessionStore::DeadlineOf(const Held& held) {
  using Minutes = std::chrono::duration<int64_t, std::ratio<60>>;
  constexpr Minutes kLatest = std::chrono::floor<Minutes>(TimePoint::max().time_since_epoch());
  const Minutes timeout(held.state->Timeout());
  if (std::chrono::floor<Minutes>(held.last_used.time_since_epoch()) + timeout >= kLatest) return TimePoint::max();
  return held.last_used + timeout;
}

void MemorySessionStore::File(Sessions::value_type& entry) {
  Held& held = entry.second;
  if (held.filed != deadlines_.end()) deadlines_.erase(held.filed);
  held.filed = deadlines_.emplace(DeadlineOf(held), &entry.first);
}

void MemorySessionStore::Erase(Sessions::iterator entry) {
  deadlines_.erase(entry->second.filed);
  if (entry->second.first_visit) first_visits_.erase(*entry->second.first_visit);
  sessions_.erase(entry);
}

void MemorySessionStore::MakeRoom() {
  while (sessions_.size() >= max_sessions_) {
    const String* token = first_visits_.empty() ? deadlines_.begin()->second : first_visits_.front();
    Erase(sessions_.find(*token));
  }
}

void MemorySessionStore::SweepExpired(TimePoint now) {
  while (!deadlines_.empty() && deadlines_.begin()->first <= now) {
    auto entry = sessions_.find(*deadlines_.begin()->second);
    if (now >= DeadlineOf(entry->second)) Erase(entry);
    else File(*entry);  // its Timeout grew: a later deadline
  }
}

std::shared_ptr<SessionState> MemorySessionStore::Open(StringView token) {
  std::lock_guard lock(mutex_);
  auto now = clock_();
  SweepExpired(now);
  auto entry = sessions_.find(String(token));
  if (entry == sessions_.end()) return nullptr;
  if (now >= DeadlineOf(entry->second)) {  // its Timeout shrank since it was filed
    Erase(entry);
    return nullptr;
  }
  Held& held = entry->second;
  held.last_used = now;
  if (held.first_visit) {
    first_visits_.erase(*held.first_visit);
    held.first_visit.reset();
  }
  File(*entry);
  return held.state;
}

std::shared_ptr<SessionState> MemorySessionStore::Create() {
  std::lock_guard lock(mutex_);
  auto now = clock_();
  SweepExpired(now);
  MakeRoom();
  String token;
  do {
    // Capitals, as the ASPSESSIONID cookie carries.
    token = sys::RandomCapitals(kTokenLetters);
  } while (sessions_.count(token));
  auto state = std::make_shared<SessionState>(token, next_id_++);
  auto& entry = *sessions_.emplace(std::move(token), Held{state, now, deadlines_.end(), std::nullopt}).first;
  File(entry);
  entry.second.first_visit = first_visits_.insert(first_visits_.end(), &entry.first);
  return state;
}

void MemorySessionStore::Remove(StringView token) {
  std::lock_guard lock(mutex_);
  auto entry = sessions_.find(String(token));
  if (entry != sessions_.end()) Erase(entry);
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
