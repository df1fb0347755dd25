// The counters and their Prometheus text.
#include <cstdio>

#include "server/api_parts.h"

namespace {
struct tspin {
  std::atomic_flag &flag;
  explicit tspin(std::atomic_flag &f) : flag(f) {
    while (flag.test_and_set(std::memory_order_acquire)) {
    }
  }
  ~tspin() { flag.clear(std::memory_order_release); }
};

// A label value with its backslashes, quotes and line breaks escaped.
std::string LabelValue(const std::string &text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out;
}

void Counter(std::string &out, const char *name, const char *help, const char *type) {
  out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}
}  // namespace

void tmetrics::CountRefusal(const std::string &reason) {
  tspin hold(lock);
  ++refusals[reason];
}

std::map<std::string, int64_t> tmetrics::Refusals() const {
  tspin hold(lock);
  return refusals;
}

tresponse MetricsAnswer(tservice &service) {
  static tmetrics none;
  const tmetrics &m = service.metrics ? *service.metrics : none;
  std::string out;
  Counter(out, "redsiege_submissions_total", "Games accepted for verification.", "counter");
  out += "redsiege_submissions_total " + std::to_string(m.submissions.load()) + "\n";
  Counter(out, "redsiege_verifications_total", "Games played again by a verifier.", "counter");
  out += "redsiege_verifications_total " + std::to_string(m.verifications.load()) + "\n";
  Counter(out, "redsiege_refusals_total", "Games refused, by reason, on submission or verification.", "counter");
  for (const auto &[reason, count] : m.Refusals())
    out += "redsiege_refusals_total{reason=\"" + LabelValue(reason) + "\"} " + std::to_string(count) + "\n";
  Counter(out, "redsiege_requests_total", "HTTP requests answered.", "counter");
  out += "redsiege_requests_total " + std::to_string(m.requests.load()) + "\n";
  // The queue needs the database; the counters are worth having without it.
  bool up = true;
  int64_t pending = 0;
  try {
    pending = service.store->PendingCount();
  } catch (const tstoreerror &) {
    up = false;
  }
  Counter(out, "redsiege_database_up", "Whether the database answered this scrape.", "gauge");
  out += std::string("redsiege_database_up ") + (up ? "1" : "0") + "\n";
  if (up) {
    Counter(out, "redsiege_queue_depth", "Games waiting to be verified.", "gauge");
    out += "redsiege_queue_depth " + std::to_string(pending) + "\n";
  }
  Counter(out, "redsiege_verification_seconds", "CPU seconds spent verifying games.", "summary");
  char sum[64];
  std::snprintf(sum, sizeof sum, "%.6f", static_cast<double>(m.verifyMicros.load()) / 1e6);
  out += std::string("redsiege_verification_seconds_sum ") + sum + "\n";
  out += "redsiege_verification_seconds_count " + std::to_string(m.verifications.load()) + "\n";
  tresponse r;
  r.contentType = "text/plain; version=0.0.4; charset=utf-8";
  r.body = out;
  return r;
}
