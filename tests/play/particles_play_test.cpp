// Particles are drawn only: made across the whole view whatever its shape, from a generator of
// their own, and never a part of the game the rules play.
#include "game/camera.h"
#include "game/particles.h"
#include "game/state_hash.h"
#include "scene.h"

namespace {
constexpr double WIDE = 3.75 * 16 / 9;  // the screen plane's half width at 16:9

// Restores the view the headless game has by default.
struct ViewWidth {
  explicit ViewWidth(double halfWidth) { particleViewHalfWidth = halfWidth; }
  ~ViewWidth() { particleViewHalfWidth = 5; }
};
}  // namespace

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
