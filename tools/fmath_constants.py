#!/usr/bin/env python3
"""Prints the constants of src/base/fmath.cpp from exact arithmetic: pi from Machin's formula and
atan(k/8) from Euler's series, both in 400-bit integers, and the series' coefficients as exact
fractions; each rounded once to the nearest double (hex, as C++ writes them)."""
from fractions import Fraction as F
import math

BITS = 400
ONE = 1 << BITS


def atan_inverse(n):  # atan(1/n) * ONE
    term, total, k = ONE // n, 0, 0
    while term:
        total += term // (2 * k + 1) * (1 if k % 2 == 0 else -1)
        term //= n * n
        k += 1
    return total


def atan_ratio(p, q):  # atan(p/q) * ONE for p <= q: Euler's series, ratio p^2 / (p^2 + q^2)
    a, b = p * p, p * p + q * q
    term, total, n = ONE * p * q // b, 0, 0
    while term:
        total += term
        n += 1
        term = term * (2 * n) * a // ((2 * n + 1) * b)
    return total


def head_tail(v):
    f = F(v, ONE)
    head = float(f)
    return head, float(f - F(head))


def leading(v, bits):  # the first `bits` significant bits of v / ONE, cut
    f = F(v, ONE)
    scale = F(2) ** (bits - math.frexp(float(f))[1])
    return F(math.floor(f * scale)) / scale


PI = 4 * (4 * atan_inverse(5) - atan_inverse(239))
PIO2 = PI // 2
print("pi/2", *(x.hex() for x in head_tail(PIO2)), " pi", *(x.hex() for x in head_tail(PI)))
print("2/pi", float(F(2 * ONE * ONE // PI, ONE)).hex(), " 2pi", float(F(2 * PI, ONE)).hex())
rest = PIO2
for i in (1, 2, 3):
    piece = leading(rest, 33)
    rest -= int(piece * ONE)
    print("P%d" % i, float(piece).hex(), "P%dT" % i, float(F(rest, ONE)).hex())
fact = math.factorial
print("S", *(float(F((-1) ** n, fact(2 * n + 1))).hex() for n in range(1, 9)))
print("C", *(float(F((-1) ** n, fact(2 * n))).hex() for n in range(2, 10)))
print("A", *(float(F((-1) ** n, 2 * n + 1)).hex() for n in range(1, 9)))
c = [F(1)]
for n in range(1, 27):
    c.append(c[-1] * F((2 * n - 1) ** 2, 2 * n * (2 * n + 1)))
print("B", *(float(x).hex() for x in c[1:]))
for k in range(1, 17):
    v = atan_ratio(k, 8) if k <= 8 else PIO2 - atan_ratio(8, k)
    print("atan(%d/8)" % k, *(x.hex() for x in head_tail(v)))
