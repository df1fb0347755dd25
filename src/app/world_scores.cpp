// The world boards for this run: when the player takes part, one client of the score server
// whose thread sends the games waiting in the outbox at start and each game entered at its end.
// Nothing here waits on the network: the game's thread only hands work over.
#include <cstdio>
#include <memory>

#include "app/lifecycle.h"
#include "base/files.h"
#include "online/client.h"
#include "online/outbox.h"
#include "persist/folders.h"

namespace {
std::unique_ptr<tonlineclient> worldClient;
}

void StartWorldScores() {
  if (!onlineSettings.takePart || !ValidServerAddress(onlineSettings.server) || RecordsFolder().empty()) return;
  std::string why;
  const std::string key = PlayerKey(settingsDirectory, why);
  if (!why.empty()) std::fprintf(stderr, "red siege: %s\n", why.c_str());
  tonlineconfig config;
  config.server = onlineSettings.server;
  config.key = key;
  config.outbox = OutboxFolder(RecordsFolder());
  worldClient = std::make_unique<tonlineclient>(config);
  worldClient->SendOutbox();
}

void SendWorldGame(const std::string &replayFile, const std::string &name, const tgamescores &scores) {
  if (!worldClient || replayFile.empty() || name.empty()) return;
  toutgoing game;
  if (!ReadFileBytes(JoinPath(RecordsFolder(), replayFile), game.replay)) return;
  game.name = name;
  game.claimed[0] = scores.survive, game.claimed[1] = scores.rescue;
  game.claimed[2] = scores.horde, game.claimed[3] = scores.slayer;
  worldClient->SubmitGame(game);
}

void StopWorldScores() { worldClient.reset(); }
