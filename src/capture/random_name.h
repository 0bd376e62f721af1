#pragma once
// The program's pseudo-random generator, which exists only to name the
// picture files: one 32-bit seed, re-seeded from the clock when the capture
// overlay is activated and advanced once per grab. UI thread only.

#include <cstdint>
#include <string>

std::uint32_t RandomSeed() noexcept;
void SetRandomSeed(std::uint32_t seed) noexcept;

// The seed becomes the low 32 bits of the high-resolution counter (on
// Windows, the milliseconds since start when the counter cannot be read).
void ReseedRandom() noexcept;

// Advances the seed (seed * 134775813 + 1, modulo 2^32) and returns the high
// 32 bits of seed * n: a number from 0 to n - 1 for a positive n.
std::uint32_t DrawRandom(std::int32_t n) noexcept;

// One draw from 0 to 99999 as a file name: "0.jpg" ... "99999.jpg".
std::string DrawPictureFileName();
