#include "online/online_rig.h"

#include <chrono>
#include <thread>

#include "base/files.h"
#include "online/settings.h"

std::unique_ptr<tonlineclient> tonlineplayer::Client(const std::string &server, long answerSeconds) const {
  tonlineconfig config;
  config.server = server;
  std::string why;
  MakeWritableFolder(Settings(), &why);
  config.key = PlayerKey(Settings(), why);
  config.outbox = Outbox();
  config.answerSeconds = answerSeconds;
  return std::make_unique<tonlineclient>(config);
}

tonlineanswer WaitDone(const tonlineclient &client, tticket ticket, long *polls) {
  tonlineanswer a = client.Poll(ticket);
  for (int i = 0; i < 6000 && !a.done; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    a = client.Poll(ticket);
    if (polls) ++*polls;
  }
  return a;
}
