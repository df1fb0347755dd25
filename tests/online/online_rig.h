// What the client's tests share: a fresh player's folder, a client on it, and waiting for an
// answer by polling it as a frame would.
#pragma once
#include <memory>
#include <string>

#include "base/files.h"
#include "online/client.h"
#include "online/settings.h"
#include "server/rig.h"

struct tonlineplayer {
  ttempdir dir;
  std::string Settings() const { return dir.path + "/config"; }
  std::string Outbox() const { return OutboxFolder(dir.path + "/share"); }
  // A client of `server` with this player's key and outbox.
  std::unique_ptr<tonlineclient> Client(const std::string &server, long answerSeconds = 30) const {
    tonlineconfig config;
    config.server = server;
    std::string why;
    MakeWritableFolder(Settings(), &why);
    config.key = PlayerKey(Settings(), why);
    config.outbox = Outbox();
    config.answerSeconds = answerSeconds;
    return std::make_unique<tonlineclient>(config);
  }
};

// Polls until the request is done (a minute at most).
inline tonlineanswer WaitDone(const tonlineclient &client, tticket ticket) {
  tonlineanswer a = client.Poll(ticket);
  for (int i = 0; i < 6000 && !a.done; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    a = client.Poll(ticket);
  }
  return a;
}
