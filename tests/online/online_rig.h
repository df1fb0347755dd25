// What the client's tests share: a fresh player's folder, a client on it, and waiting for an
// answer by polling it as a frame would.
#pragma once
#include <memory>
#include <string>

#include "online/client.h"
#include "server/rig.h"

struct tonlineplayer {
  ttempdir dir;
  std::string Settings() const { return dir.path + "/config"; }
  std::string Records() const { return dir.path + "/share"; }
  std::string Outbox() const { return OutboxFolder(Records()); }
  // A client of `server` with this player's key and outbox.
  std::unique_ptr<tonlineclient> Client(const std::string &server, long answerSeconds = 30) const;
};

// Polls until the request is done (a minute at most); the polls made are counted into `polls`.
tonlineanswer WaitDone(const tonlineclient &client, tticket ticket, long *polls = nullptr);
