#include "host/site_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>

#include <algorithm>
#include <cerrno>
#include <thread>
#include <vector>

#include "host/client_slots.h"
#include "host/editor_upload_room.h"
#include "host/http_answer.h"
#include "host/http_connection.h"
#include "facade/qecls.h"

namespace host {
namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

constexpr size_t kMaxRefusing = 256;  // refusals being sent at once; past that, a plain close
constexpr auto kRefusalTime = std::chrono::milliseconds(500);
constexpr auto kAcceptPause = std::chrono::milliseconds(50);  // out of file descriptors: try again after
constexpr auto kDrainCheck = std::chrono::milliseconds(20);    // how often a graceful stop looks whether it is done
// Connections taken at one go when the accept queue holds more: under a
// flood of new connections a visitor's is not left waiting behind each
// turn of the loop that accepts.
constexpr int kAcceptBatch = 64;

size_t EventLoops() {
  size_t cores = std::max(1u, std::thread::hardware_concurrency());
  return std::clamp<size_t>(cores / 2, 1, 4);
}

// A connection past the limit: "503 Service Unavailable", then closed once
// the client has had a moment to read it.
class Refusal : public std::enable_shared_from_this<Refusal> {
 public:
  Refusal(tcp::socket socket, std::atomic<size_t>& count)
      : socket_(std::move(socket)), timer_(socket_.get_executor()), count_(count) {
    ++count_;
  }
  ~Refusal() { --count_; }

  void Start() {
    timer_.expires_after(kRefusalTime);
    timer_.async_wait([self = shared_from_this()](const boost::system::error_code& error) {
      if (!error) self->Close();
    });
    asio::async_write(socket_, asio::buffer(answer_), [self = shared_from_this()](const boost::system::error_code& error, size_t) {
      if (error) return self->Close();
      boost::system::error_code ignored;
      self->socket_.shutdown(tcp::socket::shutdown_send, ignored);
      self->Drain();
    });
  }

 private:
  void Drain() {
    socket_.async_read_some(asio::buffer(scratch_), [self = shared_from_this()](const boost::system::error_code& error, size_t) {
      if (error) return self->Close();
      self->Drain();
    });
  }
  void Close() {
    boost::system::error_code ignored;
    socket_.close(ignored);
    timer_.cancel();
  }

  tcp::socket socket_;
  asio::steady_timer timer_;
  std::atomic<size_t>& count_;
  std::string answer_ = StatusAnswer(503, true);
  char scratch_[1024];
};

}  // namespace

size_t DefaultPageWorkers() {
  return std::clamp<size_t>(2 * static_cast<size_t>(std::thread::hardware_concurrency()), 8, 64);
}

struct SiteServer::Impl {
  // Declared first, so it outlives the connections that the loops still hold
  // when they are destroyed.
  ServedSite site;
  std::vector<std::unique_ptr<asio::io_context>> loops;
  std::vector<asio::executor_work_guard<asio::io_context::executor_type>> keep_running;
  // Stopped before the loops go: no page writes to a connection after that.
  std::unique_ptr<PageWorkers> workers;
  std::unique_ptr<tcp::acceptor> acceptor;
  std::unique_ptr<asio::steady_timer> accept_pause;
  std::unique_ptr<asio::steady_timer> drain_check;
  std::chrono::steady_clock::time_point drain_deadline;
  std::atomic<size_t> refusing{0};
  size_t next_loop = 0;
  // A descriptor kept free: when the system has none left for a new
  // connection, this one makes room to accept it, refuse it and close it,
  // so no client waits unanswered in the queue.
  int spare_descriptor = -1;

  void Accept();
  void RefuseWithSpareDescriptor();
  void OnAccept(const boost::system::error_code& error, tcp::socket socket);
  // A new connection: served, or refused past a limit.
  void Admit(tcp::socket socket);
  void BeginDrain(std::chrono::milliseconds drain);
  void CheckDrained();
  void StopLoops();
};

void SiteServer::Impl::Accept() {
  asio::io_context& loop = *loops[next_loop++ % loops.size()];
  acceptor->async_accept(loop, [this](const boost::system::error_code& error, tcp::socket socket) {
    OnAccept(error, std::move(socket));
  });
}

void SiteServer::Impl::OnAccept(const boost::system::error_code& error, tcp::socket socket) {
  if (error == asio::error::operation_aborted || !acceptor->is_open()) return;
  if ((error == asio::error::no_descriptors || error.value() == ENFILE) && spare_descriptor >= 0) {
    RefuseWithSpareDescriptor();
    return Accept();
  }
  if (error) {
    // Out of file descriptors, most likely: the connections that end make room.
    accept_pause->expires_after(kAcceptPause);
    accept_pause->async_wait([this](const boost::system::error_code& waited) {
      if (!waited) Accept();
    });
    return;
  }
  Admit(std::move(socket));
  // More waiting: taken now, each on the next loop.
  for (int i = 1; i < kAcceptBatch; ++i) {
    boost::system::error_code waiting;
    tcp::socket next = acceptor->accept(*loops[next_loop++ % loops.size()], waiting);
    if (waiting) break;  // none (or out of descriptors: the next wait finds out)
    Admit(std::move(next));
  }
  Accept();
}

void SiteServer::Impl::Admit(tcp::socket socket) {
  auto executor = socket.get_executor();
  boost::system::error_code ignored;
  std::string client = ClientOf(socket.remote_endpoint(ignored).address());
  // A client at its own limit makes no room; else at the server's limit a
  // client holding more than its share, or a waiting connection, makes room.
  bool taken = site.clients.Take(client);
  if (taken && site.connections.load() - site.evicting.load() >= site.limits.max_connections &&
      !HttpConnection::MakeRoom(site, client)) {
    site.clients.Give(client);
    taken = false;
  }
  if (!taken) {
    if (refusing.load() < kMaxRefusing) {
      asio::post(executor, [refusal = std::make_shared<Refusal>(std::move(socket), refusing)] { refusal->Start(); });
    }
  } else {
    auto connection = std::make_shared<HttpConnection>(std::move(socket), site, std::move(client));
    connection->Register();
    asio::post(executor, [connection = std::move(connection)] { connection->Start(); });
  }
}

void SiteServer::Impl::RefuseWithSpareDescriptor() {
  ::close(spare_descriptor);
  pollfd waiting{acceptor->native_handle(), POLLIN, 0};
  int client = ::poll(&waiting, 1, 0) > 0
                   ? ::accept4(acceptor->native_handle(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)
                   : -1;
  if (client >= 0) {
    static const std::string answer = StatusAnswer(503, true);
    [[maybe_unused]] ssize_t sent = ::send(client, answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    ::shutdown(client, SHUT_WR);
    ::close(client);
  }
  spare_descriptor = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

void SiteServer::Impl::BeginDrain(std::chrono::milliseconds drain) {
  if (site.draining.exchange(true)) return;
  drain_deadline = std::chrono::steady_clock::now() + drain;
  boost::system::error_code ignored;
  acceptor->close(ignored);
  accept_pause->cancel();
  std::vector<std::shared_ptr<HttpConnection>> open;
  {
    std::lock_guard lock(site.live_mutex);
    for (auto& [connection, owner] : site.live)
      if (auto held = owner.lock()) open.push_back(std::move(held));
  }
  for (auto& connection : open) connection->CloseIfIdle();
  CheckDrained();
}

void SiteServer::Impl::CheckDrained() {
  if (site.stopping) return;
  if ((site.connections.load() == 0 && refusing.load() == 0) || std::chrono::steady_clock::now() >= drain_deadline)
    return StopLoops();
  drain_check->expires_after(kDrainCheck);
  drain_check->async_wait([this](const boost::system::error_code& error) {
    if (!error) CheckDrained();
  });
}

void SiteServer::Impl::StopLoops() {
  site.stopping = true;
  for (auto& loop : loops) loop->stop();
}

SiteServer::SiteServer(std::filesystem::path site_folder, Pages pages, ServerLimits limits)
    : impl_(std::make_unique<Impl>()) {
  Impl& self = *impl_;
  // Files go to the clients by sendfile, which cannot be asked to spare the
  // process the signal of a client gone: a client that resets its
  // connection is no reason to stop, whoever runs the server.
  ::signal(SIGPIPE, SIG_IGN);
  self.site.folder = std::move(site_folder);
  self.site.pages = std::move(pages);
  self.site.limits = limits;
  self.site.outboxes.spool_limit = limits.max_spooled_output;
  self.site.body_memory.SetLimit(limits.body_memory_budget);
  self.site.body_disk.SetLimit(limits.body_disk_budget);
  self.site.body_disk_shares.SetLimit(limits.body_disk_per_client ? limits.body_disk_per_client
                                                                  : limits.body_disk_budget / 4);
  self.site.head_memory.SetLimit(limits.head_memory_budget);
  if (limits.send_buffer_bytes > 0)
    self.site.send_buffers.Configure(limits.send_buffers_total, 2 * static_cast<uint64_t>(limits.send_buffer_bytes),
                                     2 * static_cast<uint64_t>(std::max(limits.send_buffer_start, 0)),
                                     limits.max_connections);
  self.site.clients.SetLimit(std::max<size_t>(limits.max_connections_per_client, 1));
  self.spare_descriptor = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  self.site.state.sessions = std::make_shared<asp::MemorySessionStore>(&std::chrono::steady_clock::now, limits.max_sessions);
  SetEditorUploadRoomSize(*self.site.state.application, limits.editor_room_mb);
  qe::RegisterComponentClasses();
  for (size_t i = 0; i < EventLoops(); ++i) {
    self.loops.push_back(std::make_unique<asio::io_context>(1));
    self.keep_running.push_back(asio::make_work_guard(*self.loops.back()));
  }
  self.workers = std::make_unique<PageWorkers>(std::max<size_t>(limits.threads, 1));
  self.site.workers = self.workers.get();
  self.acceptor = std::make_unique<tcp::acceptor>(*self.loops.front());
  self.accept_pause = std::make_unique<asio::steady_timer>(*self.loops.front());
  self.drain_check = std::make_unique<asio::steady_timer>(*self.loops.front());
}

SiteServer::~SiteServer() {
  Stop();
  impl_->acceptor.reset();
  impl_->accept_pause.reset();
  impl_->drain_check.reset();
  impl_->workers.reset();
  impl_->site.workers = nullptr;
  if (impl_->spare_descriptor >= 0) ::close(impl_->spare_descriptor);
}

int SiteServer::Bind(const std::string& host, int port, std::string* why) {
  boost::system::error_code error;
  std::vector<asio::ip::address> addresses;
  if (asio::ip::address address = asio::ip::make_address(host, error); !error) {
    addresses.push_back(address);
  } else {  // a host name: the first of its addresses that binds
    tcp::resolver resolver(*impl_->loops.front());
    auto found = resolver.resolve(host, std::to_string(port), tcp::resolver::numeric_service, error);
    if (!error)
      for (const auto& entry : found) addresses.push_back(entry.endpoint().address());
  }
  tcp::acceptor& acceptor = *impl_->acceptor;
  for (const asio::ip::address& address : addresses) {
    tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
    acceptor.open(endpoint.protocol(), error);
    // Lets a restarted server bind while the last run's connections linger;
    // on Linux it never lets two servers listen on one port.
    if (!error) acceptor.set_option(tcp::acceptor::reuse_address(true), error);
    if (!error) acceptor.bind(endpoint, error);
    if (!error) acceptor.listen(asio::socket_base::max_listen_connections, error);
    if (!error) acceptor.non_blocking(true, error);  // accepts what waits, and no more
    if (!error) return acceptor.local_endpoint().port();
    boost::system::error_code ignored;
    acceptor.close(ignored);
  }
  if (why) *why = error == asio::error::address_in_use ? "the address is in use (is another server listening there?)"
                                                        : error.message();
  return -1;
}

bool SiteServer::Run() {
  Impl& self = *impl_;
  if (!self.acceptor->is_open()) return false;
  asio::post(*self.loops.front(), [&self] { self.Accept(); });
  std::vector<std::thread> threads;
  for (size_t i = 1; i < self.loops.size(); ++i) threads.emplace_back([&self, i] { self.loops[i]->run(); });
  self.loops.front()->run();
  for (auto& thread : threads) thread.join();
  return true;
}

void SiteServer::Stop() { impl_->StopLoops(); }

void SiteServer::StopGracefully(std::chrono::milliseconds drain) {
  Impl& self = *impl_;
  asio::post(*self.loops.front(), [&self, drain] { self.BeginDrain(drain); });
}

}  // namespace host
