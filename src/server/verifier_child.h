// The verifier's child process, shared by VerifyInChild and the worker threads.
#pragma once
#include <atomic>

#include "server/verifier.h"

// The CPU seconds a replay of `frames` frames is given, and the wall-clock seconds its child may
// live (CPU time on a busy machine comes slower than the clock).
double CpuBudget(const tverifyconfig &config, uint64_t frames);
double WallBudget(const tverifyconfig &config, uint64_t frames);

// VerifyInChild, given up when `stop` turns true (the child is killed) or when the verifier cannot
// be run at all (no pipe, no process, no program): then `abandoned` is set and the verdict means
// nothing, the game stays pending for another try.
tgameverdict VerifyInChildUnless(const tverifyconfig &config, const std::vector<uint8_t> &replay,
                                 const tgamescores &claimed, const std::atomic<bool> *stop, bool *abandoned);
