#pragma once
// The transcendental functions the engine uses, computed by this project's own code so that
// every build (glibc on Linux, mingw-w64 on Windows, 32 and 64 bits) gets the same bits: the C
// libraries differ in the last bits of these. Built only from operations IEEE 754 rounds
// exactly (+ - * / sqrt, conversions, scaling by powers of two) with contraction off, so the
// 32-bit build must do its floating point in SSE2, not x87; the constants and tables come from
// tools/mathgen/portable_math_tables.py.
//
// Accuracy: below 0.51 ulp for exp and pow, below 0.502 ulp for the others; the correctly
// rounded result for all but about one argument in 2000 (exp, pow) or 10000 (the others).
// Special values as C99 Annex F has them (zeros, infinities, NaN); large sin and cos arguments
// are reduced exactly. Pure functions: safe from any thread, they allocate nothing.

namespace varrowmere::portable {

double exp(double x);
// Natural logarithm.
double log(double x);
double pow(double x, double y);
double sin(double x);
double cos(double x);
// Angle of the point (x, y) from the x axis (rad, -pi .. pi).
double atan2(double y, double x);
// sqrt(x^2 + y^2) without overflow or underflow on the way.
double hypot(double x, double y);

}  // namespace varrowmere::portable
