// Games waiting to be sent: one file each in the outbox folder inside the player's records
// folder, written atomically when the game ends and removed once the server has its answer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct toutgoing {
  std::vector<uint8_t> replay;        // the replay file's bytes
  std::string name;                   // the player's name, as the score entry took it
  int32_t claimed[4] = {0, 0, 0, 0};  // survive, rescue, horde, slayer: what the game scored
  std::string dailyToken;             // the daily game's start token, "" for any other game
};

// "outbox" inside the records folder.
std::string OutboxFolder(const std::string &recordsFolder);

std::vector<uint8_t> EncodeOutgoing(const toutgoing &game);
// False for bytes that are not a whole, undamaged outbox file.
bool DecodeOutgoing(const std::vector<uint8_t> &bytes, toutgoing &game);

// Writes the game into the folder (made when missing) as "game-<hash of the replay>.rso": the same
// replay twice is one file. Its path, or "" with the reason in `error`.
std::string PutInOutbox(const std::string &folder, const toutgoing &game, std::string &error);
// The folder's waiting games, oldest first (then by name).
std::vector<std::string> OutboxFiles(const std::string &folder);
