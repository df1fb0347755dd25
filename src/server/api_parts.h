// What the API's files share: answers, the checks on what a client sends, and the endpoints.
#pragma once
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "game/scores.h"
#include "server/api.h"

// The font's characters: what a name may hold.
constexpr const char *NAME_CHARACTERS = "abcdefghijklmnopqrstuvwxyz0123456789 .!?+-";
constexpr size_t NAME_MOST_CHARACTERS = 20;
constexpr int32_t DAILY_HELP_BASE = 2;  // the daily game's help day

// JSON text; bytes that are not UTF-8 are replaced rather than thrown over.
std::string JsonText(const nlohmann::json &value);
tresponse JsonAnswer(int status, const nlohmann::json &body);
// {"error": message}.
tresponse ErrorAnswer(int status, const std::string &message);
// 503 with Retry-After, for a database that cannot be reached or whose disk is full.
tresponse UnavailableAnswer(const std::string &message);

// %XX escapes decoded ('+' stays '+'); false for a '%' not followed by two hex digits.
bool PercentDecode(const std::string &text, std::string &decoded);
// 1-20 of the font's characters, not all spaces.
bool NameIsValid(const std::string &name);
// "Bearer KEY" with KEY 16-128 of [A-Za-z0-9._~-].
bool KeyFromAuthorization(const std::string &header, std::string &key);
// "survive,rescue,horde,slayer": four integers in int32's range.
bool ParseClaimedScores(const std::string &text, tgamescores &scores);
// 16 lower-case hex digits.
bool IsGameId(const std::string &text);
// "YYYY-MM-DD" naming a day of the calendar.
bool IsDate(const std::string &text);
// The value of `name` in a query string (percent-decoded); false when absent or undecodable.
bool QueryValue(const std::string &query, const std::string &name, std::string &value, bool &bad);
// "2026-12-08T23:50:00Z".
std::string IsoTime(int64_t unixSeconds);
std::string HeaderValue(const trequest &request, const std::string &lowerName);

tresponse SubmitGame(const trequest &request, tservice &service);
tresponse GameAnswer(const std::string &id, tservice &service);
tresponse ReplayAnswer(const std::string &id, tservice &service);
tresponse BoardAnswer(const std::string &board, const trequest &request, tservice &service);
tresponse DailyAnswer(const trequest &request, tservice &service);
tresponse DeletePlayerAnswer(const std::string &escapedName, const trequest &request, tservice &service);
tresponse HealthAnswer(tservice &service);
tresponse MetricsAnswer(tservice &service);
// GET /: the boards as HTML.
tresponse PageAnswer(const trequest &request, tservice &service);
