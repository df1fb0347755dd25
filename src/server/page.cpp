// GET /: the four boards and today's daily board as plain HTML, no script, readable on a phone.
// Every row links to its game's replay.
#include "server/api_parts.h"
#include "server/daily.h"

namespace {
constexpr int64_t PAGE_ROWS = 20;

std::string Escape(const std::string &text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

const char *const kStyle =
    "body{font-family:sans-serif;margin:0 auto;max-width:44em;padding:0 .8em;background:#1b1010;color:#eee}"
    "h1{color:#e33}h2{border-bottom:1px solid #733;margin-top:1.5em}"
    "table{border-collapse:collapse;width:100%}td,th{padding:.25em .4em;text-align:left}"
    "td.n,th.n{text-align:right}tr:nth-child(even){background:#2a1818}a{color:#f99}"
    ".none{color:#999}td:nth-child(4){white-space:nowrap}";

struct tsection {
  tboard board;
  const char *title, *score;
};
const tsection kSections[] = {
    {BOARD_SURVIVORS, "Survivors", "days lasted &times; 1000"},
    {BOARD_RESCUE, "Rescue", "people rescued (won games)"},
    {BOARD_HORDE, "Horde", "supplies &times; 100"},
    {BOARD_SLAYER, "Slayer", "zombies killed"},
    {BOARD_DAILY, "Today's daily game", "days lasted &times; 1000"},
};

std::string Table(const tboardpage &page) {
  if (page.entries.empty()) return "<p class=\"none\">No games yet.</p>\n";
  std::string out =
      "<table>\n<tr><th class=\"n\">#</th><th>Name</th><th class=\"n\">Score</th><th>Date</th>"
      "<th>Replay</th></tr>\n";
  for (const tboardentry &e : page.entries) {
    const std::string id = IsGameId(e.gameId) ? e.gameId : "";
    out += "<tr><td class=\"n\">" + std::to_string(e.rank) + "</td><td>" + Escape(e.name) + "</td><td class=\"n\">" +
           std::to_string(e.score) + "</td><td>" + UtcDate(e.submittedAt) + "</td><td><a href=\"/v1/games/" + id +
           "/replay\">watch</a></td></tr>\n";
  }
  return out + "</table>\n";
}
}  // namespace

tresponse PageAnswer(const trequest &request, tservice &service) {
  const std::string today = UtcDate(request.now);
  std::string body =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>red siege: world high scores</title>\n<style>" +
      std::string(kStyle) +
      "</style>\n</head>\n<body>\n<h1>red siege: world high scores</h1>\n"
      "<p>Every score here is a game the server played again from its replay. To watch one, download "
      "its replay and run <code>redsiege --replay FILE</code>, or open the downloaded file with red siege.</p>\n";
  for (const tsection &s : kSections) {
    const tboardpage page = service.store->Board(s.board, s.board == BOARD_DAILY ? today : "", 0, PAGE_ROWS);
    body += "<h2>" + std::string(s.title) + (s.board == BOARD_DAILY ? " (" + today + ")" : "") + "</h2>\n<p>" +
            s.score + "</p>\n" + Table(page);
  }
  body += "</body>\n</html>\n";
  tresponse r;
  r.contentType = "text/html; charset=utf-8";
  r.body = body;
  r.headers["Cache-Control"] = "no-cache";
  r.headers["Content-Security-Policy"] = "default-src 'none'; style-src 'unsafe-inline'";
  return r;
}
