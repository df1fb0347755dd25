#include <cstring>

#include "combat_world.h"
#include "game/tutorial.h"

namespace {

class Tutorial : public CombatWorld {
 protected:
  static bool Says(const thint &h, const char *start) { return std::strncmp(h.line1, start, std::strlen(start)) == 0; }
};

}  // namespace

TEST_F(Tutorial, TheHintFitsWhatIsOnScreen) {
  CameraPos = {20, 0};
  thint h = ChooseHint();
  EXPECT_TRUE(Says(h, "explore"));
  EXPECT_FALSE(h.secondBox);
  EXPECT_FALSE(h.pointer);

  // The base and a supply crate in view: the crate wins and is pointed at.
  CameraPos = {0, 0};
  crateList.push_back(tcrate{1, {1.0, 0}});
  h = ChooseHint();
  EXPECT_TRUE(Says(h, "this is a supply crate"));
  EXPECT_TRUE(h.secondBox && h.pointer && !h.urgent);
  EXPECT_DOUBLE_EQ(h.target.x, 1.0);

  // Nightfall: at 0.5 exactly not yet; at 0.51 urgent, pointing at the base wherever it is.
  Game.timeOfDay = 0.5;
  EXPECT_TRUE(Says(ChooseHint(), "this is a supply crate"));
  Game.timeOfDay = 0.51;
  CameraPos = {20, 0};
  h = ChooseHint();
  EXPECT_TRUE(Says(h, "oh no! night is coming"));
  EXPECT_TRUE(h.urgent && h.pointer);
  EXPECT_DOUBLE_EQ(h.target.x, basePos.x);

  // At night with the base in view: keep them off it, no pointer, normal colour.
  Game.timeOfDay = 0.7;
  CameraPos = {0, 0};
  h = ChooseHint();
  EXPECT_TRUE(Says(h, "keep the zombies off"));
  EXPECT_FALSE(h.pointer || h.urgent);
  Game.timeOfDay = 0.9;
  EXPECT_TRUE(Says(ChooseHint(), "dawn is coming"));

  // The helicopter in view beats everything.
  Ending.heliActive = 1;
  heli.pos = {0.5, 1};
  h = ChooseHint();
  EXPECT_TRUE(Says(h, "help has arrived"));
  EXPECT_TRUE(h.urgent && h.pointer);
}

TEST_F(Tutorial, ShownOnTheFirstDayAndWhenHelpComes) {
  EXPECT_TRUE(TutorialShown());
  Game.dayNumber = 2;
  EXPECT_FALSE(TutorialShown());
  Game.dayNumber = 3;
  Ending.heliActive = 1;
  heli.pos = {-30, 2};
  EXPECT_FALSE(TutorialShown()) << "not while the helicopter is out of view";
  heli.pos = {0.5, 1};
  EXPECT_TRUE(TutorialShown());
  Options.tutorial = 0;
  EXPECT_FALSE(TutorialShown());
}
