// libmicrohttpd carries the requests: it is maintained in Debian, a GNU project with a long record,
// and it has what a public server needs built in and tested: an epoll loop whose threads a slow
// client cannot hold (no thread per connection), a cap on connections in all and per address, an
// idle timeout, a memory cap per connection for headers, and request bodies handed over in pieces
// so the body cap is ours to keep as they arrive.
#include "server/http.h"

#include "server/http_deadline.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {
int64_t UnixNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}
double Monotonic() { return SteadySeconds(); }

// One request in the making: what has arrived, and when its connection began waiting for it.
struct tpending {
  trequest request;
  size_t cap = 0;  // the most body this request may bring
};

}  // namespace

struct thttpserver::tstate {
  thttpconfig config;
  thandler handler;
  std::atomic<size_t> buffered{0};  // body bytes held by all requests in the making
  tdeadlines deadlines;
};

namespace {
// The connection's deadline: when the request now arriving began (the connection's start, or the
// end of the request before on a kept-alive connection).
tdeadline *Deadline(MHD_Connection *connection) {
  const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
  return info ? static_cast<tdeadline *>(info->socket_context) : nullptr;
}

MHD_Result Send(MHD_Connection *connection, const tresponse &answer, bool api) {
  // From here the library writes to the socket: the watchdog keeps off it.
  if (tdeadline *deadline = Deadline(connection)) deadline->answering = true;
  MHD_Response *response = MHD_create_response_from_buffer(answer.body.size(), const_cast<char *>(answer.body.data()),
                                                           MHD_RESPMEM_MUST_COPY);
  if (!response) return MHD_NO;
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.contentType.c_str());
  MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
  if (api && !answer.headers.count("Cache-Control")) MHD_add_response_header(response, "Cache-Control", "no-store");
  for (const auto &[name, value] : answer.headers) MHD_add_response_header(response, name.c_str(), value.c_str());
  const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(answer.status), response);
  MHD_destroy_response(response);
  return queued;
}

MHD_Result SendError(MHD_Connection *connection, int status, const char *message) {
  tresponse r;
  r.status = status;
  r.body = std::string("{\"error\":\"") + message + "\"}";
  return Send(connection, r, true);
}

MHD_Result CollectHeader(void *cls, MHD_ValueKind, const char *key, const char *value) {
  auto &headers = *static_cast<std::map<std::string, std::string> *>(cls);
  std::string name = key ? key : "";
  for (char &c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // A header sent twice is read as its first value.
  headers.emplace(name, value ? value : "");
  return MHD_YES;
}

// The query string again, as sent (the escapes are left undone, see NoUnescape).
MHD_Result CollectArgument(void *cls, MHD_ValueKind, const char *key, const char *value) {
  std::string &query = *static_cast<std::string *>(cls);
  if (!query.empty()) query += '&';
  query += key ? key : "";
  if (value) query += std::string("=") + value;
  return MHD_YES;
}

// The handler decodes escapes itself, where it knows what a part is (a name keeps its '+').
size_t NoUnescape(void *, MHD_Connection *, char *text) { return std::strlen(text); }

// The client's address as rate limits count it: an IPv6 client by its /64 (one site's worth, which
// a client can change at will within), and a client behind a reverse proxy on this host by the
// address the proxy saw (the last X-Forwarded-For entry), since every proxied request comes from
// loopback.
std::string PeerAddress(MHD_Connection *connection) {
  const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  if (!info || !info->client_addr) return "";
  char text[INET6_ADDRSTRLEN] = "";
  const sockaddr *a = info->client_addr;
  bool loopback = false;
  if (a->sa_family == AF_INET) {
    const in_addr &v4 = reinterpret_cast<const sockaddr_in *>(a)->sin_addr;
    loopback = (ntohl(v4.s_addr) >> 24) == 127;
    inet_ntop(AF_INET, &v4, text, sizeof text);
  } else if (a->sa_family == AF_INET6) {
    in6_addr v6 = reinterpret_cast<const sockaddr_in6 *>(a)->sin6_addr;
    loopback = IN6_IS_ADDR_LOOPBACK(&v6);
    if (!IN6_IS_ADDR_V4MAPPED(&v6)) std::memset(v6.s6_addr + 8, 0, 8);
    inet_ntop(AF_INET6, &v6, text, sizeof text);
  }
  const char *forwarded = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "X-Forwarded-For");
  if (loopback && forwarded) {
    std::string last = forwarded;
    last = last.substr(last.rfind(',') + 1);
    last.erase(0, last.find_first_not_of(" \t"));
    last.erase(last.find_last_not_of(" \t") + 1);
    in_addr v4;
    in6_addr v6;
    if (inet_pton(AF_INET, last.c_str(), &v4) == 1) return last;
    if (inet_pton(AF_INET6, last.c_str(), &v6) == 1) {
      if (!IN6_IS_ADDR_V4MAPPED(&v6)) std::memset(v6.s6_addr + 8, 0, 8);
      inet_ntop(AF_INET6, &v6, text, sizeof text);
    }
  }
  return text;
}

MHD_Result OnRequest(void *cls, MHD_Connection *connection, const char *url, const char *method, const char *,
                     const char *uploadData, size_t *uploadSize, void **context) {
  auto &state = *static_cast<thttpserver::tstate *>(cls);
  tdeadline *deadline = Deadline(connection);
  const bool late = deadline && Monotonic() - deadline->since > state.config.requestSeconds;
  auto *pending = static_cast<tpending *>(*context);
  if (!pending) {
    // The headers are in: refuse what is late or announced too large before any body is read.
    if (late) return SendError(connection, 408, "the request took too long");
    const std::string whole = url ? url : "";
    const std::string path = whole.substr(0, whole.find('?'));
    // Only a submission brings a body worth keeping; anything else gets a little room.
    const bool submission = method && std::strcmp(method, "POST") == 0;
    const size_t cap = submission ? state.config.maxBody : std::min<size_t>(state.config.maxBody, 64 * 1024);
    const char *length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
    const unsigned long long announced = length ? std::strtoull(length, nullptr, 10) : 0;
    if (announced > cap) return SendError(connection, 413, "the request is larger than any replay");
    if (state.buffered.load() + announced > state.config.maxBuffered) {
      tresponse busy{
          503, "application/json", "{\"error\":\"the server is busy: try again later\"}", {{"Retry-After", "10"}}};
      return Send(connection, busy, true);
    }
    pending = new tpending;
    *context = pending;
    pending->cap = cap;
    pending->request.body.reserve(announced);  // within the cap, checked above
    trequest &r = pending->request;
    r.method = method ? method : "";
    r.path = path;
    MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, CollectArgument, &r.query);
    MHD_get_connection_values(connection, MHD_HEADER_KIND, CollectHeader, &r.headers);
    r.peer = PeerAddress(connection);
    return MHD_YES;
  }
  if (*uploadSize) {
    // A body past its cap (sent without its length), past the time allowed, or past what the
    // server holds for all clients at once: no answer can be queued while a body is arriving, so
    // the connection is closed.
    std::vector<uint8_t> &body = pending->request.body;
    if (late || body.size() + *uploadSize > pending->cap) return MHD_NO;
    if (state.buffered.fetch_add(*uploadSize) + *uploadSize > state.config.maxBuffered) {
      state.buffered -= *uploadSize;
      return MHD_NO;
    }
    body.insert(body.end(), uploadData, uploadData + *uploadSize);
    *uploadSize = 0;
    return MHD_YES;
  }
  if (late) return SendError(connection, 408, "the request took too long");
  if (deadline) deadline->answering = true;  // the handler may take a while on the database
  trequest &r = pending->request;
  r.now = UnixNow();
  tresponse answer;
  try {
    answer = state.handler(r);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "redsiege-server: the handler failed: %s\n", e.what());
    answer = tresponse{
        503, "application/json", "{\"error\":\"the server stumbled: try again later\"}", {{"Retry-After", "30"}}};
  }
  return Send(connection, answer, r.path != "/");
}

void OnCompleted(void *cls, MHD_Connection *connection, void **context, MHD_RequestTerminationCode) {
  auto *pending = static_cast<tpending *>(*context);
  if (pending) static_cast<thttpserver::tstate *>(cls)->buffered -= pending->request.body.size();
  delete pending;
  *context = nullptr;
  // The next request on a kept-alive connection has its own time.
  if (tdeadline *deadline = Deadline(connection)) {
    deadline->since = Monotonic();
    deadline->answering = false;
  }
}

void OnConnection(void *cls, MHD_Connection *connection, void **socketContext, MHD_ConnectionNotificationCode code) {
  auto &state = *static_cast<thttpserver::tstate *>(cls);
  if (code == MHD_CONNECTION_NOTIFY_STARTED) {
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    *socketContext = state.deadlines.Add(info ? info->connect_fd : -1, Monotonic());
  } else if (*socketContext) {
    state.deadlines.Remove(static_cast<tdeadline *>(*socketContext));
    *socketContext = nullptr;
  }
}
}  // namespace

bool ParseListenAddress(const std::string &text, thttpconfig &config) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon + 1 >= text.size()) return false;
  std::string host = text.substr(0, colon), port = text.substr(colon + 1);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  if (port.size() > 5) return false;
  for (char c : port)
    if (c < '0' || c > '9') return false;
  const unsigned long p = std::stoul(port);
  in_addr a4;
  in6_addr a6;
  if (p > 65535 || (inet_pton(AF_INET, host.c_str(), &a4) != 1 && inet_pton(AF_INET6, host.c_str(), &a6) != 1))
    return false;
  config.address = host;
  config.port = static_cast<uint16_t>(p);
  return true;
}

bool thttpserver::Start(const thttpconfig &config, thandler handler, std::string &why) {
  Stop();
  state_ = new tstate;
  state_->config = config;
  state_->handler = std::move(handler);
  sockaddr_storage where{};
  // No error log: a full connection table under a flood would write a line per refused client.
  unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ITC;
  auto *v4 = reinterpret_cast<sockaddr_in *>(&where);
  auto *v6 = reinterpret_cast<sockaddr_in6 *>(&where);
  if (inet_pton(AF_INET, config.address.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(config.port);
  } else if (inet_pton(AF_INET6, config.address.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(config.port);
    flags |= MHD_USE_IPv6;
  } else {
    why = "cannot listen on " + config.address + ": not an IP address";
    Stop();
    return false;
  }
  daemon_ = MHD_start_daemon(flags, config.port, nullptr, nullptr, OnRequest, state_, MHD_OPTION_SOCK_ADDR, &where,
                             MHD_OPTION_THREAD_POOL_SIZE, config.threads < 1 ? 1u : config.threads,
                             MHD_OPTION_CONNECTION_LIMIT, config.maxConnections, MHD_OPTION_PER_IP_CONNECTION_LIMIT,
                             config.perAddressConnections, MHD_OPTION_CONNECTION_TIMEOUT, config.idleSeconds,
                             MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<size_t>(64 * 1024),
                             MHD_OPTION_NOTIFY_COMPLETED, OnCompleted, state_, MHD_OPTION_NOTIFY_CONNECTION,
                             OnConnection, state_, MHD_OPTION_UNESCAPE_CALLBACK, NoUnescape, nullptr, MHD_OPTION_END);
  if (!daemon_) {
    why = "cannot listen on " + config.address + ":" + std::to_string(config.port) + ": " + std::strerror(errno);
    Stop();
    return false;
  }
  const MHD_DaemonInfo *info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
  port_ = info ? info->port : config.port;
  state_->deadlines.Start(config.requestSeconds);
  return true;
}

void thttpserver::Stop() {
  if (daemon_) {
    // No new connections; those in hand get a few seconds to finish before they are closed.
    MHD_quiesce_daemon(daemon_);
    for (int i = 0; i < 100; ++i) {
      const MHD_DaemonInfo *info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_CURRENT_CONNECTIONS);
      if (!info || info->num_connections == 0) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    MHD_stop_daemon(daemon_);
  }
  daemon_ = nullptr;
  delete state_;
  state_ = nullptr;
}
