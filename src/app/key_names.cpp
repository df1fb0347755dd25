#include "app/key_names.h"

std::string KeyName(uint8_t code) {
  if (code >= 'A' && code <= 'Z') return std::string(1, static_cast<char>(code - 'A' + 'a'));
  if (code >= '0' && code <= '9') return std::string(1, static_cast<char>(code));
  if (code >= 112 && code <= 123) return "f" + std::to_string(code - 111);
  if (code >= 0x60 && code <= 0x69) return "num" + std::to_string(code - 0x60);
  switch (code) {
    case 0: return "none";
    case 8: return "back";
    case 9: return "tab";
    case 13: return "enter";
    case 16: return "shift";
    case 17: return "ctrl";
    case 18: return "alt";
    case 19: return "pause";
    case 20: return "caps";
    case 32: return "space";
    case 33: return "pgup";
    case 34: return "pgdn";
    case 35: return "end";
    case 36: return "home";
    case 37: return "left";
    case 38: return "up";
    case 39: return "right";
    case 40: return "down";
    case 45: return "ins";
    case 46: return "del";
    default: return "key" + std::to_string(code);
  }
}
