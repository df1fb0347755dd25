#include "server/daily.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace {

constexpr size_t kMacBytes = 32;
// A token: "DATE.ISSUED.MAC", the date as YYYY-MM-DD, the issue time in decimal seconds and the
// HMAC of "DATE.ISSUED" in URL-safe base64 without padding. Every part is URL-safe as it is.
constexpr size_t kMacTextBytes = 43;  // 32 bytes in base64 without padding

void Mac(const std::string &secret, const std::string &message, unsigned char (&mac)[kMacBytes]) {
  unsigned int size = kMacBytes;
  if (!HMAC(EVP_sha256(), secret.data(), static_cast<int>(secret.size()),
            reinterpret_cast<const unsigned char *>(message.data()), message.size(), mac, &size) ||
      size != kMacBytes)
    throw std::runtime_error("HMAC-SHA256 failed");
}

std::string Hex(const unsigned char *bytes, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(size * 2, '0');
  for (size_t i = 0; i < size; ++i) {
    text[2 * i] = kDigits[bytes[i] >> 4];
    text[2 * i + 1] = kDigits[bytes[i] & 15];
  }
  return text;
}

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

std::string Base64Url(const unsigned char *bytes, size_t size) {
  std::string text;
  uint32_t bits = 0;
  int held = 0;
  for (size_t i = 0; i < size; ++i) {
    bits = (bits << 8) | bytes[i];
    held += 8;
    while (held >= 6) {
      held -= 6;
      text += kBase64[(bits >> held) & 63];
    }
  }
  if (held > 0) text += kBase64[(bits << (6 - held)) & 63];
  return text;
}

// A date as this server writes it: ten characters, digits and two dashes, a real calendar day.
bool IsDate(const std::string &date) {
  if (date.size() != 10 || date[4] != '-' || date[7] != '-') return false;
  for (size_t i = 0; i < date.size(); ++i)
    if (i != 4 && i != 7 && (date[i] < '0' || date[i] > '9')) return false;
  std::tm day{};
  day.tm_year = std::stoi(date.substr(0, 4)) - 1900;
  day.tm_mon = std::stoi(date.substr(5, 2)) - 1;
  day.tm_mday = std::stoi(date.substr(8, 2));
  const time_t at = timegm(&day);
  return at != static_cast<time_t>(-1) && UtcDate(at) == date;
}

}  // namespace

std::string UtcDate(int64_t unixSeconds) {
  const time_t at = static_cast<time_t>(unixSeconds);
  std::tm day{};
  if (!gmtime_r(&at, &day)) return "1970-01-01";
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.tm_year + 1900, day.tm_mon + 1, day.tm_mday);
  return text;
}

uint32_t DailySeed(const std::string &secret, const std::string &date) {
  unsigned char mac[kMacBytes];
  Mac(secret, "daily seed " + date, mac);
  return static_cast<uint32_t>(mac[0]) << 24 | static_cast<uint32_t>(mac[1]) << 16 |
         static_cast<uint32_t>(mac[2]) << 8 | mac[3];
}

std::string DailyToken(const std::string &secret, const std::string &date, int64_t issuedAt) {
  const std::string body = date + "." + std::to_string(issuedAt);
  unsigned char mac[kMacBytes];
  Mac(secret, "daily token " + body, mac);
  return body + "." + Base64Url(mac, kMacBytes);
}

bool ReadDailyToken(const std::string &secret, const std::string &token, std::string &date, int64_t &issuedAt) {
  if (token.size() > 10 + 1 + 18 + 1 + kMacTextBytes) return false;  // nothing longer is ours
  const size_t first = token.find('.');
  const size_t last = token.rfind('.');
  if (first == std::string::npos || last == first) return false;
  const std::string body = token.substr(0, last), given = token.substr(last + 1);
  if (given.size() != kMacTextBytes) return false;
  unsigned char mac[kMacBytes];
  Mac(secret, "daily token " + body, mac);
  const std::string wanted = Base64Url(mac, kMacBytes);
  if (CRYPTO_memcmp(wanted.data(), given.data(), kMacTextBytes) != 0) return false;
  // The MAC holds, so the parts are ours; still read them as if they were not.
  const std::string day = token.substr(0, first), issued = token.substr(first + 1, last - first - 1);
  if (!IsDate(day) || issued.empty() || issued.size() > 18) return false;
  int64_t at = 0;
  for (char c : issued) {
    if (c < '0' || c > '9') return false;
    at = at * 10 + (c - '0');
  }
  date = day;
  issuedAt = at;
  return true;
}

std::string Sha256Hex(const void *data, size_t size) {
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(static_cast<const unsigned char *>(data), size, digest);
  return Hex(digest, sizeof digest);
}

std::string RandomSecret() {
  unsigned char bytes[32];
  if (RAND_bytes(bytes, sizeof bytes) != 1) throw std::runtime_error("the system gave no random bytes");
  return Hex(bytes, sizeof bytes);
}
