// The rules hand their sounds out as they hand out their drawing: what is heard, in which slot,
// where; the program's bank plays them. Whether anyone listens never moves the game.
#include <vector>

#include "game/sounds.h"
#include "game/state_hash.h"
#include "scene.h"

namespace {
std::vector<tgamesound> heard;
std::vector<double> speeds;

struct Listening {
  Listening() {
    heard.clear(), speeds.clear();
    soundHooks = {[](double timeScale) { speeds.push_back(timeScale); },
                  [](const tgamesound &s) { heard.push_back(s); }};
  }
  ~Listening() { soundHooks = {nullptr, nullptr}; }
};

// A second of fire at a zombie ahead, from a quiet day's start.
uint64_t ShootAZombie() {
  QuietPlay play;
  Game.skyScroll = 0;  // the background's phase, carried over from the last game
  const int z = ZombieAt(Player.body.pos.x + 1.2);
  const tvector at = enemies[z].body.pos;
  play.scene = [&] { Hold(z, at); };
  play.aimAt(at).click(1);
  return RuleStateHash();
}
}  // namespace

TEST(PlaySounds, ShotsAndHitsAreHandedOutAndNeverMoveTheGame) {
  const uint64_t unheard = ShootAZombie();
  Listening listening;
  EXPECT_EQ(ShootAZombie(), unheard);
  ASSERT_FALSE(speeds.empty());
  EXPECT_EQ(speeds.front(), 1.0) << "the game's speed, once a frame";
  int shots = 0, hits = 0;
  for (const tgamesound &s : heard) {
    if (s.source == GAMESOUND_FIRE) {
      ++shots;
      EXPECT_EQ(s.slot, SLOT_NEXT_SHOT) << "shots take the two shot slots in turn";
      EXPECT_EQ(s.index, Player.currentWeapon.firesound);
    }
    if (s.source == GAMESOUND_FIXED && s.index == SOUND_ZOMBIEIMPACT) {
      ++hits;
      EXPECT_EQ(s.slot, SLOT_IMPACT);
    }
  }
  EXPECT_GT(shots, 2);
  EXPECT_GT(hits, 0);
}
