// Replays for the server's tests: short games played headless from a script and recorded as the
// game records them, what they score, and forgeries of them.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/scores.h"
#include "persist/replay.h"

struct tplayedgame {
  std::vector<uint8_t> bytes;  // the replay file
  std::string id;              // the first 16 hex digits of its SHA-256, as the server names it
  tgamescores scores{};        // what the game computed when it ended or stopped
  bool won = false;
  uint32_t seed = 0;
  size_t frames = 0;
};

// A short scripted game of `frames` frames (fewer when it ends), on the built data folder: the
// player walks, jumps, fires and rushes the clock in a pattern of the seed, so each seed scores
// differently. Played in the calling thread (the rules are global: one at a time).
tplayedgame PlayScriptedGame(uint32_t seed, int frames, int32_t helpBase = 2);
// Plays replay bytes headless as the verifier does and fills in what they score. False when the
// reader refuses them.
bool PlayReplayBytes(const std::vector<uint8_t> &bytes, tplayedgame &game);
// A forgery: the replay's frames passed through `edit`, written again with every CRC made good,
// so only playing it shows what it scores.
std::vector<uint8_t> ForgeFrames(const std::vector<uint8_t> &bytes,
                                 const std::function<void(std::vector<tframeinput> &)> &edit);
// The header's fields rewritten (rules version, data checksum...), its CRC made good.
std::vector<uint8_t> WithHeader(const std::vector<uint8_t> &bytes, const std::function<void(treplay &)> &edit);
// "survive,rescue,horde,slayer", as the Claimed-Scores header carries them.
std::string ClaimedScores(const tgamescores &s);
// The id the server gives a replay: the first 16 hex digits of its SHA-256.
std::string ReplayId(const std::vector<uint8_t> &bytes);
