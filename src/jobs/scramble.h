#pragma once

// The scrambled form of a firmware image's payload: a chained byte cipher of
// the image format's own. Each byte goes through one of eleven steps chosen by
// its position modulo 16; each step mixes in the previous plain byte and the
// previous scrambled byte, so a change carries forward through the rest of
// the payload. An excluded window is copied as it is and stays out of the
// chain.

#include <array>
#include <cstddef>

#include "common/bytes.h"

namespace updater {

/// The image format's scrambling constants. They are part of the format:
/// images scrambled with other values do not unscramble, so they never change.
struct ScrambleConstants {
  std::array<Byte, 11> k;  // k0..k10, one per step number
  Byte kx;                 // the second constant of step 0
};

inline constexpr ScrambleConstants kImageScrambleConstants{
    {0x3C, 0xA7, 0x51, 0xE2, 0x96, 0x2D, 0x7B, 0xC8, 0x14, 0x6F, 0xB9},
    0x8E,
};

/// The step used for payload position i is kScrambleStepAt[i % 16].
inline constexpr std::array<std::size_t, 16> kScrambleStepAt{0, 1, 2, 3, 4, 5, 6, 7,
                                                             8, 9, 10, 0, 8, 8, 3, 10};

/// Positions [start, start + length) of a payload that are copied unchanged
/// and never enter the chain. A window of length 0, or one that starts at or
/// beyond the payload's end, excludes nothing; one that runs past the end is
/// cut there.
struct ScrambleWindow {
  std::size_t start = 0;
  std::size_t length = 0;
};

/// Writes the scrambled form of `plain` into the first plain.size() bytes of
/// `scrambled`, positions counted from plain[0]. An image's payload starts
/// after its 6-byte head, so callers pass the image from offset 6 on. Returns false, writing
/// nothing, when `scrambled` is shorter than `plain`. The buffers must not
/// overlap.
[[nodiscard]] bool scramble(ConstBytes plain, Bytes scrambled, ScrambleWindow window = {});

/// The inverse of scramble for the same window: writes the plain form of
/// `scrambled` into the first scrambled.size() bytes of `plain`. Returns
/// false, writing nothing, when `plain` is shorter than `scrambled`. The
/// buffers must not overlap.
[[nodiscard]] bool unscramble(ConstBytes scrambled, Bytes plain, ScrambleWindow window = {});

}  // namespace updater
