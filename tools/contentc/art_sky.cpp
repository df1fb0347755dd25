// The day-night sky: one column per moment of the day, zenith to horizon down each column.
#include <cmath>

#include "contentc/art.h"

namespace {

struct SkyKey {
  double time;
  Rgba zenith, middle, horizon;
};

// The sun rises at 0.0625, stands highest at 0.3125 and sets at 0.5625; night is after 0.625.
// Night keeps a moonlit blue near the horizon, where the black figures stand, so they still read.
const SkyKey kSkyKeys[] = {
    {0.000, {0.30, 0.32, 0.55, 1}, {0.74, 0.55, 0.62, 1}, {1.00, 0.67, 0.46, 1}},   // dawn
    {0.060, {0.38, 0.52, 0.78, 1}, {0.86, 0.74, 0.72, 1}, {1.00, 0.82, 0.58, 1}},   // sunrise
    {0.130, {0.34, 0.59, 0.90, 1}, {0.60, 0.78, 0.95, 1}, {0.86, 0.92, 0.96, 1}},   // morning
    {0.3125, {0.26, 0.54, 0.92, 1}, {0.50, 0.74, 0.97, 1}, {0.80, 0.91, 1.00, 1}},  // noon
    {0.460, {0.31, 0.53, 0.87, 1}, {0.60, 0.73, 0.91, 1}, {0.94, 0.89, 0.77, 1}},   // afternoon
    {0.530, {0.36, 0.45, 0.72, 1}, {0.83, 0.66, 0.55, 1}, {1.00, 0.72, 0.36, 1}},   // golden hour
    {0.575, {0.30, 0.27, 0.52, 1}, {0.82, 0.42, 0.38, 1}, {1.00, 0.49, 0.22, 1}},   // sunset
    {0.610, {0.14, 0.13, 0.30, 1}, {0.44, 0.20, 0.32, 1}, {0.80, 0.29, 0.20, 1}},   // dusk
    {0.650, {0.05, 0.06, 0.15, 1}, {0.14, 0.13, 0.28, 1}, {0.30, 0.19, 0.30, 1}},   // nightfall
    {0.720, {0.03, 0.04, 0.10, 1}, {0.08, 0.10, 0.23, 1}, {0.15, 0.18, 0.34, 1}},   // night
    {0.820, {0.02, 0.03, 0.09, 1}, {0.07, 0.09, 0.22, 1}, {0.14, 0.17, 0.33, 1}},   // midnight
    {0.900, {0.03, 0.03, 0.11, 1}, {0.09, 0.09, 0.24, 1}, {0.19, 0.16, 0.35, 1}},   // small hours
    {0.950, {0.10, 0.09, 0.25, 1}, {0.28, 0.20, 0.40, 1}, {0.52, 0.33, 0.46, 1}},   // first light
};
const int kSkyKeyCount = sizeof kSkyKeys / sizeof kSkyKeys[0];

Rgba Column(const SkyKey &k, double h) {
  // Most of the change happens low down: the zenith colour holds over the top of the screen.
  if (h < 0.5) return Mix(k.zenith, k.middle, Smoothstep(0, 0.5, h));
  return Mix(k.middle, k.horizon, Smoothstep(0.5, 1, h));
}

}  // namespace

Rgba SkyColour(double time, double height) {
  time -= std::floor(time);
  height = std::fmin(1, std::fmax(0, height));
  int i = kSkyKeyCount - 1;
  while (i > 0 && kSkyKeys[i].time > time) --i;
  const SkyKey &a = kSkyKeys[i];
  const SkyKey &b = kSkyKeys[(i + 1) % kSkyKeyCount];
  double end = i + 1 < kSkyKeyCount ? b.time : 1.0;  // the last key runs round to dawn
  double f = Smoothstep(a.time, end, time);
  return Mix(Column(a, height), Column(b, height), f);
}

Canvas MakeDayNightImage() {
  const int w = 256, h = 64;
  Canvas c(w, h);
  // Texel centres sample the day, so the columns either side of the wrap at s = 0 are neighbours
  // in time too. The sky quad spans t 0.25 (top of the screen) to 0.75 (bottom): rows with low t
  // hold the zenith. Rows beyond that range only matter for filtering and repeat the ends.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double t = (y + 0.5) / h;
      c.set(x, y, SkyColour((x + 0.5) / w, (t - 0.25) / 0.5));
    }
  return c;
}
