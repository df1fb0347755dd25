// Vector maths, colours, bearings and the game's one random generator.
#pragma once
#include <cstdint>
#include <string>

struct tvector {
  double x, y;
};

struct tcolour {
  double r, g, b;
};

tvector makevector(double x, double y);
tcolour makecolour(double r, double g, double b);

inline tvector operator+(tvector a, tvector b) { return {a.x + b.x, a.y + b.y}; }
inline tvector operator-(tvector a, tvector b) { return {a.x - b.x, a.y - b.y}; }
inline tvector operator*(tvector a, double k) { return {a.x * k, a.y * k}; }
inline tvector operator/(tvector a, double k) { return {a.x / k, a.y / k}; }

double veclength(tvector v, bool squared);
double vecdistance(tvector a, tvector b, bool squared);
double complength(double dx, double dy, bool squared);
// No guard against a zero vector: (0, 0) gives not-a-number components.
tvector vecnormalise(tvector v);
// Radians from straight up towards +x, in (-pi, pi].
double bearing(double dx, double dy);
double signum(double x);
// v strictly between a and b, or equal to exactly one of them.
bool between(double v, double a, double b);
// Parses hexadecimal digits without prefix; throws std::invalid_argument on bad text.
int hextoint(const std::string &text);

// The game's linear congruential generator: the rules draw from it and nothing else does, so a
// game goes the same whether it is drawn, heard or neither.
extern uint32_t randomState;
int randomint(int n);
double randomreal();
// The same generator with a state of its own, for drawing, sound and the menus.
struct trandom {
  uint32_t state;
};
int randomint(trandom &g, int n);
double randomreal(trandom &g);
// Each game takes one seed; every reseed of the game (at its start and each day's world) is
// derived from it, so the same seed plays the same game.
extern uint32_t gameSeed;
// The fixed seed when one is set, else one from the clock.
uint32_t NewGameSeed();
void SeedGame(uint32_t seed);
void reseed();
// A fixed seed (0..2^32-1) makes every game repeatable, for scripted runs, benchmarks and
// people reproducing a world; -1 goes back to the clock.
extern int64_t fixedSeed;
void SetFixedSeed(int64_t seed);
// Takes the seed from REDSIEGE_SEED when it holds a decimal number.
void SeedFromEnvironment();

// Division by zero must give infinities, never a trap.
void MaskFloatExceptions();
