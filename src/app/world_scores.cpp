#include "app/world_scores.h"

#include <cstdio>
#include <memory>

#include "base/files.h"
#include "online/outbox.h"
#include "persist/folders.h"
#include "render/text.h"

tonlinesettings onlineSettings;
std::string dailyGameToken;

namespace {
std::unique_ptr<tonlineclient> worldClient;

void Say(const std::string &why) {
  if (!why.empty()) std::fprintf(stderr, "red siege: %s\n", why.c_str());
}

// Changes the saved settings, leaving what this run alone uses (--server's address) unsaved.
template <class Edit>
void EditSaved(Edit edit) {
  if (settingsDirectory.empty()) return;
  std::string why, error;
  tonlinesettings saved = LoadOnlineSettings(settingsDirectory, why);
  edit(saved);
  if (!SaveOnlineSettings(settingsDirectory, saved, &error)) Say(error);
}
}  // namespace

void StartWorldScores() {
  worldClient.reset();
  if (!onlineSettings.takePart || !ValidServerAddress(onlineSettings.server) || RecordsFolder().empty()) return;
  std::string why;
  const std::string key = PlayerKey(settingsDirectory, why);
  Say(why);
  tonlineconfig config;
  config.server = onlineSettings.server;
  config.key = key;
  config.outbox = OutboxFolder(RecordsFolder());
  worldClient = std::make_unique<tonlineclient>(config);
  worldClient->SendOutbox();
}

void StopWorldScores() { worldClient.reset(); }

bool WorldScoresOn() { return worldClient != nullptr; }

std::string WorldServerHost() {
  const std::string &a = onlineSettings.server;
  const size_t start = a.find("://");
  if (start == std::string::npos) return "";
  // The font has no colon: "host:8080" shows as "host 8080".
  return FontText(a.substr(start + 3, a.find('/', start + 3) - start - 3));
}

void ChooseWorldScores(bool takePart) {
  onlineSettings.takePart = takePart;
  onlineSettings.asked = true;
  // The address the player saw when choosing is the one kept with the choice.
  EditSaved([](tonlinesettings &s) {
    s.takePart = onlineSettings.takePart, s.asked = true, s.server = onlineSettings.server;
  });
  if (takePart != WorldScoresOn()) takePart ? StartWorldScores() : StopWorldScores();
}

tticket SendWorldGame(const std::string &replayFile, const std::string &name, const tgamescores &scores) {
  const std::string token = dailyGameToken;
  dailyGameToken.clear();
  if (!worldClient || replayFile.empty() || !ValidPlayerName(name)) return 0;
  toutgoing game;
  if (!ReadFileBytes(JoinPath(RecordsFolder(), replayFile), game.replay)) return 0;
  game.name = name;
  game.claimed[0] = scores.survive, game.claimed[1] = scores.rescue;
  game.claimed[2] = scores.horde, game.claimed[3] = scores.slayer;
  game.dailyToken = token;
  if (onlineSettings.name != name) {
    onlineSettings.name = name;
    EditSaved([&](tonlinesettings &s) { s.name = name; });
  }
  return worldClient->SubmitGame(game);
}

tticket AskWorldBoard(tworldboard board, int64_t offset, int limit) {
  return worldClient ? worldClient->BoardPage(board, offset, limit) : 0;
}

tticket AskDailyGame() { return worldClient ? worldClient->DailyGame() : 0; }

tticket AskWorldReplay(const std::string &id) {
  return worldClient && !CacheFolder().empty() ? worldClient->DownloadReplay(id, CacheFolder()) : 0;
}

tonlineanswer WorldAnswer(tticket ticket) {
  if (worldClient && ticket) {
    tonlineanswer answer = worldClient->Poll(ticket);
    answer.line = FontText(answer.line);
    answer.game.reason = FontText(answer.game.reason);
    return answer;
  }
  tonlineanswer off;
  off.kind = ANSWER_FAILED, off.done = true;
  off.line = "world scores are off";
  return off;
}

void ForgetWorld(tticket &ticket) {
  if (worldClient && ticket) worldClient->Forget(ticket);
  ticket = 0;
}
