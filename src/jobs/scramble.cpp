#include "jobs/scramble.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace updater {
namespace {

// The chain: the last plain byte and the last scrambled byte of the pass.
// Both directions leave the same pair behind, so unscrambling a scrambled
// stream from a cleared chain walks through the same states. Bytes travel in
// unsigned (0..255) through the steps: held as Byte, the compiler cuts and
// re-widens them on the chain's critical path.
struct Chain {
  unsigned lastPlain = 0;
  unsigned lastCipher = 0;
};

// One step: the input byte, then the chain's last plain (P) and last
// scrambled (C) byte; returns the output byte.
using Step = unsigned (*)(unsigned in, unsigned P, unsigned C);

// Sums and differences wrap modulo 2^32 and are cut to 8 bits at the end; the
// low 8 bits of +, - and ^ depend only on the low 8 bits of their operands,
// so only a rotation needs its operand cut first.
constexpr unsigned low8(unsigned value) { return value & 0xFFu; }
constexpr unsigned rol1(unsigned value) { return low8((value << 1) | (value >> 7)); }
constexpr unsigned ror1(unsigned value) { return low8((value >> 1) | (value << 7)); }

constexpr const std::array<Byte, 11>& k = kImageScrambleConstants.k;
constexpr unsigned kx = kImageScrambleConstants.kx;

// Unscramble steps: c scrambled in, plain out.
constexpr unsigned u0(unsigned c, unsigned P, unsigned C) { return low8(((c - C - P) + k[0]) ^ kx); }
constexpr unsigned u1(unsigned c, unsigned P, unsigned C) { return low8(C - ((P ^ c) ^ k[1])); }
constexpr unsigned u2(unsigned c, unsigned P, unsigned C) { return low8(((c + k[2]) ^ P) - C); }
constexpr unsigned u3(unsigned c, unsigned P, unsigned C) { return low8(((P + c) - k[3]) ^ C); }
constexpr unsigned u4(unsigned c, unsigned P, unsigned C) { return ror1(low8((k[4] - (C ^ c)) - P)); }
constexpr unsigned u5(unsigned c, unsigned P, unsigned C) { return low8(((c - C) - k[5]) ^ P); }
constexpr unsigned u6(unsigned c, unsigned P, unsigned C) { return low8(rol1(low8(c + k[6])) + (C - P)); }
constexpr unsigned u7(unsigned c, unsigned P, unsigned C) { return low8((P - (C ^ ror1(c))) + k[7]); }
constexpr unsigned u8(unsigned c, unsigned P, unsigned C) { return low8(((c - k[8]) ^ P) + C); }
constexpr unsigned u9(unsigned c, unsigned P, unsigned C) { return low8((((c - 1) ^ C) ^ k[9]) - P); }
constexpr unsigned u10(unsigned c, unsigned P, unsigned C) { return low8(rol1(low8((C - c) + P)) ^ k[10]); }

// Scramble steps: p plain in, scrambled out; each the inverse of its
// unscramble step for the same chain.
constexpr unsigned s0(unsigned p, unsigned P, unsigned C) { return low8(((p ^ kx) + P + C) - k[0]); }
constexpr unsigned s1(unsigned p, unsigned P, unsigned C) { return low8(((C - p) ^ P) ^ k[1]); }
constexpr unsigned s2(unsigned p, unsigned P, unsigned C) { return low8(((C + p) ^ P) - k[2]); }
constexpr unsigned s3(unsigned p, unsigned P, unsigned C) { return low8(((C ^ p) - P) + k[3]); }
constexpr unsigned s4(unsigned p, unsigned P, unsigned C) { return low8((k[4] - P - rol1(p)) ^ C); }
constexpr unsigned s5(unsigned p, unsigned P, unsigned C) { return low8(((P ^ p) + C) + k[5]); }
constexpr unsigned s6(unsigned p, unsigned P, unsigned C) { return low8(ror1(low8(p + (P - C))) - k[6]); }
constexpr unsigned s7(unsigned p, unsigned P, unsigned C) { return rol1(low8(((P - p) + k[7]) ^ C)); }
constexpr unsigned s8(unsigned p, unsigned P, unsigned C) { return low8(((p - C) ^ P) + k[8]); }
constexpr unsigned s9(unsigned p, unsigned P, unsigned C) { return low8((((P + p) ^ C) ^ k[9]) + 1); }
constexpr unsigned s10(unsigned p, unsigned P, unsigned C) { return low8((P - ror1(low8(p ^ k[10]))) + C); }

struct Scrambling {
  static constexpr std::array<Step, 11> steps{s0, s1, s2, s3, s4, s5, s6, s7, s8, s9, s10};
  static constexpr Chain after(unsigned in, unsigned out) { return {in, out}; }
};

struct Unscrambling {
  static constexpr std::array<Step, 11> steps{u0, u1, u2, u3, u4, u5, u6, u7, u8, u9, u10};
  static constexpr Chain after(unsigned in, unsigned out) { return {out, in}; }
};

constexpr std::size_t kBlock = kScrambleStepAt.size();

template <class Direction>
Byte stepOne(Step step, unsigned in, Chain& chain) {
  const unsigned out = step(in, chain.lastPlain, chain.lastCipher);
  chain = Direction::after(in, out);
  return static_cast<Byte>(out);
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
