// Short effects: a bullet on stone, an explosion, a spent case, a bullet in a zombie.
#include <cmath>

#include "contentc/sounds.h"

namespace {
constexpr double kDt = 1.0 / SOUND_RATE;
}

// A bullet chipping stone. A hard broadband snap (the strike), the short knock of the rock
// itself around 1.4 kHz, a hiss of dust, five tiny chips pattering down over 0.2 s, and under
// it all a faint falling ricochet whine, so a miss reads as "bullet" rather than "stone".
Wave MakeImpactSound() {
  Wave w(SampleCount(0.34), 0.0);
  Noise n(101);
  for (size_t i = 0; i < w.size(); ++i) w[i] += n() * std::exp(-(i * kDt) / 0.0006) * 0.7;
  AddAt(w, Click(102, 3200, 0.8, 0.004, 0.05), 0, 1.0);
  AddAt(w, Click(103, 1400, 2.5, 0.018, 0.12), 0, 0.5);
  Biquad hiss;
  hiss.highPass(2200, 0.7);
  for (size_t i = 0; i < w.size(); ++i) w[i] += hiss(n()) * Envelope(i * kDt, 0.002, 0.06) * 0.16;
  Noise chipTime(104);
  for (int k = 0; k < 5; ++k) {
    const double at = 0.03 + 0.19 * (k + 0.5 + 0.4 * chipTime()) / 5;
    AddAt(w, Click(110 + k, 3800 + 1200 * chipTime(), 6, 0.003, 0.03), at, 0.25 * std::pow(0.75, k));
  }
  double phase = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    const double t = i * kDt - 0.008;
    phase += 2 * 3.14159265358979 * (1500 + 1100 * std::exp(-std::max(0.0, t) / 0.08)) * kDt;
    w[i] += std::sin(phase) * Envelope(t, 0.01, 0.05) * 0.04;
  }
  Saturate(w, 1.5);
  Finish(w, 0.9, 0.03);
  return w;
}

// A deep boom with a rumbling tail. A sharp crack of the blast front, the fireball's roar
// (noise whose low-pass falls from 3 kHz to under 200 Hz as it dies), a sub-bass punch gliding
// from 90 to 35 Hz, then a long rumble of very low noise swelling and ebbing at random, debris
// pattering down, and the whole thing thrown back by the buildings around.
Wave MakeExplosionSound() {
  const double length = 2.4;
  Wave dry(SampleCount(length), 0.0);
  Noise n(201), am(202);
  Biquad crackHp, roar, rumble1, rumble2;
  crackHp.highPass(400, 0.7);
  rumble1.lowPass(150, 0.8);
  rumble2.lowPass(150, 0.8);
  OnePole wobble(5);
  for (size_t i = 0; i < dry.size(); ++i) {
    const double t = i * kDt;
    dry[i] += crackHp(n()) * std::exp(-t / 0.008);
    if (i % 16 == 0) roar.lowPass(180 + 2800 * std::exp(-t / 0.25), 0.9);
    dry[i] += roar(n()) * Envelope(t, 0.003, 0.35) * 1.6;
    const double swell = 0.5 + std::fabs(wobble(am())) * 9;
    dry[i] += rumble2(rumble1(n())) * Envelope(t - 0.05, 0.15, 0.7) * swell * 1.3;
  }
  AddAt(dry, Thump(90, 35, 0.15, 0.45, 1.6), 0, 0.9);
  Noise debris(203);
  for (int k = 0; k < 9; ++k) {
    const double at = 0.35 + 1.1 * (k + 0.5 + 0.45 * debris()) / 9;
    AddAt(dry, Click(210 + k, 900 + 500 * debris(), 4, 0.012, 0.06), at, 0.1 * (1 - k / 12.0));
  }
  Normalise(dry, 1.0);
  Saturate(dry, 2.5);
  AddRoom(dry, 1.3, 0.8, 0.5, 0.3);
  Finish(dry, 0.95, 0.35);
  return dry;
}

// A small metallic tink: a brass case landing and bouncing twice, each bounce shorter and
// quieter and struck on a different spot (different modes), about 3.3 kHz and up.
Wave MakeCasingSound() {
  Wave w(SampleCount(0.3), 0.0);
  AddAt(w, Tink(301, 1.0, 1.0, 0.2), 0, 1.0);
  AddAt(w, Tink(302, 1.04, 0.6, 0.15), 0.085, 0.45);
  AddAt(w, Tink(303, 0.97, 0.4, 0.1), 0.145, 0.2);
  Finish(w, 0.85, 0.03);
  return w;
}

// A wet thud: a low body blow (a sine dropping from 140 to 55 Hz), the dull slap of flesh
// (noise under 700 Hz), and a squelch: mid-band noise torn into irregular wet crackles.
Wave MakeZombieImpactSound() {
  Wave w(SampleCount(0.3), 0.0);
  AddAt(w, Thump(140, 55, 0.03, 0.06, 0.3), 0, 1.0);
  Noise n(401), crackle(402), slapNoise(403);
  Biquad slap, squelch, low;
  slap.lowPass(700, 0.8);
  squelch.bandPass(1100, 1.5);
  low.bandPass(420, 2);
  OnePole crackleSmooth(70);
  for (size_t i = 0; i < w.size(); ++i) {
    const double t = i * kDt;
    w[i] += slap(slapNoise()) * Envelope(t, 0.001, 0.04) * 2.2;
    // Bursts where the smoothed noise peaks: the uneven pops of something wet giving way.
    const double c = crackleSmooth(crackle());
    const double pops = std::pow(std::fabs(c) * 5, 3);
    const double s = n();
    w[i] += (squelch(s) * 1.2 + low(s)) * pops * Envelope(t - 0.01, 0.005, 0.07) * 1.4;
  }
  Saturate(w, 1.5);
  Finish(w, 0.9, 0.03);
  return w;
}

const FixedSound FIXED_SOUNDS[6] = {
    {"impact.wav", MakeImpactSound}, {"explosion.wav", MakeExplosionSound},
    {"casing.wav", MakeCasingSound}, {"zombieimpact.wav", MakeZombieImpactSound},
    {"heli.wav", MakeHeliSound},     {"zombie.wav", MakeZombieSound},
};
