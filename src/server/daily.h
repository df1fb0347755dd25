// The daily game's seed and start tokens, and the hash a player's key is kept as. Keyed with the
// server's secret, so nobody can know a day's seed before the server hands it out.
#pragma once
#include <cstdint>
#include <string>

// "YYYY-MM-DD" of the UTC day holding `unixSeconds`.
std::string UtcDate(int64_t unixSeconds);
// The day's seed: from an HMAC-SHA256 of the date under the secret.
uint32_t DailySeed(const std::string &secret, const std::string &date);
// A start token for `date` handed out at `issuedAt`: the two and their HMAC, URL-safe.
std::string DailyToken(const std::string &secret, const std::string &date, int64_t issuedAt);
// Checks a token's HMAC; on success its date and issue time. False for anything forged or damaged.
bool ReadDailyToken(const std::string &secret, const std::string &token, std::string &date, int64_t &issuedAt);
// SHA-256 of bytes as 64 lower-case hex digits.
std::string Sha256Hex(const void *data, size_t size);
// 32 random bytes from the system as 64 hex digits (the server's secret).
std::string RandomSecret();
