#include "online/http.h"

#include <curl/curl.h>

#include <mutex>

const char HTTP_NO_ANSWER[] = "no answer from the server";
const char HTTP_UNREADABLE[] = "the server's answer could not be read";

namespace {

struct tsink {
  std::string *body;
  size_t most;
  bool tooBig = false;
};

size_t Collect(char *data, size_t size, size_t count, void *to) {
  tsink &sink = *static_cast<tsink *>(to);
  const size_t n = size * count;
  if (sink.body->size() + n > sink.most) {
    sink.tooBig = true;
    return 0;  // ends the transfer
  }
  sink.body->append(data, n);
  return n;
}

int Progress(void *stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool> *>(stop)->load() ? 1 : 0;
}

}  // namespace

void *NewHttpHandle() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  return curl_easy_init();
}

void FreeHttpHandle(void *curl) { curl_easy_cleanup(static_cast<CURL *>(curl)); }

thttpanswer HttpPerform(void *handle, const std::atomic<bool> &stop, const thttprequest &request) {
  thttpanswer r;
  CURL *curl = static_cast<CURL *>(handle);
  if (!curl) return r.failed = HTTP_NO_ANSWER, r;
  curl_easy_reset(curl);
  curl_slist *list = nullptr;
  for (const std::string &h : request.headers) list = curl_slist_append(list, h.c_str());
  list = curl_slist_append(list, "Expect:");  // the body at once, with no wait for "100 Continue"
  tsink sink{&r.body, request.most};
  curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  if (request.followRedirects) {
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  }
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "redsiege");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, request.connectSeconds);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, request.seconds);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.most));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool> *>(&stop));
  if (request.body) {
    const std::vector<uint8_t> &body = *request.body;
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.empty() ? "" : reinterpret_cast<const char *>(body.data()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  }
  const CURLcode code = curl_easy_perform(curl);
  curl_slist_free_all(list);
  if (code == CURLE_OK) {
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &r.status);
    return r;
  }
  r.body.clear();
  r.tooBig = sink.tooBig || code == CURLE_FILESIZE_EXCEEDED;
  // Nobody there, nothing said in time, or the connection dropped before a word: no answer.
  // Anything else came from something that is not the score server as it should be.
  const bool silent = code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_CONNECT ||
                      code == CURLE_OPERATION_TIMEDOUT || code == CURLE_GOT_NOTHING || code == CURLE_SEND_ERROR ||
                      code == CURLE_ABORTED_BY_CALLBACK;
  r.failed = silent && !r.tooBig ? HTTP_NO_ANSWER : HTTP_UNREADABLE;
  return r;
}
