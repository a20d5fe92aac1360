// The kernel's send buffers of the server's sockets within their total: an
// answer grows its buffer as its client takes what it is sent, doubling,
// never past an even share of the total among the answers being sent.
#include "host/send_buffers.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

constexpr uint64_t kTotal = 1 << 20;
// Within the kernel's default limit of a buffer (net.core.wmem_max).
constexpr uint64_t kMost = 384 * 1024;

// Sockets the shares size, open until the end of the test.
class Sockets {
 public:
  ~Sockets() {
    for (int sock : open_) ::close(sock);
  }
  int Open() {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) return -1;
    open_.insert(open_.end(), pair, pair + 2);
    return pair[0];
  }

 private:
  std::vector<int> open_;
};

// A client that takes at once what fills its socket, time after time.
void TakesEverything(host::SendShare& share) {
  for (int turn = 0; turn < 16; ++turn) share.Grow();
}

// The kernel keeps a buffer's size even: a share is its even share within that.
void ExpectShareOf(const host::SendShare& share, size_t sending, const char* when) {
  EXPECT_NEAR(static_cast<double>(share.Share()), static_cast<double>(kTotal / sending), 2) << when;
}

TEST(SendBuffers, AnAnswerGrowsToItsEvenShareAmongThoseBeingSentAsTheyComeAndGo) {
  host::SendBufferTotal total;
  total.Configure(kTotal, kMost, 32 * 1024, 8);
  Sockets sockets;
  std::vector<std::unique_ptr<host::SendShare>> answers;
  auto begin = [&] {
    answers.push_back(std::make_unique<host::SendShare>(total, sockets.Open()));
    answers.back()->Begin();
    return answers.back().get();
  };

  host::SendShare* first = begin();
  EXPECT_EQ(first->Share(), 32u * 1024) << "an answer starts small";
  first->Grow();
  EXPECT_EQ(first->Share(), 64u * 1024) << "a client that took one socketful and stops holds twice the start, not the most";
  TakesEverything(*first);
  EXPECT_EQ(first->Share(), kMost) << "alone, an answer grows to the most one socket holds";

  for (int i = 0; i < 7; ++i) begin();
  first->Step();
  ExpectShareOf(*first, 8, "at its next send, brought down to its share among 8");
  host::SendShare* second = answers[1].get();
  TakesEverything(*second);
  ExpectShareOf(*second, 8, "among 8, the total is not one answer's to take");
  EXPECT_LE(total.Used(), kTotal);

  // One answer handed over whole, one whose socket closed.
  answers[7]->End();
  answers.pop_back();
  answers.pop_back();
  TakesEverything(*second);
  ExpectShareOf(*second, 6, "two gone, the 6 left share the total");
  begin();
  second->Step();
  ExpectShareOf(*second, 7, "a newcomer came");
  TakesEverything(*answers.back());
  EXPECT_LE(answers.back()->Share(), kTotal / 7) << "the newcomer";
  EXPECT_LE(total.Used(), kTotal);
}

// A total smaller than the kernel's least buffer for every connection the
// server may hold: the starts kept for them take half of it, and an answer
// still grows in the other half.
TEST(SendBuffers, AnAnswerGrowsWhenTheTotalIsSmallForTheConnectionLimit) {
  host::SendBufferTotal total;
  total.Configure(kTotal, kMost, 32 * 1024, 384);
  Sockets sockets;
  host::SendShare answer(total, sockets.Open());
  answer.Begin();
  TakesEverything(answer);
  EXPECT_EQ(answer.Share(), kMost);
  EXPECT_LE(total.Used(), kTotal / 2);
}

// The starts kept free are those of the open connections not sending, not
// of every connection the server may hold: of a server that may hold 16,
// two answers share the total but for the start of the open connection
// between answers.
TEST(SendBuffers, TheStartsKeptAreThoseOfTheOpenConnectionsNotSending) {
  constexpr uint64_t kStart = 32 * 1024;
  host::SendBufferTotal total;
  total.Configure(kTotal, kTotal / 2, kStart, 16);
  Sockets sockets;
  host::SendShare idle(total, sockets.Open()), first(total, sockets.Open()), second(total, sockets.Open());
  first.Begin();
  second.Begin();
  TakesEverything(first);
  TakesEverything(second);
  EXPECT_EQ(first.Share(), kTotal / 2);
  EXPECT_EQ(second.Share(), kTotal / 2 - kStart);
}

}  // namespace
