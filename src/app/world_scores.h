// The world boards as the screens use them: one client of the score server while the player takes
// part, whose thread does all the talking. Every call returns at once; a screen keeps the ticket
// and polls its answer each frame, so nothing here ever holds a frame up.
#pragma once
#include <string>

#include "game/scores.h"
#include "online/client.h"
#include "online/settings.h"

// The world boards' settings this run plays by: the saved ones, or --server's address (taking
// part) for this run only, never saved unless the player changes them.
extern tonlinesettings onlineSettings;

// Started after the player's folders (sending what waits in the outbox); stopped at the end (what
// is unsent stays in the outbox for the next run).
void StartWorldScores();
void StopWorldScores();
// A client runs: the player takes part and an address is set.
bool WorldScoresOn();
// The server's host, as the font can show it ("" without an address).
std::string WorldServerHost();
// The player's choice from the options screen or the question at a game's end: saved in the
// settings file (with this run's address), the client started or stopped.
void ChooseWorldScores(bool takePart);

// A finished game's kept replay sent under `name` with its scores (and the daily game's token when
// it was the daily game); the name is remembered for the next game. 0 when not taking part.
tticket SendWorldGame(const std::string &replayFile, const std::string &name, const tgamescores &scores);
tticket AskWorldBoard(tworldboard board, int64_t offset, int limit);
tticket AskDailyGame();
// A world game's replay downloaded into the player's cache folder.
tticket AskWorldReplay(const std::string &id);
// The answer so far (failed for ticket 0, or when not taking part).
tonlineanswer WorldAnswer(tticket ticket);
void ForgetWorld(tticket &ticket);

// The daily game being played: its start token goes with its replay when it ends ("" otherwise).
extern std::string dailyGameToken;
