#!/usr/bin/env python3
"""Writes src/platform/portable_math_tables.h: the tables and constants of portable_math.cpp and
portable_trig.cpp.

Every value is computed here with mpmath at 1500 bits and rounded to the nearest double; a pair
(hi, lo) holds the value as hi + lo, lo being the rounded remainder. Run by hand (it needs
Debian's python3-mpmath; the build does not run it):
    python3 tools/mathgen/portable_math_tables.py |
        clang-format --assume-filename=x.h > src/platform/portable_math_tables.h
"""
import sys
from mpmath import mp, mpf, log, atan, sin, cos, pi, floor, ldexp, frexp, expm1, log1p, matrix, lu_solve

mp.prec = 1500


def nearest(x, bits=53):
    """x rounded to nearest with `bits` significant bits (ties to even), as an exact mpf."""
    x = mpf(x)
    if x == 0:
        return mpf(0)
    m, e = frexp(x)  # x = m * 2^e, 0.5 <= |m| < 1
    scaled = ldexp(m, bits)
    n = int(floor(scaled))
    rest = scaled - n
    if rest > 0.5 or (rest == 0.5 and n % 2 == 1):
        n += 1
    return ldexp(mpf(n), e - bits)


def hexf(x):
    """C++ hex float literal of a value that is exactly a double."""
    f = float(x)
    assert mpf(f) == x, x
    if f == 0.0:
        return "0.0"
    return f.hex()


def literal(x):
    s = hexf(x)
    # Trailing zeros of the fraction dropped, for reading.
    if "p" in s:
        mant, expo = s.split("p")
        mant = mant.rstrip("0").rstrip(".")
        s = mant + "p" + expo
    return s


def pair(x):
    hi = nearest(x)
    lo = nearest(x - hi)
    return hi, lo


def near_minimax(g, degree, a, b):
    """Coefficients (constant first) of the polynomial of the given degree interpolating g at
    the Chebyshev nodes of [a, b], and the largest |error| on a fine grid."""
    n = degree + 1
    nodes = [(a + b) / 2 + (b - a) / 2 * cos(pi * (2 * i + 1) / (2 * n)) for i in range(n)]
    system = matrix(n, n)
    values = matrix(n, 1)
    for i, x in enumerate(nodes):
        for k in range(n):
            system[i, k] = x ** k
        values[i] = g(x)
    solution = lu_solve(system, values)
    coefficients = [nearest(solution[k]) for k in range(n)]
    grid = [a + (b - a) * i / 2000 for i in range(2001)]
    error = max(abs(sum(c * x ** k for k, c in enumerate(coefficients)) - g(x)) for x in grid)
    return coefficients, error


def split_const(x, parts):
    """x as a sum of doubles, each with the given number of significant bits."""
    out = []
    rest = mpf(x)
    for bits in parts:
        v = nearest(rest, bits)
        out.append(v)
        rest -= v
    return out


out = []
w = out.append
w("#pragma once")
w("// Tables and constants of portable_math.cpp and portable_trig.cpp, written by")
w("// tools/mathgen/portable_math_tables.py from mpmath at 1500 bits. A double is the nearest to its value unless its comment says")
w("// otherwise; a pair {hi, lo} holds a value as hi + lo, lo the nearest double to the rest.")
w("// Do not edit by hand; run the script again.")
w("")
w("#include <cstdint>")
w("")
w('#include "platform/double_double.h"')
w("")
w("namespace varrowmere::portable::tables {")
w("")

ln2 = log(2)
hi, lo = split_const(ln2 / 128, [34, 53])
w("// ln(2) / 128 as a 34-bit head, so that k times it is exact for |k| < 2^19, and a tail.")
w(f"inline constexpr double LN2_BY_128_HI = {literal(hi)};")
w(f"inline constexpr double LN2_BY_128_LO = {literal(lo)};")
w("// 128 / ln(2), to choose k; its rounding only moves the boundary between two choices.")
w(f"inline constexpr double INV_LN2_TIMES_128 = {literal(nearest(128 / ln2))};")
hi, lo = split_const(ln2, [42, 53])
w("// ln(2) as a 42-bit head, so that e times it is exact for |e| < 2^11, and a tail.")
w(f"inline constexpr double LN2_HI = {literal(hi)};")
w(f"inline constexpr double LN2_LO = {literal(lo)};")
p1, p2, p3, p4 = split_const(pi / 2, [33, 33, 33, 53])
w("// pi / 2 in four parts, the first three of 33 bits, so that k times each is exact for")
w("// k < 2^20; together they hold pi / 2 to about 2^-150.")
w(f"inline constexpr double PIO2_1 = {literal(p1)};")
w(f"inline constexpr double PIO2_2 = {literal(p2)};")
w(f"inline constexpr double PIO2_3 = {literal(p3)};")
w(f"inline constexpr double PIO2_4 = {literal(p4)};")
w("// 2 / pi, to choose k.")
w(f"inline constexpr double TWO_OVER_PI = {literal(nearest(2 / pi))};")
for name, value, what in [("PI", pi, "pi"), ("PI_OVER_2", pi / 2, "pi / 2"),
                          ("PI_OVER_4", pi / 4, "pi / 4"), ("THREE_PI_OVER_4", 3 * pi / 4, "3 pi / 4")]:
    hi, lo = pair(value)
    w(f"// {what} as hi + lo.")
    w(f"inline constexpr Pair {name} = {{{literal(hi)}, {literal(lo)}}};")
w("")

# exp(r) - 1 = r + r^2 q(r) for |r| <= ln2 / 256 (and the rounding of the reduction).
h = log(2) / 256 * (1 + mpf(2) ** -40)
q, error = near_minimax(lambda r: (expm1(r) - r) / r ** 2 if abs(r) > mpf(2) ** -200 else mpf(1) / 2,
                        3, -h, h)
error_bits = float(log(error * h * h, 2))
assert error_bits < -63, error_bits
w("// exp(r) - 1 = r + r^2 (Q0 + Q1 r + Q2 r^2 + Q3 r^3) for |r| <= ln2 / 256, interpolated at")
w(f"// the Chebyshev nodes; the error is below 2^{error_bits:.1f}.")
w("inline constexpr double EXP_POLY[4] = {" + ", ".join(literal(c) for c in q) + "};")
w("")
w("// 2^(j / 128), j = 0 .. 127.")
w("inline constexpr Pair EXP2_BY_128[128] = {")
for j in range(128):
    hi, lo = pair(mpf(2) ** (mpf(j) / 128))
    w(f"    {{{literal(hi)}, {literal(lo)}}},")
w("};")
w("")

w("// For the mantissa f in [1, 2), cell j = round((f - 1) * 128), centred on c = 1 + j / 128:")
w("// inv, a 12-bit approximation of 1 / c (1 for j = 0, 1/2 for j = 128, so that logarithms")
w("// near 1 lose nothing), and ln as hi + lo: -ln(inv) for j < 64, -ln(2 inv) from 64 on (the")
w("// exponent then counts one more, which keeps the sum from cancelling just below 1). hi is a")
w("// multiple of 2^-42, like LN2_HI, so that e LN2_HI + hi is exact.")
w("struct LogCell {")
w("  double inv;")
w("  Pair ln;")
w("};")
w("inline constexpr LogCell LOG_CELLS[129] = {")
for j in range(129):
    n = (2 * 4096 * 128 + (128 + j)) // (2 * (128 + j))  # round(4096 / c), c = (128 + j) / 128
    inv = mpf(n) / 4096
    value = -log(inv) if j < 64 else -log(2 * inv)
    hi = floor(ldexp(value, 42) + mpf(1) / 2) / mpf(2) ** 42
    lo = nearest(value - hi)
    w(f"    {{{literal(inv)}, {{{literal(hi)}, {literal(lo)}}}}},")
w("};")
w("")

w("// atan(i / 32), i = 0 .. 32.")
w("inline constexpr Pair ATAN_BY_32[33] = {")
for i in range(33):
    hi, lo = pair(atan(mpf(i) / 32))
    w(f"    {{{literal(hi)}, {literal(lo)}}},")
w("};")
w("")

w("// sin and cos of i / 32, i = 0 .. 25 (25 / 32 is the last below pi / 4).")
w("struct SinCos {")
w("  Pair sin, cos;")
w("};")
w("inline constexpr SinCos SIN_COS_BY_32[26] = {")
for i in range(26):
    s = pair(sin(mpf(i) / 32))
    c = pair(cos(mpf(i) / 32))
    w(f"    {{{{{literal(s[0])}, {literal(s[1])}}}, {{{literal(c[0])}, {literal(c[1])}}}}},")
w("};")
w("")

words = 40
bits = int(floor(ldexp(2 / pi, 32 * words)))
w(f"// The first {32 * words} bits of the fraction of 2 / pi, 32 to a word, most significant first.")
w(f"inline constexpr uint32_t TWO_OVER_PI_BITS[{words}] = {{")
ws = [(bits >> (32 * (words - 1 - i))) & 0xffffffff for i in range(words)]
for i in range(0, words, 6):
    w("    " + " ".join(f"0x{v:08x}u," for v in ws[i:i + 6]))
w("};")
w("")
w("}  // namespace varrowmere::portable::tables")
sys.stdout.write("\n".join(out) + "\n")
