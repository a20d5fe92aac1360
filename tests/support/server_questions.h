#pragma once
// Answers to the server's questions for the length of a test, and what was
// asked.
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sys/message_box.h"

namespace qe_test {

class ServerQuestions {
 public:
  // Every question is answered `answer` unless answers were queued.
  explicit ServerQuestions(int32_t answer = sys::vbYes) : answer_(answer) {
    previous_ = sys::SetMsgBoxHook([this](const sys::MsgBoxQuestion& q) {
      std::lock_guard lock(mutex_);
      asked_.push_back(q);
      if (queued_.empty()) return answer_;
      int32_t next = queued_.front();
      queued_.pop_front();
      return next;
    });
  }
  ~ServerQuestions() { sys::SetMsgBoxHook(previous_); }
  ServerQuestions(const ServerQuestions&) = delete;
  ServerQuestions& operator=(const ServerQuestions&) = delete;

  void Queue(int32_t answer) {
    std::lock_guard lock(mutex_);
    queued_.push_back(answer);
  }
  std::vector<sys::MsgBoxQuestion> Asked() const {
    std::lock_guard lock(mutex_);
    return asked_;
  }
  // The prompts asked, joined by "\n".
  std::string Prompts() const {
    std::string out;
    for (const auto& q : Asked()) out += (out.empty() ? "" : "\n") + vb::ToUtf8(q.prompt);
    return out;
  }

 private:
  mutable std::mutex mutex_;
  int32_t answer_;
  std::deque<int32_t> queued_;
  std::vector<sys::MsgBoxQuestion> asked_;
  sys::MsgBoxHook previous_;
};

}  // namespace qe_test
