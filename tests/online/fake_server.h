// A tiny hostile HTTP server of the tests' own on 127.0.0.1: it reads each request and answers
// with the raw bytes it is given, or holds the connection open without a word.
#pragma once
#include <atomic>
#include <string>
#include <thread>

// A whole answer of `status` ("200 OK") with a JSON body, the connection then closed.
inline std::string HttpReply(const std::string &status, const std::string &body) {
  return "HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

class tfakeserver {
 public:
  // `reply` is sent as it is, then the connection closed. With `hold`, nothing is sent until
  // Release() (or the end), then `reply`.
  explicit tfakeserver(std::string reply, bool hold = false);
  ~tfakeserver();
  tfakeserver(const tfakeserver &) = delete;
  tfakeserver &operator=(const tfakeserver &) = delete;
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }
  void Release() { released_ = true; }
  int Requests() const { return requests_; }

 private:
  void Serve();
  std::string reply_;
  bool hold_;
  int port_ = 0, listener_ = -1;  // in this order: the listener sets the port
  std::atomic<bool> stop_{false}, released_{false};
  std::atomic<int> requests_{0};
  std::thread thread_;
};
