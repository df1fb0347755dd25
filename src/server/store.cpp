#include "server/store.h"

namespace {
const char *const kBoardNames[] = {"survivors", "rescue", "horde", "slayer", "daily"};
}

bool BoardFromName(const std::string &name, tboard &board) {
  for (int b = 0; b <= BOARD_DAILY; ++b) {
    if (name == kBoardNames[b]) {
      board = static_cast<tboard>(b);
      return true;
    }
  }
  return false;
}

const char *BoardName(tboard board) { return kBoardNames[board]; }

const char *GameStatusName(tgamestatus status) {
  switch (status) {
    case GAME_PENDING: return "pending";
    case GAME_VERIFIED: return "verified";
    case GAME_REFUSED: return "refused";
  }
  return "pending";
}
