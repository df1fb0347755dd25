#include "contentc/synth.h"

#include <algorithm>
#include <cmath>

#include "base/files.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kDt = 1.0 / SOUND_RATE;

// A part cut off while still ringing would click: its last few milliseconds fade out.
void FadeTail(Wave &w, double seconds = 0.005) {
  const size_t n = std::min(w.size(), SampleCount(seconds));
  for (size_t i = 0; i < n; ++i) w[w.size() - 1 - i] *= static_cast<double>(i) / n;
}
}  // namespace

void Normalise(Wave &w, double peak) {
  double m = 0;
  for (double s : w) m = std::max(m, std::fabs(s));
  if (m > 0)
    for (double &s : w) s *= peak / m;
}

Noise::Noise(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
  if (!state) state = 1;
}

double Noise::operator()() {
  state ^= state >> 12;
  state ^= state << 25;
  state ^= state >> 27;
  const uint64_t r = state * 2685821657736338717ull;
  return static_cast<double>(r >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

static void Cookbook(Biquad &f, double hz, double q, double &cosw, double &alpha) {
  hz = std::clamp(hz, 5.0, 0.45 * SOUND_RATE);
  const double w0 = 2 * kPi * hz / SOUND_RATE;
  cosw = std::cos(w0);
  alpha = std::sin(w0) / (2 * q);
  const double a0 = 1 + alpha;
  f.a1 = -2 * cosw / a0;
  f.a2 = (1 - alpha) / a0;
}

void Biquad::lowPass(double hz, double q) {
  double c, alpha;
  Cookbook(*this, hz, q, c, alpha);
  const double a0 = 1 + alpha;
  b0 = b2 = (1 - c) / 2 / a0;
  b1 = (1 - c) / a0;
}

void Biquad::highPass(double hz, double q) {
  double c, alpha;
  Cookbook(*this, hz, q, c, alpha);
  const double a0 = 1 + alpha;
  b0 = b2 = (1 + c) / 2 / a0;
  b1 = -(1 + c) / a0;
}

void Biquad::bandPass(double hz, double q) {
  double c, alpha;
  Cookbook(*this, hz, q, c, alpha);
  const double a0 = 1 + alpha;
  b0 = alpha / a0;
  b1 = 0;
  b2 = -alpha / a0;
}

double Biquad::operator()(double x) {
  const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
  x2 = x1;
  x1 = x;
  y2 = y1;
  y1 = y;
  return y;
}

OnePole::OnePole(double hz) : a(1 - std::exp(-2 * kPi * hz / SOUND_RATE)) {}

size_t SampleCount(double seconds) { return static_cast<size_t>(std::max(0.0, seconds) * SOUND_RATE + 0.5); }

double Envelope(double t, double attack, double tau) {
  if (t < 0) return 0;
  if (t < attack) return t / attack;
  return std::exp(-(t - attack) / tau);
}

void AddAt(Wave &into, const Wave &w, double at, double gain) {
  const size_t start = SampleCount(at);
  for (size_t i = 0; i < w.size() && start + i < into.size(); ++i) into[start + i] += gain * w[i];
}

Wave Ring(const std::vector<Partial> &partials, double seconds) {
  Wave w(SampleCount(seconds), 0.0);
  for (size_t i = 0; i < w.size(); ++i) {
    const double t = i * kDt;
    for (const Partial &p : partials) w[i] += p.amp * std::sin(2 * kPi * p.hz * t) * std::exp(-t / p.tau);
  }
  FadeTail(w);
  return w;
}

Wave Thump(double hzFrom, double hzTo, double glide, double tau, double seconds) {
  Wave w(SampleCount(seconds), 0.0);
  double phase = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    const double t = i * kDt;
    const double hz = hzTo + (hzFrom - hzTo) * std::exp(-t / glide);
    w[i] = std::sin(phase) * Envelope(t, 0.001, tau);
    phase += 2 * kPi * hz * kDt;
  }
  FadeTail(w);
  return w;
}

Wave Click(uint64_t seed, double hz, double q, double tau, double seconds) {
  Noise noise(seed);
  Biquad band;
  band.bandPass(hz, q);
  Wave w(SampleCount(seconds), 0.0);
  for (size_t i = 0; i < w.size(); ++i) w[i] = band(noise() * Envelope(i * kDt, 0.0002, tau));
  FadeTail(w);
  Normalise(w, 1);
  return w;
}

Wave Scrape(uint64_t seed, double hz, double q, double seconds) {
  Noise noise(seed), grainNoise(seed + 7);
  Biquad band;
  band.bandPass(hz, q);
  OnePole grainSmooth(180);
  Wave w(SampleCount(seconds), 0.0);
  for (size_t i = 0; i < w.size(); ++i) {
    const double u = static_cast<double>(i) / std::max<size_t>(1, w.size() - 1);
    // The burrs of the parts catch and let go: a rough, fast-varying loudness.
    const double grain = 0.35 + std::fabs(grainSmooth(grainNoise())) * 4;
    w[i] = band(noise()) * grain * std::pow(std::sin(kPi * u), 0.7);
  }
  Normalise(w, 1);
  return w;
}

Wave Tink(uint64_t seed, double pitch, double ring, double seconds) {
  Noise n(seed);
  // Modes of a thin tube, in the ratios a struck cartridge case roughly shows.
  const double base = 3300 * pitch * (1 + 0.06 * n());
  std::vector<Partial> modes = {{base, 1.0, 0.045 * ring},
                                {base * (1.63 + 0.04 * n()), 0.55 + 0.2 * n(), 0.028 * ring},
                                {base * (2.41 + 0.05 * n()), 0.3 + 0.1 * n(), 0.016 * ring}};
  for (Partial &m : modes) m.hz = std::min(m.hz, 0.45 * SOUND_RATE);
  Wave w = Ring(modes, seconds);
  AddAt(w, Click(seed + 1, 7000, 0.9, 0.0008, 0.01), 0, 0.5);
  Normalise(w, 1);
  return w;
}

Wave Room(const Wave &dry, double size, double feedback, double damp) {
  // Mutually prime delays (about 25 to 37 ms at size 1) so the echoes never line up.
  static const int kCombs[] = {557, 593, 641, 677, 709, 743, 779, 809};
  static const int kAllpasses[] = {278, 220, 170, 112};
  Wave out(dry.size(), 0.0);
  for (int d : kCombs) {
    std::vector<double> buf(std::max(1, static_cast<int>(d * size)), 0.0);
    size_t k = 0;
    double store = 0;
    for (size_t i = 0; i < out.size(); ++i) {
      const double x = dry[i];
      const double y = buf[k];
      store = y * (1 - damp) + store * damp;
      buf[k] = x + store * feedback;
      k = (k + 1) % buf.size();
      out[i] += y / 8;
    }
  }
  for (int d : kAllpasses) {
    std::vector<double> buf(std::max(1, static_cast<int>(d * size)), 0.0);
    size_t k = 0;
    for (double &s : out) {
      const double b = buf[k];
      buf[k] = s + b * 0.5;
      s = b - s;
      k = (k + 1) % buf.size();
    }
  }
  return out;
}

void AddRoom(Wave &w, double size, double feedback, double damp, double level) {
  Wave wet = Room(w, size, feedback, damp);
  Normalise(wet, level);
  Normalise(w, 1.0);
  for (size_t i = 0; i < w.size(); ++i) w[i] += wet[i];
}

void Saturate(Wave &w, double drive) {
  for (double &s : w) s = std::tanh(drive * s) / drive;
}

void Finish(Wave &w, double peak, double fade) {
  // DC blocker at about 10 Hz: a sound that ends off the centre line would click when cut.
  double x1 = 0, y1 = 0;
  const double r = 1 - 2 * kPi * 10 / SOUND_RATE;
  for (double &s : w) {
    const double y = s - x1 + r * y1;
    x1 = s;
    y1 = y;
    s = y;
  }
  const size_t n = std::min(w.size(), SampleCount(fade));
  for (size_t i = 0; i < n; ++i) {
    const double u = static_cast<double>(i + 1) / (n + 1);  // 1 .. 0 towards the last sample
    w[w.size() - 1 - i] *= 0.5 - 0.5 * std::cos(kPi * u);
  }
  Normalise(w, peak);
}

std::vector<uint8_t> EncodeWav16(const Wave &w, int rate) {
  const uint32_t dataBytes = static_cast<uint32_t>(w.size() * 2);
  std::vector<uint8_t> b(44 + dataBytes, 0);
  std::memcpy(&b[0], "RIFF", 4);
  PutU32(&b[4], 36 + dataBytes);
  std::memcpy(&b[8], "WAVEfmt ", 8);
  PutU32(&b[16], 16);
  PutU16(&b[20], 1);  // PCM
  PutU16(&b[22], 1);  // mono
  PutU32(&b[24], static_cast<uint32_t>(rate));
  PutU32(&b[28], static_cast<uint32_t>(rate) * 2);
  PutU16(&b[32], 2);
  PutU16(&b[34], 16);
  std::memcpy(&b[36], "data", 4);
  PutU32(&b[40], dataBytes);
  for (size_t i = 0; i < w.size(); ++i) {
    const double s = std::clamp(w[i], -1.0, 1.0);
    PutU16(&b[44 + 2 * i], static_cast<uint16_t>(static_cast<int16_t>(std::lround(s * 32767))));
  }
  return b;
}
