// Plays submitted games again: each in a child process running redsiege-verify, with a CPU budget
// in proportion to its frames, a memory cap, no new files and no network, so a hostile replay
// costs bounded time and takes nothing down. Workers claim pending games from the store, so
// several servers on one database share the work.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "server/store.h"

struct tverifyconfig {
  std::string program;                                    // the redsiege-verify to run
  std::string dataDir;                                    // the game's data folder, handed to it as --data
  double cpuSecondsBase = 2, framesPerCpuSecond = 20000;  // the budget: base + frames / rate
  uint64_t memoryBytes = 512ull << 20;
};

// Plays one replay in a limited child and turns its answer into a verdict: verified with the
// scores the play computed, or refused with a reason (damaged, other rules or data, too long,
// the child killed). Claimed scores that differ refuse the game ("claimed scores differ").
tgameverdict VerifyInChild(const tverifyconfig &config, const std::vector<uint8_t> &replay, const tgamescores &claimed);

struct tmetrics;
// Starts `workers` threads that claim and verify until StopVerifiers; WakeVerifiers after a
// submission so a game does not wait for the next poll.
void StartVerifiers(tstore &store, tmetrics &metrics, const tverifyconfig &config, int workers,
                    int64_t dailyMarginSeconds);
void WakeVerifiers();
void StopVerifiers();
