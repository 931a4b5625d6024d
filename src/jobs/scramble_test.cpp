#include "jobs/scramble.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/program_harness.h"

namespace updater {
namespace {

// A byte-at-a-time model of the format, written from the step formulas with
// nothing shared with the fast walk but the constants and the position table.
Byte rol(Byte v) { return static_cast<Byte>((v << 1) | (v >> 7)); }
Byte ror(Byte v) { return static_cast<Byte>((v >> 1) | (v << 7)); }

Byte modelScrambleStep(std::size_t step, Byte p, Byte P, Byte C) {
  const auto& k = kImageScrambleConstants.k;
  const Byte kx = kImageScrambleConstants.kx;
  switch (step) {
    case 0: return static_cast<Byte>(((p ^ kx) + P + C) - k[0]);
    case 1: return static_cast<Byte>(((C - p) ^ P) ^ k[1]);
    case 2: return static_cast<Byte>(((C + p) ^ P) - k[2]);
    case 3: return static_cast<Byte>(((C ^ p) - P) + k[3]);
    case 4: return static_cast<Byte>((k[4] - P - rol(p)) ^ C);
    case 5: return static_cast<Byte>(((P ^ p) + C) + k[5]);
    case 6: return static_cast<Byte>(ror(static_cast<Byte>(p + (P - C))) - k[6]);
    case 7: return rol(static_cast<Byte>(((P - p) + k[7]) ^ C));
    case 8: return static_cast<Byte>(((p - C) ^ P) + k[8]);
    case 9: return static_cast<Byte>((((P + p) ^ C) ^ k[9]) + 1);
    default: return static_cast<Byte>((P - ror(static_cast<Byte>(p ^ k[10]))) + C);
  }
}

std::vector<Byte> modelScramble(const std::vector<Byte>& plain, ScrambleWindow window) {
  std::vector<Byte> out(plain.size());
  Byte P = 0, C = 0;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (i >= window.start && i - window.start < window.length) {
      out[i] = plain[i];
      continue;
    }
    out[i] = modelScrambleStep(kScrambleStepAt[i % 16], plain[i], P, C);
    P = plain[i];
    C = out[i];
  }
  return out;
}

std::vector<Byte> scrambled(const std::vector<Byte>& plain, ScrambleWindow window = {}) {
  std::vector<Byte> out(plain.size(), 0xEE);
  EXPECT_TRUE(scramble(plain, out, window));
  return out;
}

std::vector<Byte> unscrambled(const std::vector<Byte>& cipher, ScrambleWindow window = {}) {
  std::vector<Byte> out(cipher.size(), 0xEE);
  EXPECT_TRUE(unscramble(cipher, out, window));
  return out;
}

struct WindowRow {
  std::string name;
  ScrambleWindow window;
};

std::vector<WindowRow> windowsFor(std::size_t length) {
  const std::size_t third = length / 3;
  return {
      {"no window", {0, 0}},
      {"at the start", {0, third}},
      {"in the middle", {third, third}},
      {"at the end", {length - third, third}},
      {"running past the end", {length - third, 2 * third + 5}},
      {"beyond the length", {length + 3, 40}},
      {"of length 0 in the middle", {length / 2, 0}},
      {"whole payload", {0, length}},
  };
}

std::vector<std::size_t> sweptLengths() {
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 70; ++n) lengths.push_back(n);
  for (std::size_t n = 71; n < 65536; n += 1531) lengths.push_back(n);
  for (std::size_t n : {4095u, 4096u, 4097u, 32768u, 65519u, 65535u, 65536u}) lengths.push_back(n);
  return lengths;
}

TEST(Scramble, RoundTripsAndMatchesTheFormatForEveryLengthAndWindow) {
  for (const std::size_t length : sweptLengths()) {
    const auto plain = testImage(length, static_cast<Byte>(length));
    for (const auto& row : windowsFor(length)) {
      const auto cipher = scrambled(plain, row.window);
      ASSERT_EQ(cipher, modelScramble(plain, row.window)) << "length " << length << ", window " << row.name;
      ASSERT_EQ(unscrambled(cipher, row.window), plain) << "length " << length << ", window " << row.name;
    }
  }
}

TEST(Scramble, WindowIsCopiedUnchangedBothWays) {
  const auto plain = testImage(1000);
  const ScrambleWindow window{300, 40};
  const auto cipher = scrambled(plain, window);
  const auto back = unscrambled(plain, window);
  for (std::size_t i = 300; i < 340; ++i) {
    EXPECT_EQ(cipher[i], plain[i]) << "scrambled position " << i;
    EXPECT_EQ(back[i], plain[i]) << "unscrambled position " << i;
  }
  EXPECT_NE(cipher[299], plain[299]);
  EXPECT_NE(cipher[340], plain[340]);
}

TEST(Scramble, EmptyOrOutlyingWindowExcludesNothing) {
  const auto plain = testImage(500);
  const auto plainCipher = scrambled(plain);
  EXPECT_EQ(scrambled(plain, {250, 0}), plainCipher);
  EXPECT_EQ(scrambled(plain, {500, 10}), plainCipher);
  EXPECT_EQ(scrambled(plain, {static_cast<std::size_t>(-1), static_cast<std::size_t>(-1)}), plainCipher);
  EXPECT_EQ(unscrambled(plainCipher, {500, 10}), plain);
}

TEST(Scramble, WindowNearTheTopOfTheAddressRangeIsCutAtTheEnd) {
  const auto plain = testImage(64);
  const auto expected = modelScramble(plain, {20, 44});
  EXPECT_EQ(scrambled(plain, {20, static_cast<std::size_t>(-1)}), expected);
}

TEST(Scramble, BuffersDifferingOnlyInsideTheWindowScrambleAlikeOutsideIt) {
  const ScrambleWindow window{1000, 500};
  auto a = testImage(4096, 7);
  auto b = a;
  for (std::size_t i = 1000; i < 1500; ++i) b[i] = static_cast<Byte>(~b[i]);
  const auto cipherA = scrambled(a, window);
  const auto cipherB = scrambled(b, window);
  for (std::size_t i = 0; i < a.size(); ++i) {
    const bool inWindow = i >= 1000 && i < 1500;
    EXPECT_EQ(cipherA[i] != cipherB[i], inWindow) << "position " << i;
  }
}

// The chain state after a byte is just that byte's (plain, scrambled) pair, and
// every step is one-to-one in the last scrambled byte. So a change carries to
// the end of the payload once the next chained byte differs; only that next
// byte, which sees both a new plain and a new scrambled byte, can happen to
// come out alike. The cases below carry through.
TEST(Scramble, ChangingOnePlainByteChangesEveryScrambledByteAfterIt) {
  struct Row {
    const char* name;
    std::size_t changed;
    ScrambleWindow window;
  };
  const Row rows[] = {
      {"first byte", 0, {}},
      {"step 10 before step 0", 10, {}},
      {"step 8 twice", 12, {}},
      {"last of a block", 15, {}},
      {"middle", 2000, {}},
      {"before a window", 990, {1000, 100}},
      {"right before a window", 999, {1000, 100}},
      {"right after a window", 1100, {1000, 100}},
  };
  const auto plain = testImage(4096, 3);
  for (const auto& row : rows) {
    auto changed = plain;
    changed[row.changed] ^= 0x5A;
    const auto before = scrambled(plain, row.window);
    const auto after = scrambled(changed, row.window);
    for (std::size_t i = 0; i < plain.size(); ++i) {
      const bool inWindow = i >= row.window.start && i - row.window.start < row.window.length;
      const bool expectDifferent = i >= row.changed && !inWindow;
      EXPECT_EQ(before[i] != after[i], expectDifferent) << row.name << ", position " << i;
    }
  }
}

TEST(Scramble, AChangeThatReachesTheNextChainedByteReachesTheEnd) {
  const auto plain = testImage(600, 9);
  const ScrambleWindow window{300, 17};
  const auto before = scrambled(plain, window);
  auto inWindow = [&](std::size_t i) { return i >= 300 && i < 317; };
  for (std::size_t changed = 0; changed < 400; ++changed) {
    if (inWindow(changed)) continue;
    auto changedPlain = plain;
    changedPlain[changed] = static_cast<Byte>(changedPlain[changed] + 1 + changed % 255);
    const auto after = scrambled(changedPlain, window);
    std::size_t next = changed + 1;
    while (next < plain.size() && inWindow(next)) ++next;
    const bool carried = before[next] != after[next];
    for (std::size_t i = 0; i < plain.size(); ++i) {
      const bool expectDifferent = !inWindow(i) && (i == changed || (carried && i > changed));
      ASSERT_EQ(before[i] != after[i], expectDifferent) << "changed " << changed << ", position " << i;
    }
  }
}

TEST(Scramble, ShortDestinationIsRefusedAndLeftAlone) {
  const auto plain = testImage(32);
  std::vector<Byte> out(31, 0xEE);
  EXPECT_FALSE(scramble(plain, out));
  EXPECT_FALSE(unscramble(plain, out));
  EXPECT_EQ(out, std::vector<Byte>(31, 0xEE));
}

TEST(Scramble, LongerDestinationKeepsItsTail) {
  const auto plain = testImage(20);
  std::vector<Byte> out(24, 0xEE);
  ASSERT_TRUE(scramble(plain, out));
  EXPECT_EQ(std::vector<Byte>(out.begin(), out.begin() + 20), modelScramble(plain, {}));
  EXPECT_EQ(std::vector<Byte>(out.begin() + 20, out.end()), std::vector<Byte>(4, 0xEE));
}

}  // namespace
}  // namespace updater
