// Argument reduction and polynomials. The constants are exact values rounded once: pi's pieces
// and atan(k/8) from integer series, the series' coefficients from exact fractions (see
// tools/fmath_constants.py). Each polynomial is its Taylor series cut where the next term falls
// below a hundredth of an ulp on the reduced range.
#include "base/fmath.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fmath {
namespace {

constexpr double kPio2Hi = 0x1.921fb54442d18p+0, kPio2Lo = 0x1.1a62633145c07p-54;
constexpr double kPiHi = 0x1.921fb54442d18p+1, kPiLo = 0x1.1a62633145c07p-53;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1, kTwoPi = 0x1.921fb54442d18p+2;
// pi/2 in 33-bit pieces, each with the rest below it: n * piece is exact for n below 2^20.
constexpr double kP1 = 0x1.921fb544p+0, kP1T = 0x1.0b4611a626331p-34;
constexpr double kP2 = 0x1.0b4611a6p-34, kP2T = 0x1.3198a2e037073p-69;
constexpr double kP3 = 0x1.3198a2ep-69, kP3T = 0x1.b839a252049c1p-104;
// Below this the pieces reduce exactly; above, fmod by 2 pi first.
constexpr double kMediumLimit = 1.6e6;

// sin x = x + x^3 (S[0] + S[1] x^2 + ...), to x^17: -1/3!, 1/5!, ...
constexpr double S[] = {-0x1.5555555555555p-3,  0x1.1111111111111p-7,  -0x1.a01a01a01a01ap-13, 0x1.71de3a556c734p-19,
                        -0x1.ae64567f544e4p-26, 0x1.6124613a86d09p-33, -0x1.ae7f3e733b81fp-41, 0x1.952c77030ad4ap-49};
// cos x = 1 - x^2/2 + x^4 (C[0] + C[1] x^2 + ...), to x^18: 1/4!, -1/6!, ...
constexpr double C[] = {0x1.5555555555555p-5,  -0x1.6c16c16c16c17p-10, 0x1.a01a01a01a01ap-16, -0x1.27e4fb7789f5cp-22,
                        0x1.1eed8eff8d898p-29, -0x1.93974a8c07c9dp-37, 0x1.ae7f3e733b81fp-45, -0x1.6827863b97d97p-53};
// atan t = t + t^3 (A[0] + A[1] t^2 + ...), to t^17, for |t| <= 1/16: -1/3, 1/5, ...
constexpr double A[] = {-0x1.5555555555555p-2, 0x1.999999999999ap-3, -0x1.2492492492492p-3, 0x1.c71c71c71c71cp-4,
                        -0x1.745d1745d1746p-4, 0x1.3b13b13b13b14p-4, -0x1.1111111111111p-4, 0x1.e1e1e1e1e1e1ep-5};
// atan(k/8) for k = 1..16 as a head and a tail.
constexpr double kAtanK[16][2] = {
    {0x1.fd5ba9aac2f6ep-4, -0x1.cd37686760c17p-59}, {0x1.f5b75f92c80ddp-3, 0x1.8ab6e3cf7afbdp-57},
    {0x1.6f61941e4def1p-2, -0x1.c63aae6f6e918p-56}, {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56},
    {0x1.1e00babdefeb4p-1, -0x1.928df287a668fp-58}, {0x1.4978fa3269ee1p-1, 0x1.2419a87f2a458p-56},
    {0x1.700a7c5784634p-1, -0x1.8c34d25aadef6p-56}, {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55},
    {0x1.b034f38649c88p-1, -0x1.be88d6936f833p-55}, {0x1.cac7c57846f9ep-1, 0x1.0dae13ad18a6bp-55},
    {0x1.e24dd44c855d1p-1, 0x1.f7ac612ab33d8p-55},  {0x1.f730bd281f69bp-1, 0x1.007887af0cbbdp-56},
    {0x1.04e67277a01d7p+0, 0x1.7115496c13eb6p-57},  {0x1.0d38f2c5ba09fp+0, -0x1.bd0dc231bfd70p-54},
    {0x1.14b1dd5f90ce1p+0, -0x1.212d570a63fa2p-56}, {0x1.1b6e192ebbe44p+0, 0x1.b1b466a88828ep-54},
};
// asin s = s + s^3 (B[0] + B[1] s^2 + ...), to s^53, for |s| <= 1/2: c(n) = (2n)! / (4^n n!^2 (2n+1)).
constexpr double B[] = {0x1.5555555555555p-3, 0x1.3333333333333p-4, 0x1.6db6db6db6db7p-5, 0x1.f1c71c71c71c7p-6,
                        0x1.6e8ba2e8ba2e9p-6, 0x1.1c4ec4ec4ec4fp-6, 0x1.c99999999999ap-7, 0x1.7a87878787878p-7,
                        0x1.3fde50d79435ep-7, 0x1.12ef3cf3cf3cfp-7, 0x1.df3bd37a6f4dfp-8, 0x1.a6863d70a3d71p-8,
                        0x1.782dda12f684cp-8, 0x1.51ba308d3dcb1p-8, 0x1.31683bdef7bdfp-8, 0x1.15ee9d45d1746p-8,
                        0x1.fcaf8fb6db6dbp-9, 0x1.d3d2a8e0dd67dp-9, 0x1.b026f57b13b14p-9, 0x1.90cb77f60c7cep-9,
                        0x1.750de64d7d05fp-9, 0x1.5c5f56efaaaabp-9, 0x1.464c0950f7d47p-9, 0x1.3275586c5f2f0p-9,
                        0x1.208d3570ae5a6p-9, 0x1.1052bc5fa960ap-9};

// c[0] + c[1] z + ... + c[n-1] z^(n-1).
double Horner(const double *c, size_t n, double z) {
  double p = c[n - 1];
  for (size_t i = n - 1; i-- > 0;) p = c[i] + z * p;
  return p;
}
template <size_t N>
double Horner(const double (&c)[N], double z) {
  return Horner(c, N, z);
}

int Exponent(double x) { return x == 0 ? -1100 : std::ilogb(x); }

// x = n pi/2 + y0 + y1 with |y0 + y1| <= pi/4 (a little more near the pieces' limits); returns n mod 4.
int Reduce(double x, double &y0, double &y1) {
  if (std::fabs(x) >= kMediumLimit) x = std::fmod(x, kTwoPi);
  const double fn = std::floor(x * kTwoOverPi + 0.5);
  // The first piece cancels exactly; the second and third come in only when the first left so
  // little that their rounding would show.
  double r = x - fn * kP1, w = fn * kP1T;
  y0 = r - w;
  const int high = Exponent(x);
  if (high - Exponent(y0) > 16) {
    double t = r;
    w = fn * kP2;
    r = t - w;
    w = fn * kP2T - ((t - r) - w);
    y0 = r - w;
    if (high - Exponent(y0) > 49) {
      t = r;
      w = fn * kP3;
      r = t - w;
      w = fn * kP3T - ((t - r) - w);
      y0 = r - w;
    }
  }
  y1 = (r - y0) - w;
  return static_cast<int>(static_cast<int64_t>(fn) & 3);
}

// sin(y0 + y1) and cos(y0 + y1) for |y0| <= pi/4, y1 a tail below y0's ulp.
double SinKernel(double y0, double y1) {
  const double z = y0 * y0, v = z * y0;
  const double r = Horner(S + 1, 7, z);
  // y0 + v (S[0] + z r) + y1 (1 - z / 2), the small terms summed first.
  return y0 - ((z * (0.5 * y1 - v * r) - y1) - v * S[0]);
}

double CosKernel(double y0, double y1) {
  const double z = y0 * y0, hz = 0.5 * z, w = 1.0 - hz;
  // 1 - hz rounded, its rounding error added back.
  return w + (((1.0 - w) - hz) + (z * z * Horner(C, z) - y0 * y1));
}

// atan of 0 <= a < 33/16, from the nearest k/8: atan a = atan c + atan((a - c) / (1 + a c)).
double AtanReduced(double a) {
  if (a < 0x1p-27) return a;
  if (a < 0.0625) return a + a * (a * a) * Horner(A, a * a);
  const int k = static_cast<int>(std::floor(a * 8 + 0.5));
  const double c = k * 0.125;
  const double t = (a - c) / (1.0 + a * c);  // a - c is exact: c / 2 <= a <= 2 c
  const double tt = t * t;
  return kAtanK[k - 1][0] + (kAtanK[k - 1][1] + (t + t * tt * Horner(A, tt)));
}

// asin s - s for |s| <= 1/2.
double AsinTail(double s) {
  const double z = s * s;
  return s * z * Horner(B, z);
}

}  // namespace

double sine(double x) {
  if (!std::isfinite(x)) return x - x;
  if (std::fabs(x) < 0x1p-26) return x;  // also keeps -0
  if (std::fabs(x) <= 0x1.921fb54442d18p-1) return SinKernel(x, 0);
  double y0, y1;
  switch (Reduce(x, y0, y1)) {
    case 0: return SinKernel(y0, y1);
    case 1: return CosKernel(y0, y1);
    case 2: return -SinKernel(y0, y1);
    default: return -CosKernel(y0, y1);
  }
}

double cosine(double x) {
  if (!std::isfinite(x)) return x - x;
  if (std::fabs(x) < 0x1p-27) return 1.0;
  if (std::fabs(x) <= 0x1.921fb54442d18p-1) return CosKernel(x, 0);
  double y0, y1;
  switch (Reduce(x, y0, y1)) {
    case 0: return CosKernel(y0, y1);
    case 1: return -SinKernel(y0, y1);
    case 2: return -CosKernel(y0, y1);
    default: return SinKernel(y0, y1);
  }
}

double arctan(double x) {
  if (std::isnan(x)) return x + x;
  const double a = std::fabs(x);
  double r;
  if (a < 2.0625)
    r = AtanReduced(a);
  else if (a < 0x1p60)
    r = kPio2Hi - (AtanReduced(1.0 / a) - kPio2Lo);  // 1/a below 1/2: its rounding hardly shows
  else
    r = kPio2Hi + kPio2Lo;
  return std::signbit(x) ? -r : r;
}

double arccos(double x) {
  if (std::isnan(x)) return x + x;
  if (x > 1 || x < -1) return (x - x) / (x - x);
  if (x == 1) return 0;
  if (std::fabs(x) <= 0.5) return kPio2Hi - (x - (kPio2Lo - AsinTail(x)));
  // acos x = 2 asin sqrt((1 - x) / 2) for x > 1/2; 1 - x is exact there.
  const double z = (1.0 - std::fabs(x)) * 0.5, s = std::sqrt(z);
  if (x < 0) return kPiHi - 2.0 * (s + (AsinTail(s) - 0.5 * kPiLo));
  // s's head with its low 32 bits cleared squares exactly, so c = z - head^2 over (s + head)
  // carries the root's rounding.
  uint64_t bits;
  std::memcpy(&bits, &s, 8);
  bits &= 0xffffffff00000000ull;
  double head;
  std::memcpy(&head, &bits, 8);
  const double c = (z - head * head) / (s + head);
  return 2.0 * (head + (c + AsinTail(s)));
}

}  // namespace fmath
