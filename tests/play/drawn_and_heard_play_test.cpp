// What is only drawn or heard: the rules hand their sounds out as they hand out their drawing
// (what is heard, in which slot), and particles are made across the whole view whatever its shape,
// from a generator of their own. Neither, nor whether anyone listens, ever moves the game.
#include <vector>

#include "game/camera.h"
#include "game/particles.h"
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

constexpr double WIDE = 3.75 * 16 / 9;  // the screen plane's half width at 16:9

// Restores the view the headless game has by default.
struct ViewWidth {
  explicit ViewWidth(double halfWidth) { particleViewHalfWidth = halfWidth; }
  ~ViewWidth() { particleViewHalfWidth = 5; }
};
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

TEST(PlayParticles, TheViewsShapeAndTheOptionLeaveTheGameAlone) {
  const struct {
    const char *name;
    double halfWidth;
    bool off;
  } views[] = {{"4:3", 5, false}, {"16:9", WIDE, false}, {"particles off", WIDE, true}};
  std::vector<uint64_t> hashes;
  std::vector<size_t> most;
  for (const auto &v : views) {
    SCOPED_TRACE(v.name);
    ViewWidth width(v.halfWidth);
    Play play(ENDLESS_GAME, 5);
    Options.particlesOff = v.off;
    Game.skyScroll = 0;                        // the background's phase, carried over from the last game
    Player.weaponSlots[0] = {4, 100000, 100};  // the machine gun
    size_t particles = 0;
    play.scene = [&] {
      AimAtNearestZombie(play);
      particles = std::max<size_t>(particles, Active(particleList));
    };
    play.rushToNight().until(nullptr, 40, ACTION_FIRE);
    EXPECT_GT(Game.kills, 3);
    hashes.push_back(RuleStateHash());
    most.push_back(particles);
  }
  EXPECT_EQ(hashes[1], hashes[0]);
  EXPECT_EQ(hashes[2], hashes[0]);
  EXPECT_GT(most[0], 0u);
  EXPECT_EQ(most[2], 0u);
}

TEST(PlayParticles, ABurstInAWideViewsSideBandIsMadeAndKept) {
  const struct {
    double halfWidth, at;  // the view's half width and the burst's x, both on the screen plane
    bool made;
  } cases[] = {{5, 4.5, true}, {5, 5.8, false}, {WIDE, 5.8, true}, {WIDE, -6.4, true}, {WIDE, 6.9, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.halfWidth << " " << c.at);
    ViewWidth width(c.halfWidth);
    QuietPlay play;
    play.wait(0.1);
    particleList.clear();
    const uint32_t rules = randomState;
    const double x = CameraPos.x + c.at * 6.1 * zoom / 9;
    impactburst({{x, CameraPos.y + 1}, 'b', 0});
    EXPECT_EQ(randomState, rules) << "a burst draws from the particles' own generator";
    play.frame(0);
    EXPECT_EQ(Active(particleList) > 0, c.made) << "a frame after the burst";
  }
}
