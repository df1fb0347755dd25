#include <cstring>

#include "combat_world.h"
#include "game/tutorial.h"

namespace {

class Tutorial : public CombatWorld {
 protected:
  static bool Says(const char *start) { return std::strncmp(ChooseHint().line1, start, std::strlen(start)) == 0; }
};

}  // namespace

TEST_F(Tutorial, TheHintFitsWhatIsOnScreen) {
  CameraPos = {20, 0};
  EXPECT_TRUE(Says("explore"));
  EXPECT_FALSE(ChooseHint().pointer);
  CameraPos = {0, 0};
  crateList.push_back(tcrate{1, {1.0, 0}});
  EXPECT_TRUE(Says("this is a supply crate")) << "beats the base";
  EXPECT_DOUBLE_EQ(ChooseHint().target.x, 1.0);
  Game.timeOfDay = 0.5;
  EXPECT_TRUE(Says("this is a supply crate")) << "not night yet at 0.5";
  Game.timeOfDay = 0.51;
  CameraPos = {20, 0};
  EXPECT_TRUE(Says("oh no! night"));
  EXPECT_TRUE(ChooseHint().urgent);
  Game.timeOfDay = 0.7;
  CameraPos = {0, 0};
  EXPECT_TRUE(Says("keep the zombies off"));
  EXPECT_FALSE(ChooseHint().pointer || ChooseHint().urgent);
  Game.timeOfDay = 0.9;
  EXPECT_TRUE(Says("dawn is coming"));
  Ending.heliActive = 1;
  heli.pos = {0.5, 1};
  EXPECT_TRUE(Says("help has arrived"));
  Game.dayNumber = 3;
  EXPECT_TRUE(TutorialShown()) << "the helicopter in view on its day";
  heli.pos = {-30, 2};
  EXPECT_FALSE(TutorialShown());
}
