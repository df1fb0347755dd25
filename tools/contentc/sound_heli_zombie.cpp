// The two long sounds: the helicopter's loop and the zombies' groan.
#include <cmath>

#include "contentc/sounds.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kDt = 1.0 / SOUND_RATE;
}  // namespace

// Rotor thump that loops without a click. Two blades slap the air 12 times a second (a heavy
// "whump": a low 85 Hz pulse under a burst of noise below 1.2 kHz, alternate blades a little
// unequal), over a steady rotor wash breathing with the same beat, the turbine's whine at
// 1850 Hz with a slow waver, and the tail rotor's buzz (58 Hz and its overtones, band-passed).
// Every periodic part completes whole cycles in the 2 s loop, and the noisy parts are filtered
// from a noise sequence that itself repeats, rendered over three loops of which the middle one
// is kept: so the last sample leads into the first as any sample leads into the next.
Wave MakeHeliSound() {
  const double loop = 2.0;
  const size_t n = SampleCount(loop);
  const int beats = 24;  // 12 per second
  Wave washNoise(n), w(3 * n, 0.0);
  Noise source(501);
  for (double &s : washNoise) s = source();

  Biquad wash, tailBand;
  wash.lowPass(500, 0.7);
  tailBand.bandPass(420, 1.2);
  for (size_t i = 0; i < w.size(); ++i) {
    const double t = i * kDt;
    const double beat = 0.5 + 0.5 * std::cos(2 * kPi * 12 * t);
    w[i] += wash(washNoise[i % n]) * (0.5 + 0.9 * beat * beat) * 1.6;
    const double whinePhase = 2 * kPi * 1850 * t + 2.5 * std::sin(2 * kPi * 0.5 * t);
    w[i] += 0.018 * std::sin(whinePhase) + 0.007 * std::sin(2 * whinePhase);
    double buzz = 0;
    for (int k = 1; k <= 10; ++k) buzz += std::sin(2 * kPi * 58 * k * t) / k;
    w[i] += tailBand(buzz) * 0.08;
  }
  // Blade slaps, each with its own noise (seeded by its place in the loop, so it repeats).
  for (int k = 0; k < 3 * beats; ++k) {
    const int blade = k % beats;
    const double level = blade % 2 ? 0.85 : 1.0;
    Wave slap = Thump(95, 80, 0.01, 0.028, 0.16);
    Noise burst(600 + blade);
    Biquad body;
    body.lowPass(1200, 0.8);
    for (size_t i = 0; i < slap.size(); ++i) slap[i] += body(burst()) * Envelope(i * kDt, 0.002, 0.018) * 2.2;
    AddAt(w, slap, k * loop / beats, level);
  }
  // The DC blocker runs over all three loops, so the kept one is as periodic as its input.
  Finish(w, 0.8, 0.0);
  Wave out(w.begin() + n, w.begin() + 2 * n);
  Normalise(out, 0.8);
  return out;
}

// A low moaning groan. A throat buzz (harmonics falling off like a slack voice) at about
// 90 Hz that rises a little, then sags to under 80 Hz as the breath runs out, with a slow
// tremble and a ragged growl from a subharmonic; a little breath noise; all through three
// vowel formants that open from "oo" to a hollow "aw" and close again: "uuaaawwhh".
Wave MakeZombieSound() {
  const double length = 1.9;
  Wave w(SampleCount(length), 0.0);
  Noise jitterNoise(701), breath(702);
  OnePole jitter(7);
  Biquad f1, f2, f3;
  double phase = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    const double t = i * kDt, u = t / length;
    // Pitch contour: a swell to 104 Hz at a third of the way, then a long sag to 76 Hz.
    const double contour =
        u < 0.33 ? 88 + 16 * std::sin(kPi / 2 * u / 0.33) : 104 - 28 * std::pow((u - 0.33) / 0.67, 1.3);
    const double hz = contour * (1 + 0.015 * std::sin(2 * kPi * 4.5 * t) + 0.9 * jitter(jitterNoise()));
    phase += 2 * kPi * hz * kDt;
    double voice = 0;
    for (int k = 1; k * hz < 4500; ++k) voice += std::sin(k * phase) / std::pow(k, 1.15);
    voice *= 1 + 0.45 * std::sin(phase / 2);  // the growl: every other cycle louder
    voice += breath() * 0.35;
    // Vowel: "oo" (330, 780, 2300 Hz) opening to "aw" (620, 1000, 2450) at 40%, closing again.
    if (i % 32 == 0) {
      const double open = std::pow(std::sin(kPi * std::min(1.0, u / 0.8)), 1.5);
      f1.bandPass(330 + 290 * open, 5);
      f2.bandPass(780 + 220 * open, 8);
      f3.bandPass(2300 + 150 * open, 12);
    }
    const double env = std::min(1.0, t / 0.28) * std::min(1.0, (length - t) / 0.7);
    w[i] = (f1(voice) + 0.6 * f2(voice) + 0.2 * f3(voice)) * env * (0.85 + 0.15 * std::sin(2 * kPi * 2.7 * t));
  }
  AddRoom(w, 1.0, 0.7, 0.6, 0.12);
  Finish(w, 0.85, 0.05);
  return w;
}
