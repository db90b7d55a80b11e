/// @file
/// The process-wide uniform random generator: xoshiro256** seeded through
/// splitmix64 from a 64-bit seed, so that a seed fixes the sequence on every
/// machine. All calls are serialised by one mutex.
#pragma once

#include <cstdint>

namespace zel {

/// Sets the seed; the sequence that follows depends on it alone.
void SetRandSeed(uint64_t Seed);
/// The seed most recently set (by SetRandSeed or Randomize).
uint64_t GetRandSeed();
/// Seeds from ClockSeed().
void Randomize();
/// A seed that differs on every call: the high-resolution clock mixed with a
/// call counter, so that two calls within one clock tick still differ.
uint64_t ClockSeed();

/// Uniform in [0, 1), 53 random bits.
double Random();
/// Uniform integer in 0..n-1, without modulo bias; 0 for n <= 0.
int32_t Random(int32_t n);
/// Normal variate with the given mean and standard deviation (Marsaglia's
/// polar method; the second variate of each pair is discarded so that the
/// generator's state alone fixes the stream).
double RandG(double Mean, double StdDev);

}  // namespace zel
