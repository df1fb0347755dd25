// Making particles and moving loose objects (particles, grenades, pickups). The record and the
// list live with the world; creating them needs the camera, so the operations live here.
#pragma once
#include <cstdint>

#include "base/vector.h"
#include "world/collision.h"
#include "world/particles.h"

// Particles are drawn only: nothing in the rules reads them back, and their random draws come
// from a generator of their own, so whether and where they are made never moves the game. They
// are made and kept across the whole view, not only the rules' 4:3 area (OnScreen): the view
// hands in the half width of its screen plane at depth 9 before each frame (the half height is
// 3.75; 5 is 4:3, the default and the headless game's).
extern double particleViewHalfWidth;
extern trandom particleRandom;  // seeded with each game
bool InParticleView(tvector p);

// What a particle is decides its gravity, lifetime and how it meets the terrain.
enum tparticlekind { PARTICLE_CASE, PARTICLE_SMOKE, PARTICLE_PART, PARTICLE_DEBRI, PARTICLE_SPARK, PARTICLE_BLOOD };

// Atlas rows of colours2.tga.
enum { ROW_SPARK = 0, ROW_BLOOD = 1, ROW_PART = 2, ROW_CLIP_CASE = 2, ROW_DEBRI = 4, ROW_CASE = 5, ROW_SMOKE = 7 };

// One particle, unless particles are off or (x, y) is out of the particles' view.
void spawnparticle(tparticlekind kind, uint8_t row, double x, double y, double vx, double vy, double sx, double sy);
// Two smoke puffs and four chips off the struck surface; a hit with side 'n' makes nothing.
void impactburst(const thit &h);
// A knocked-off part flies off, its length along its flight.
void spawnpartparticle(tvector p, tvector v, const tguypart &part);
// One frame of flight, lifetime and block collision of a grenade or pickup; out of view (OnScreen)
// it is gone.
void LooseObjectStep(tparticle &o);
