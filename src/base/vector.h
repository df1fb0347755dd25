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

// One process-wide linear congruential generator.
extern uint32_t randomState;
int randomint(int n);
double randomreal();
// Reseeds from the clock, or from the fixed seed when one is set.
void reseed();
// A fixed seed (0..2^32-1) makes every reseed repeatable, for scripted runs, benchmarks and
// people reproducing a world; -1 goes back to the clock.
extern int64_t fixedSeed;
void SetFixedSeed(int64_t seed);
// Takes the seed from REDSIEGE_SEED when it holds a decimal number.
void SeedFromEnvironment();

// Division by zero must give infinities, never a trap.
void MaskFloatExceptions();
