// A small synthesiser for the game's sounds: seeded noise, oscillators, envelopes, filters, a
// room, and the 16-bit mono WAV writer. Everything is deterministic: the same code makes the
// same bytes on every machine.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int SOUND_RATE = 22050;
using Wave = std::vector<double>;  // samples in -1..1 at SOUND_RATE

// White noise in [-1, 1) from its own seed (xorshift64*), so sounds never share a sequence.
struct Noise {
  uint64_t state;
  explicit Noise(uint64_t seed);
  double operator()();
};

// The usual second-order filters (the audio-EQ cookbook's); retuning keeps the state, so a
// cutoff can sweep while the filter runs.
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  void lowPass(double hz, double q);
  void highPass(double hz, double q);
  void bandPass(double hz, double q);  // 0 dB at the centre
  double operator()(double x);
};

// A one-pole low-pass: gentle smoothing of noise and envelopes.
struct OnePole {
  double a, y = 0;
  explicit OnePole(double hz);
  double operator()(double x) { return y += a * (x - y); }
};

size_t SampleCount(double seconds);
// 0 before t = 0, a straight rise over `attack`, then decay by e every `tau` seconds.
double Envelope(double t, double attack, double tau);
// Adds w into `into` from time `at` on, scaled by gain; what runs past the end is cut.
void AddAt(Wave &into, const Wave &w, double at, double gain = 1);

// A resonant partial: a sine of fixed frequency dying away.
struct Partial {
  double hz, amp, tau;
};
Wave Ring(const std::vector<Partial> &partials, double seconds);
// A sine gliding from hzFrom towards hzTo (time constant glide), decaying by tau.
Wave Thump(double hzFrom, double hzTo, double glide, double tau, double seconds);
// A mechanical click: a short noise tick through a resonant band-pass, so it rings briefly.
Wave Click(uint64_t seed, double hz, double q, double tau, double seconds);
// Metal drawn over metal: band-passed noise, roughened by random grain, swelling and fading.
Wave Scrape(uint64_t seed, double hz, double q, double seconds);

// A small piece of brass or steel struck: a short tick and a few inharmonic modes, detuned a
// little by the seed so no two are alike. pitch scales the modes (1: a rifle case).
Wave Tink(uint64_t seed, double pitch, double ring, double seconds);

// A small outdoor space between buildings (a Schroeder reverberator): the wet signal only, as
// long as dry. size scales the delays, damp darkens the echoes.
Wave Room(const Wave &dry, double size, double feedback, double damp);
// Scales w to peak 1 and adds its room, the room's peak at `level`.
void AddRoom(Wave &w, double size, double feedback, double damp, double level);
// A soft clip that keeps small signals linear: tanh(drive x) / drive.
void Saturate(Wave &w, double drive);
// Scales the loudest sample to peak (a silent wave stays silent).
void Normalise(Wave &w, double peak);
// Removes DC, fades the last `fade` seconds to silence and scales the peak to `peak`.
void Finish(Wave &w, double peak, double fade = 0.01);

// 16-bit mono PCM RIFF WAVE with a 16-byte format chunk.
std::vector<uint8_t> EncodeWav16(const Wave &w, int rate = SOUND_RATE);
