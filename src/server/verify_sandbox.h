// The wall around redsiege-verify once it has read all it plays with: no file, socket or process
// from then on, so a hostile replay that found a fault in the rules could reach nothing.
#pragma once
#include <string>

// Seals the process: no new privileges, a seccomp filter letting through only what playing and
// printing need (memory, reading and writing the descriptors already open, the clock, leaving),
// and limits on new descriptors, file sizes and processes as a second wall. False with one line
// in `why` when the system refused any of it; the process must then not go on.
bool EnterSandbox(std::string &why);
