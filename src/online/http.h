// One HTTP request over libcurl, as the online client and the program's downloads make it: http
// and https only, a connect timeout and a whole-transfer timeout, the answer capped, and a flag
// that abandons it within a second.
#pragma once
#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

struct thttprequest {
  std::string method = "GET", url;
  std::vector<std::string> headers;
  const std::vector<uint8_t> *body = nullptr;  // sent as it is when given
  size_t most = 0;                             // the largest answer read; a longer one fails
  long connectSeconds = 10, seconds = 60;
  bool followRedirects = false;  // up to five, to http or https only
};

struct thttpanswer {
  long status = 0;     // 0: no answer (see `failed`)
  std::string body;    // capped; emptied when the transfer failed
  std::string failed;  // why no answer came, in one line
  bool tooBig = false;
};

// What `failed` says when nobody answered (no server there, nothing said in time), and when the
// answer was not HTTP as it should be (or too big).
extern const char HTTP_NO_ANSWER[];
extern const char HTTP_UNREADABLE[];

// A handle for HttpPerform (libcurl set up on first use); null when libcurl cannot make one.
void *NewHttpHandle();
void FreeHttpHandle(void *curl);

// Makes the request on `curl` (a handle from NewHttpHandle, reset first; a connection it holds is kept for the
// next), abandoning it once `stop` is set. Waits for the answer.
thttpanswer HttpPerform(void *curl, const std::atomic<bool> &stop, const thttprequest &request);
