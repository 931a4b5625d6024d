#include "jobs/scramble.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace updater {
namespace {

// The chain: the last plain byte and the last scrambled byte of the pass.
// Both directions leave the same pair behind, so unscrambling a scrambled
// stream from a cleared chain walks through the same states.
struct Chain {
  Byte lastPlain = 0;
  Byte lastCipher = 0;
};

// One step: the input byte, then the chain's last plain (P) and last
// scrambled (C) byte; returns the output byte.
using Step = Byte (*)(Byte in, Byte P, Byte C);

// Sums and differences are taken in int and cut to 8 bits at the end; the
// low 8 bits of +, - and ^ depend only on the low 8 bits of their operands,
// so only a rotation needs its operand cut first.
constexpr Byte low8(int value) { return static_cast<Byte>(value); }
constexpr Byte rol1(Byte value) { return low8((value << 1) | (value >> 7)); }
constexpr Byte ror1(Byte value) { return low8((value >> 1) | (value << 7)); }

constexpr const std::array<Byte, 11>& k = kImageScrambleConstants.k;
constexpr Byte kx = kImageScrambleConstants.kx;

// Unscramble steps: c scrambled in, plain out.
constexpr Byte u0(Byte c, Byte P, Byte C) { return low8(((c - C - P) + k[0]) ^ kx); }
constexpr Byte u1(Byte c, Byte P, Byte C) { return low8(C - ((P ^ c) ^ k[1])); }
constexpr Byte u2(Byte c, Byte P, Byte C) { return low8(((c + k[2]) ^ P) - C); }
constexpr Byte u3(Byte c, Byte P, Byte C) { return low8(((P + c) - k[3]) ^ C); }
constexpr Byte u4(Byte c, Byte P, Byte C) { return ror1(low8((k[4] - (C ^ c)) - P)); }
constexpr Byte u5(Byte c, Byte P, Byte C) { return low8(((c - C) - k[5]) ^ P); }
constexpr Byte u6(Byte c, Byte P, Byte C) { return low8(rol1(low8(c + k[6])) + (C - P)); }
constexpr Byte u7(Byte c, Byte P, Byte C) { return low8((P - (C ^ ror1(c))) + k[7]); }
constexpr Byte u8(Byte c, Byte P, Byte C) { return low8(((c - k[8]) ^ P) + C); }
constexpr Byte u9(Byte c, Byte P, Byte C) { return low8((((c - 1) ^ C) ^ k[9]) - P); }
constexpr Byte u10(Byte c, Byte P, Byte C) { return low8(rol1(low8((C - c) + P)) ^ k[10]); }

// Scramble steps: p plain in, scrambled out; each the inverse of its
// unscramble step for the same chain.
constexpr Byte s0(Byte p, Byte P, Byte C) { return low8(((p ^ kx) + P + C) - k[0]); }
constexpr Byte s1(Byte p, Byte P, Byte C) { return low8(((C - p) ^ P) ^ k[1]); }
constexpr Byte s2(Byte p, Byte P, Byte C) { return low8(((C + p) ^ P) - k[2]); }
constexpr Byte s3(Byte p, Byte P, Byte C) { return low8(((C ^ p) - P) + k[3]); }
constexpr Byte s4(Byte p, Byte P, Byte C) { return low8((k[4] - P - rol1(p)) ^ C); }
constexpr Byte s5(Byte p, Byte P, Byte C) { return low8(((P ^ p) + C) + k[5]); }
constexpr Byte s6(Byte p, Byte P, Byte C) { return low8(ror1(low8(p + (P - C))) - k[6]); }
constexpr Byte s7(Byte p, Byte P, Byte C) { return rol1(low8(((P - p) + k[7]) ^ C)); }
constexpr Byte s8(Byte p, Byte P, Byte C) { return low8(((p - C) ^ P) + k[8]); }
constexpr Byte s9(Byte p, Byte P, Byte C) { return low8((((P + p) ^ C) ^ k[9]) + 1); }
constexpr Byte s10(Byte p, Byte P, Byte C) { return low8((P - ror1(low8(p ^ k[10]))) + C); }

struct Scrambling {
  static constexpr std::array<Step, 11> steps{s0, s1, s2, s3, s4, s5, s6, s7, s8, s9, s10};
  static constexpr Chain after(Byte in, Byte out) { return {in, out}; }
};

struct Unscrambling {
  static constexpr std::array<Step, 11> steps{u0, u1, u2, u3, u4, u5, u6, u7, u8, u9, u10};
  static constexpr Chain after(Byte in, Byte out) { return {out, in}; }
};

constexpr std::size_t kBlock = kScrambleStepAt.size();

template <class Direction>
Byte stepOne(Step step, Byte in, Chain& chain) {
  const Byte out = step(in, chain.lastPlain, chain.lastCipher);
  chain = Direction::after(in, out);
  return out;
}

// A whole 16-position block with every step known at compile time, so the
// steps inline into one straight run.
template <class Direction, std::size_t... Offset>
void walkBlock(Byte* block, Chain& chain, std::index_sequence<Offset...>) {
  ((block[Offset] = stepOne<Direction>(Direction::steps[kScrambleStepAt[Offset]], block[Offset], chain)), ...);
}

// Positions [from, to) of the pass.
template <class Direction>
void walk(const Byte* in, Byte* out, std::size_t from, std::size_t to, Chain& chain) {
  for (; from < to && from % kBlock != 0; ++from) {
    out[from] = stepOne<Direction>(Direction::steps[kScrambleStepAt[from % kBlock]], in[from], chain);
  }
  for (; to - from >= kBlock; from += kBlock) {
    // A local copy lets the compiler keep the block in registers: the output
    // may alias the input as far as it can tell.
    Byte block[kBlock];
    std::memcpy(block, in + from, kBlock);
    walkBlock<Direction>(block, chain, std::make_index_sequence<kBlock>{});
    std::memcpy(out + from, block, kBlock);
  }
  for (; from < to; ++from) {
    out[from] = stepOne<Direction>(Direction::steps[kScrambleStepAt[from % kBlock]], in[from], chain);
  }
}

template <class Direction>
bool pass(ConstBytes in, Bytes out, ScrambleWindow window) {
  if (out.size() < in.size()) return false;
  const std::size_t length = in.size();
  const std::size_t windowStart = std::min(window.start, length);
  const std::size_t windowEnd = windowStart + std::min(window.length, length - windowStart);

  Chain chain;
  walk<Direction>(in.data(), out.data(), 0, windowStart, chain);
  std::copy(in.begin() + static_cast<std::ptrdiff_t>(windowStart),
            in.begin() + static_cast<std::ptrdiff_t>(windowEnd),
            out.begin() + static_cast<std::ptrdiff_t>(windowStart));
  // The chain goes on from the last byte before the window.
  walk<Direction>(in.data(), out.data(), windowEnd, length, chain);
  return true;
}

}  // namespace

bool scramble(ConstBytes plain, Bytes scrambled, ScrambleWindow window) {
  return pass<Scrambling>(plain, scrambled, window);
}

bool unscramble(ConstBytes scrambled, Bytes plain, ScrambleWindow window) {
  return pass<Unscrambling>(scrambled, plain, window);
}

}  // namespace updater
