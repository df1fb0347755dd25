// The weapons' firing and reload sounds.
//
// Every report is one model: the muzzle crack (a broadband burst, high-passed: the higher the
// sharper), for rifle rounds the supersonic snap (an N-shaped pressure pulse under a
// millisecond), the blast body (noise whose low-pass closes quickly from bright to dark),
// a low thump gliding down, a little saturation for punch, the action cycling (a metallic
// click a few tens of milliseconds later), and the street around: a short reverberant tail and
// a slap-back echo off the buildings. The weapons differ in those numbers.
//
// Every reload is a sequence of mechanical events within the 0.75 s a reload takes: clacks
// (a tick and a few ringing modes; heavier parts ring lower and longer) and scrapes (metal
// drawn over metal): magazine out, magazine in, and the action worked.
#include <cmath>
#include <map>

#include "contentc/sounds.h"

namespace {
constexpr double kDt = 1.0 / SOUND_RATE;

struct Crack {
  double level, tau, hz;  // decay (s), high-pass (Hz): the higher, the sharper
};
struct Body {
  double level, hzFrom, hzTo, glide, tau;  // low-pass closing from hzFrom to hzTo; decay tau
};
struct Low {
  double level, hzFrom, hzTo, tau;  // the thump's glide and decay
};
struct Action {
  double level, at, hz;  // the metallic click of the action cycling, `at` s after the shot
};
struct Street {
  double room, size, feedback;  // reverberant tail: peak level, delay scale, decay per echo
  double echo, echoAt;          // slap-back off the buildings
};
struct Report {
  uint64_t seed;
  double length;
  Crack crack;
  double snap;  // supersonic N-wave level (0 for subsonic rounds)
  Body body;
  Low thump;
  double drive;
  Action action;
  Street street;
};

Wave MakeReport(const Report &r) {
  Wave dry(SampleCount(r.length), 0.0);
  Noise n(r.seed), bodyNoise(r.seed + 1);
  Biquad crackHp, body;
  crackHp.highPass(r.crack.hz, 0.7);
  const Body &b = r.body;
  for (size_t i = 0; i < dry.size(); ++i) {
    const double t = i * kDt;
    dry[i] += r.crack.level * crackHp(n()) * Envelope(t, 0.0002, r.crack.tau);
    if (i % 8 == 0) body.lowPass(b.hzTo + (b.hzFrom - b.hzTo) * std::exp(-t / b.glide), 0.8);
    dry[i] += b.level * 4 * body(bodyNoise()) * Envelope(t, 0.0008, b.tau);
  }
  // The N-wave: about 0.45 ms from full positive to full negative pressure.
  const size_t snapLength = SampleCount(0.00045);
  for (size_t i = 0; i < snapLength && i < dry.size(); ++i) dry[i] += r.snap * (1 - 2.0 * i / (snapLength - 1));
  const Low &th = r.thump;
  AddAt(dry, Thump(th.hzFrom, th.hzTo, 0.02, th.tau, std::min(r.length, 8 * th.tau)), 0, th.level);
  if (r.action.level > 0) {
    Wave click = Click(r.seed + 2, r.action.hz, 7, 0.01, 0.05);
    AddAt(click, Click(r.seed + 3, r.action.hz * 1.7, 9, 0.006, 0.05), 0, 0.5);
    AddAt(dry, click, r.action.at, r.action.level);
  }
  // Drive is relative to the peak, so it shapes the same whatever the layers added up to.
  Normalise(dry, 1.0);
  Saturate(dry, r.drive);
  Normalise(dry, 1.0);

  const Street &st = r.street;
  Wave out = dry;
  Wave wet = Room(dry, st.size, st.feedback, 0.45);
  Normalise(wet, st.room);
  for (size_t i = 0; i < out.size(); ++i) out[i] += wet[i];
  if (st.echo > 0) {
    // The echo comes back darker: buildings and distance swallow the highs.
    Biquad dark;
    dark.lowPass(1800, 0.7);
    Wave echo(dry.size());
    for (size_t i = 0; i < dry.size(); ++i) echo[i] = dark(dry[i] + 0.6 * wet[i]);
    AddAt(out, echo, st.echoAt, st.echo);
  }
  Finish(out, 0.92, std::min(0.15, r.length / 3));
  return out;
}

// Each line: seed, length (s), crack, snap, body, thump, drive, action, street.
const std::map<std::string, Report> &Reports() {
  static const std::map<std::string, Report> reports = {
      // A pistol: a sharp, light crack with little low end, the slide clicking back.
      {"pistol",
       {1001,
        0.45,
        {1.0, 0.0025, 1500},
        0.0,
        {0.8, 5000, 900, 0.02, 0.03},
        {0.45, 180, 90, 0.04},
        2.0,
        {0.12, 0.035, 4200},
        {0.15, 0.9, 0.68, 0.12, 0.18}}},
      // A shotgun: a broad boom, more blast than crack, deep and long, a big echo.
      {"shotgun",
       {1002,
        0.9,
        {0.8, 0.004, 900},
        0.0,
        {1.3, 3500, 300, 0.05, 0.09},
        {1.0, 110, 45, 0.12},
        3.0,
        {0, 0, 0},
        {0.2, 1.2, 0.72, 0.2, 0.26}}},
      // A sub-machine gun: short and tight, pistol rounds, the bolt rattling at once; it fires
      // 13 times a second so nearly all of it is over in a tenth.
      {"smg",
       {1003,
        0.24,
        {0.9, 0.0018, 1800},
        0.0,
        {0.7, 4500, 1000, 0.015, 0.022},
        {0.35, 200, 110, 0.025},
        2.0,
        {0.22, 0.028, 2800},
        {0.1, 0.8, 0.62, 0, 0}}},
      // An assault rifle: the supersonic snap on top of a punchy mid body, bolt cycling.
      {"rifle",
       {1004,
        0.55,
        {1.1, 0.0015, 2500},
        0.45,
        {0.9, 6000, 700, 0.025, 0.035},
        {0.6, 160, 70, 0.05},
        2.5,
        {0.14, 0.04, 3300},
        {0.17, 1.0, 0.7, 0.15, 0.22}}},
      // A machine gun: a heavier, deeper rifle report with the belt feed clunking; 11 a second.
      {"machinegun",
       {1005,
        0.4,
        {1.1, 0.002, 1800},
        0.35,
        {1.1, 4500, 450, 0.03, 0.045},
        {0.85, 130, 55, 0.07},
        2.8,
        {0.2, 0.05, 1800},
        {0.15, 1.1, 0.68, 0.1, 0.2}}},
      // A sniper rifle: the loudest snap, a deep body, and a long rolling echo down the street.
      {"sniper",
       {1006,
        1.3,
        {1.2, 0.0015, 2800},
        0.7,
        {1.2, 5500, 400, 0.04, 0.06},
        {1.0, 100, 40, 0.12},
        3.0,
        {0, 0, 0},
        {0.25, 1.4, 0.8, 0.3, 0.32}}},
      // A heavy revolver: a big subsonic boom, bassier and longer than the pistol, no action
      // cycling, only the cylinder ringing faintly.
      {"revolver",
       {1007,
        0.7,
        {1.0, 0.003, 1200},
        0.0,
        {1.2, 4000, 500, 0.035, 0.05},
        {0.8, 140, 60, 0.07},
        2.8,
        {0.05, 0.004, 2300},
        {0.2, 1.1, 0.7, 0.2, 0.24}}},
  };
  return reports;
}

// A clack of parts meeting. weight 0 is a small light part (a catch, a trigger), 1 a heavy
// one (a bolt slamming home): heavier clacks ring lower, longer and with more body.
Wave Clack(uint64_t seed, double weight) {
  Wave w(SampleCount(0.09), 0.0);
  AddAt(w, Click(seed, 5200 - 2600 * weight, 1.2, 0.0012, 0.02), 0, 0.7);
  AddAt(w, Click(seed + 1, 2700 - 1500 * weight, 8, 0.012 + 0.02 * weight, 0.09), 0, 0.6);
  AddAt(w, Click(seed + 2, 4000 - 1800 * weight, 10, 0.008, 0.05), 0.0005, 0.3);
  AddAt(w, Click(seed + 3, 700 - 300 * weight, 3, 0.01, 0.06), 0, 0.5 * weight);
  Normalise(w, 1);
  return w;
}

struct Event {
  double at;
  char kind;  // 'c' clack, 's' scrape, 't' brass tink
  double a;   // clack weight, scrape centre (Hz) or tink pitch
  double b;   // scrape length (s); unused otherwise
  double level;
};

Wave Sequence(uint64_t seed, const std::vector<Event> &events) {
  Wave w(SampleCount(0.72), 0.0);
  uint64_t s = seed;
  for (const Event &e : events) {
    s += 10;
    if (e.kind == 'c') AddAt(w, Clack(s, e.a), e.at, e.level);
    if (e.kind == 's') AddAt(w, Scrape(s, e.a, 2.5, e.b), e.at, e.level);
    if (e.kind == 't') AddAt(w, Tink(s, e.a, 0.7, 0.12), e.at, e.level);
  }
  Finish(w, 0.8, 0.03);
  return w;
}

const std::map<std::string, std::vector<Event>> &Reloads() {
  static const std::map<std::string, std::vector<Event>> reloads = {
      // Magazine catch, the empty magazine sliding out; the new one slid in and seated; the
      // slide pulled back and let go.
      {"pistol",
       {{0.02, 'c', 0.15, 0, 0.6},
        {0.04, 's', 3200, 0.07, 0.3},
        {0.30, 's', 2600, 0.06, 0.35},
        {0.36, 'c', 0.45, 0, 1.0},
        {0.50, 's', 3800, 0.05, 0.3},
        {0.555, 'c', 0.2, 0, 0.5},
        {0.60, 'c', 0.55, 0, 0.95}}},
      // Tube-fed: two shells thumbed into the magazine, then the pump racked back and forward.
      {"shotgun",
       {{0.04, 's', 1600, 0.04, 0.3},
        {0.08, 'c', 0.6, 0, 0.8},
        {0.22, 's', 1600, 0.04, 0.3},
        {0.26, 'c', 0.6, 0, 0.8},
        {0.42, 's', 1800, 0.07, 0.45},
        {0.49, 'c', 0.75, 0, 0.9},
        {0.55, 's', 2000, 0.05, 0.4},
        {0.61, 'c', 0.85, 0, 1.0}}},
      // A light stick magazine out and in, then the bolt pulled and released.
      {"smg",
       {{0.02, 'c', 0.25, 0, 0.6},
        {0.04, 's', 3000, 0.08, 0.3},
        {0.28, 's', 2800, 0.06, 0.35},
        {0.34, 'c', 0.5, 0, 1.0},
        {0.50, 'c', 0.3, 0, 0.6},
        {0.52, 's', 3500, 0.05, 0.25},
        {0.60, 'c', 0.6, 0, 0.95}}},
      // Magazine release and out; the new one seated and tapped home; charging handle back, and
      // the bolt slamming forward.
      {"rifle",
       {{0.02, 'c', 0.3, 0, 0.6},
        {0.04, 's', 2200, 0.1, 0.35},
        {0.28, 's', 2400, 0.07, 0.35},
        {0.35, 'c', 0.7, 0, 1.0},
        {0.40, 'c', 0.4, 0, 0.4},
        {0.50, 's', 3000, 0.06, 0.3},
        {0.56, 'c', 0.35, 0, 0.5},
        {0.62, 'c', 0.8, 0, 1.0}}},
      // Feed cover unlatched and swung up, a fresh belt laid in with its links jingling, the
      // cover slammed shut and the handle worked.
      {"machinegun",
       {{0.02, 'c', 0.5, 0, 0.7},
        {0.03, 's', 1200, 0.08, 0.3},
        {0.16, 't', 1.1, 0, 0.3},
        {0.19, 't', 1.3, 0, 0.25},
        {0.22, 't', 1.0, 0, 0.3},
        {0.25, 't', 1.2, 0, 0.2},
        {0.29, 't', 1.15, 0, 0.2},
        {0.36, 'c', 0.3, 0, 0.5},
        {0.46, 'c', 0.9, 0, 1.0},
        {0.55, 's', 2600, 0.07, 0.3},
        {0.64, 'c', 0.85, 0, 0.95}}},
      // Bolt action: lifted, drawn back to its stop, rounds pressed into the magazine, run
      // forward and turned down to lock.
      {"sniper",
       {{0.02, 'c', 0.35, 0, 0.6},
        {0.06, 's', 2400, 0.08, 0.4},
        {0.14, 'c', 0.5, 0, 0.8},
        {0.27, 's', 2000, 0.05, 0.3},
        {0.32, 'c', 0.45, 0, 0.7},
        {0.48, 's', 2400, 0.08, 0.4},
        {0.56, 'c', 0.6, 0, 0.8},
        {0.64, 'c', 0.7, 0, 0.9}}},
      // Cylinder swung out, the empties pushed out and falling, a speed loader's fresh rounds
      // in, the cylinder snapped shut and its ratchet turning.
      {"revolver",
       {{0.02, 'c', 0.3, 0, 0.6},
        {0.12, 't', 0.8, 0, 0.35},
        {0.145, 't', 0.85, 0, 0.3},
        {0.17, 't', 0.78, 0, 0.3},
        {0.21, 't', 0.82, 0, 0.22},
        {0.26, 't', 0.8, 0, 0.18},
        {0.42, 'c', 0.4, 0, 0.6},
        {0.56, 'c', 0.75, 0, 1.0},
        {0.62, 'c', 0.1, 0, 0.3},
        {0.66, 'c', 0.1, 0, 0.3}}},
  };
  return reloads;
}

}  // namespace

bool MakeWeaponFire(const std::string &sprite, Wave &out) {
  auto it = Reports().find(sprite);
  if (it == Reports().end()) return false;
  out = MakeReport(it->second);
  return true;
}

bool MakeWeaponReload(const std::string &sprite, Wave &out) {
  auto it = Reloads().find(sprite);
  if (it == Reloads().end()) return false;
  // Seeded from the name (FNV-1a), so each weapon's parts sound a little different.
  uint64_t seed = 1469598103934665603ull;
  for (unsigned char c : sprite) seed = (seed ^ c) * 1099511628211ull;
  out = Sequence(seed, it->second);
  return true;
}
