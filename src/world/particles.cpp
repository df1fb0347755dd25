#include "world/particles.h"

std::vector<tparticle> particleList;
