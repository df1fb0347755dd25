// The version of the rules of play. A replay is proof of a game only when it is played by the
// rules that recorded it, so this is raised with any change that moves the game a replay plays
// (and the golden replays under tests/ are recorded again). Replays of format 1 carry no number:
// they were played by version 1.
#pragma once
#include <cstdint>
#include <string>

constexpr uint32_t RULES_VERSION = 2;

// One line saying why a replay of `recorded` rules cannot be played here, "" when it can.
std::string RulesRefusal(uint32_t recorded);
