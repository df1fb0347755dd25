// The rules' own sine, cosine, arctangent and arccosine: plain IEEE double arithmetic (no fused
// multiply-adds, no long double, no C library call but exact ones: sqrt, floor, fmod, ilogb), so
// every machine, C library and compiler computes the very same bits and a replay plays the same
// game everywhere. Within about an ulp of the true value; the view may keep the C library's.
#pragma once

namespace fmath {

// Accurate for |x| below 1.6e6; beyond, the argument is first taken modulo the double nearest
// 2 pi, which stays in [-1, 1] but drifts from the true value. NaN for NaN and infinities.
double sine(double x);
double cosine(double x);
// In [-pi/2, pi/2]; +-pi/2 at the infinities.
double arctan(double x);
// In [0, pi]; NaN outside [-1, 1].
double arccos(double x);

}  // namespace fmath
