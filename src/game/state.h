// The state of one game: the clock and progress, the player, the end-of-game flags and the
// object lists. Everything here is reset by SetupGame in one place (ResetGameState), so no
// field is ever missed; the camera lives in camera.h because the menus use it too.
#pragma once
#include <cstdint>
#include <vector>

#include "actors/records.h"
#include "base/input.h"
#include "base/vector.h"

// Zombie pressure per tile, indexed by tile -7..7 (add 7).
constexpr int SPAWN_TILES = 15;
// Night begins when timeOfDay passes this.
constexpr double NIGHT_TIME = 0.625;
// The game types' base help days, short, long and endless; the set-up adds 0 to 2. The endless
// game's day never comes.
constexpr int32_t HELP_BASE[3] = {2, 7, -10};
// The player dies when playerDamage exceeds this.
constexpr double PLAYER_DAMAGE_LIMIT = 25.0;

// Time, progress and the view's effects.
struct tgame {
  int32_t dayNumber;    // 1 on the first day
  double timeOfDay;     // 0 at dawn, night above NIGHT_TIME, a day lasts 1/0.007 s
  int32_t helpDay;      // the day the helicopter is started
  double supplies;      // the base's stock; below 0 the base is lost
  int32_t survivors;    // defenders gathered at the base
  int32_t kills;        // zombies killed
  double playerDamage;  // never clamped
  double hurtFlash;     // the sky is drawn with alpha 1 - hurtFlash
  uint8_t fadeOut;      // the view fades to black
  double fadeLevel;     // how far the fade has gone
  double spawnTimer;    // seconds until the next group of zombies
  double spawnweight[SPAWN_TILES];
  int32_t despawnCount;  // daytime zombies removed since the last forced group
  uint8_t carryingCrate;
  int32_t thinkSlot;                      // which quarter of the zombies thinks this frame, 0..3
  double skyScroll;                       // background drift phase, 0..1; kept from game to game
  int32_t leftDefenders, rightDefenders;  // defenders placed on each side of the base
  double frameTime;                       // seconds of this frame, from its input
  double timeScale;                       // the game's speed; the losing sequences slow it down
  uint16_t actions;                       // the input's actions on this frame, less those spent (below)
  uint16_t spentActions;                  // actions used up while still held: a held key acts once per press
  tvector pointer;                        // the input's aim pointer this frame: the aiming guides go through it
};

struct tweaponslot {
  int32_t weapon;   // index into weapons
  int32_t reserve;  // below 1 the slot falls back to weapon 0
  int32_t clip;
};

// The player. body and anim are the player's tbody and tanidata (its facing, finished and
// movestate bytes are game state too); guys[0] is the player's skeleton.
struct tplayer {
  tbody body;
  tanidata anim;
  tvector aimOffset;   // from the gun point to the aim point
  tvector aimPoint;    // body.pos + aimOffset
  double aimBearing;   // bearing from the player to aimPoint
  double aimSmoothed;  // the bearing the arms are drawn at; recoil kicks it
  double armReach;     // 1.0 at rest; recoil shortens it
  uint8_t activeSlot;  // 0 primary, 1 secondary
  tweaponslot weaponSlots[2];
  tweapon currentWeapon;  // copy of the active slot's weapons entry
  double fireCooldown;    // milliseconds
  double reloadTimer;     // milliseconds
  uint8_t triggerHeld;    // a semi-automatic shot was fired since the button went down
  int32_t grenades;       // at most 9
  double grenadeCharge;   // seconds the right button has been held with a grenade ready
};

// How a game ends: death, loss of the base or rescue.
struct tending {
  uint8_t playerControl;  // the player can move, jump and fire
  uint8_t rescueActive;
  double deathTimer;
  uint8_t deathBlast;
  double baseLossTimer;
  uint8_t baseLossBlast;
  uint8_t heliActive;  // the helicopter exists this game
};

extern tgame Game;
extern tplayer Player;
extern tending Ending;

// Sets every field above, the camera and the object lists to their values at the start of a
// game. helpDay is left alone: the game-type menu has just chosen its base value.
void ResetGameState();
// Takes a frame's input: its time and its actions. An action spent earlier stays off until its
// key is pressed again (or repeats).
void TakeFrameInput(const tframeinput &in);
inline bool ActionOn(uint16_t action) { return (Game.actions & action) != 0; }
void SpendAction(uint16_t action);
// Empties the lists that live for one day: shots, particles, zombies and grenades.
void ClearDayLists();
