#include "base/vector.h"

#include <cfenv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "base/fmath.h"

uint32_t randomState = 0;

tvector makevector(double x, double y) { return {x, y}; }
tcolour makecolour(double r, double g, double b) { return {r, g, b}; }

double complength(double dx, double dy, bool squared) {
  double s = dx * dx + dy * dy;
  return squared ? s : std::sqrt(s);
}

double veclength(tvector v, bool squared) { return complength(v.x, v.y, squared); }

double vecdistance(tvector a, tvector b, bool squared) { return complength(a.x - b.x, a.y - b.y, squared); }

tvector vecnormalise(tvector v) {
  double l = veclength(v, false);
  return {v.x / l, v.y / l};
}

double bearing(double dx, double dy) {
  const double pi = M_PI;
  double a;
  if (std::fabs(dx) < 1e-7) {
    if (std::fabs(dy) < 1e-7)
      a = 0;
    else
      a = dy > 0 ? pi / 2 : -pi / 2;
  } else {
    a = fmath::arctan(dy / dx);
    if (dx < 0) a += dy >= 0 ? pi : -pi;
  }
  double b = pi / 2 - a;
  if (b > pi) b -= 2 * pi;
  return b;
}

double signum(double x) { return x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0); }

bool between(double v, double a, double b) { return signum(v - a) != signum(v - b); }

int hextoint(const std::string &text) {
  if (text.empty()) throw std::invalid_argument("empty hexadecimal text");
  size_t used = 0;
  long v = std::stol(text, &used, 16);
  if (used != text.size() || text[0] == '-' || text[0] == '+' || text.find_first_of("xX") != std::string::npos)
    throw std::invalid_argument("not hexadecimal: " + text);
  return static_cast<int>(v);
}

static void advance(uint32_t &state) { state = state * 134775813u + 1u; }

int randomint(trandom &g, int n) {
  advance(g.state);
  return static_cast<int>((static_cast<uint64_t>(g.state) * static_cast<uint64_t>(static_cast<uint32_t>(n))) >> 32);
}

double randomreal(trandom &g) {
  advance(g.state);
  return g.state / 4294967296.0;
}

int randomint(int n) {
  trandom g{randomState};
  int v = randomint(g, n);
  randomState = g.state;
  return v;
}

double randomreal() {
  trandom g{randomState};
  double v = randomreal(g);
  randomState = g.state;
  return v;
}

int64_t fixedSeed = -1;
uint32_t gameSeed = 0;
static uint32_t reseedCount = 0;

uint32_t NewGameSeed() {
  if (fixedSeed >= 0) return static_cast<uint32_t>(fixedSeed);
  auto t = std::chrono::steady_clock::now().time_since_epoch().count();
  return static_cast<uint32_t>(t ^ (t >> 32));
}

void SeedGame(uint32_t seed) {
  gameSeed = seed;
  reseedCount = 0;
}

void reseed() {
  // Each reseed gets its own state, so the days differ from one another while every game of
  // the same seed repeats them exactly.
  randomState = gameSeed ^ (++reseedCount * 2654435761u);
}

void SetFixedSeed(int64_t seed) {
  fixedSeed = seed;
  if (seed >= 0) SeedGame(static_cast<uint32_t>(seed));
}

void SeedFromEnvironment() {
  const char *text = std::getenv("REDSIEGE_SEED");
  if (!text || !*text) return;
  char *end = nullptr;
  unsigned long long v = std::strtoull(text, &end, 10);
  if (*end == 0) SetFixedSeed(static_cast<int64_t>(v & 0xffffffffu));
}

void MaskFloatExceptions() {
  std::feclearexcept(FE_ALL_EXCEPT);
  fedisableexcept(FE_ALL_EXCEPT);
}
