// What the end-to-end tests share: a server on a fresh store, with its rates raised so a test's
// own requests are never limited, and short ways to submit and read back.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "server/replays.h"
#include "server/server_process.h"

// Rates no test reaches: the limits themselves are tested with their defaults.
std::vector<std::string> RaisedRates();

enum tbackend { SQLITE, POSTGRESQL };
// "sqlite" or "postgresql", as the server names its database in /healthz.
const char *BackendName(tbackend backend);

// A server (not yet started) on a fresh store: SQLite in a fresh folder, or a database of its own
// on the test's throwaway PostgreSQL cluster. `why` says why there is none (no PostgreSQL here).
struct ttestserver {
  // SQLite's folder under `base` ("" for the system's temporary folder).
  explicit ttestserver(tbackend backend = SQLITE, std::vector<std::string> extra = RaisedRates(),
                       const std::string &base = "");
  std::string Url(const std::string &path = "") const { return server.Url(path); }
  ttempdir dir;
  std::string why;
  tserverconfig config;
  tserverprocess server;
};
// The PostgreSQL cluster the tests share in this process, nullptr with `why` when it cannot run.
class tpgcluster;
tpgcluster *TestCluster(std::string &why);

// A submission of `game` by `name` with the name's own key (made from the name), claiming what the game scored.
tsubmission SubmissionOf(const tplayedgame &game, const std::string &name);
// The board's page (offset 0, limit 100): its JSON.
nlohmann::json Board(const std::string &baseUrl, const std::string &board, const std::string &query = "");
// The game ids on a board's first hundred entries, best first.
std::vector<std::string> BoardIds(const std::string &baseUrl, const std::string &board, const std::string &query = "");
// The golden game that ends in the rescue (a won game), and what it scores.
tplayedgame WonGame();
