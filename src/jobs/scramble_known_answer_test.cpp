// Known answers for the image scrambling. The position table, the format's
// constants and the step formulas are written out here a second time, on
// purpose: nothing below reads them from the code under test, so a wrong
// table entry or constant there cannot also move what the tests expect.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "jobs/firmware_image.h"
#include "jobs/image_patch.h"
#include "jobs/scramble.h"
#include "testing/program_harness.h"

namespace updater {
namespace {

// The step for payload position i is kStepAt[i % 16].
constexpr std::array<unsigned, 16> kStepAt{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 8, 8, 3, 10};

// The image format's constants k0..k10 and step 0's second constant kx.
constexpr std::array<unsigned, 11> kK{0x3C, 0xA7, 0x51, 0xE2, 0x96, 0x2D, 0x7B, 0xC8, 0x14, 0x6F, 0xB9};
constexpr unsigned kKx = 0x8E;

unsigned low8(unsigned v) { return v & 0xFFu; }
unsigned rol1(unsigned v) { return low8((low8(v) << 1) | (low8(v) >> 7)); }
unsigned ror1(unsigned v) { return low8((low8(v) >> 1) | (low8(v) << 7)); }

// Sk: plain p in, scrambled out; P and C are the chain's last plain and last
// scrambled byte.
Byte scrambleStep(unsigned step, unsigned p, unsigned P, unsigned C) {
  unsigned c = 0;
  switch (step) {
    case 0: c = ((p ^ kKx) + P + C) - kK[0]; break;
    case 1: c = ((C - p) ^ P) ^ kK[1]; break;
    case 2: c = ((C + p) ^ P) - kK[2]; break;
    case 3: c = ((C ^ p) - P) + kK[3]; break;
    case 4: c = (kK[4] - P - rol1(p)) ^ C; break;
    case 5: c = ((P ^ p) + C) + kK[5]; break;
    case 6: c = ror1(p + (P - C)) - kK[6]; break;
    case 7: c = rol1(((P - p) + kK[7]) ^ C); break;
    case 8: c = ((p - C) ^ P) + kK[8]; break;
    case 9: c = (((P + p) ^ C) ^ kK[9]) + 1; break;
    case 10: c = (P - ror1(p ^ kK[10])) + C; break;
    default: ADD_FAILURE() << "no step " << step;
  }
  return static_cast<Byte>(low8(c));
}

// Uk: scrambled c in, plain out.
Byte unscrambleStep(unsigned step, unsigned c, unsigned P, unsigned C) {
  unsigned p = 0;
  switch (step) {
    case 0: p = ((c - C - P) + kK[0]) ^ kKx; break;
    case 1: p = C - ((P ^ c) ^ kK[1]); break;
    case 2: p = ((c + kK[2]) ^ P) - C; break;
    case 3: p = ((P + c) - kK[3]) ^ C; break;
    case 4: p = ror1((kK[4] - (C ^ c)) - P); break;
    case 5: p = ((c - C) - kK[5]) ^ P; break;
    case 6: p = rol1(c + kK[6]) + (C - P); break;
    case 7: p = (P - (C ^ ror1(c))) + kK[7]; break;
    case 8: p = ((c - kK[8]) ^ P) + C; break;
    case 9: p = (((c - 1) ^ C) ^ kK[9]) - P; break;
    case 10: p = rol1((C - c) + P) ^ kK[10]; break;
    default: ADD_FAILURE() << "no step " << step;
  }
  return static_cast<Byte>(low8(p));
}

// The whole walk: a cleared chain, the window copied and kept out of it.
std::vector<Byte> modelScramble(const std::vector<Byte>& plain, ScrambleWindow window) {
  std::vector<Byte> out(plain.size());
  unsigned P = 0, C = 0;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (i >= window.start && i - window.start < window.length) {
      out[i] = plain[i];
      continue;
    }
    out[i] = scrambleStep(kStepAt[i % 16], plain[i], P, C);
    P = plain[i];
    C = out[i];
  }
  return out;
}

std::vector<Byte> scrambledByTheCode(const std::vector<Byte>& plain, ScrambleWindow window = {}) {
  std::vector<Byte> out(plain.size(), 0xEE);
  EXPECT_TRUE(scramble(plain, out, window));
  return out;
}

std::vector<Byte> unscrambledByTheCode(const std::vector<Byte>& cipher, ScrambleWindow window = {}) {
  std::vector<Byte> out(cipher.size(), 0xEE);
  EXPECT_TRUE(unscramble(cipher, out, window));
  return out;
}

// One byte of a worked pass from a cleared chain, each row worked out by
// hand from the step formulas: the chain (P, C) before it, plain p and
// scrambled c. Positions 0..15 run through all eleven steps and the table's
// repeats; 16 and 17 start the next block.
struct TraceRow {
  unsigned position;
  unsigned step;
  Byte P, C, p, c;
};

constexpr TraceRow kTrace[] = {
    {0, 0, 0x00, 0x00, 0x11, 0x63},   // (0x11 ^ 8E) + 0 + 0 - 3C
    {1, 1, 0x11, 0x63, 0x22, 0xF7},   // ((63 - 22) ^ 11) ^ A7
    {2, 2, 0x22, 0xF7, 0x33, 0xB7},   // ((F7 + 33) ^ 22) - 51
    {3, 3, 0x33, 0xB7, 0x44, 0xA2},   // ((B7 ^ 44) - 33) + E2
    {4, 4, 0x44, 0xA2, 0x55, 0x0A},   // (96 - 44 - rol1(55)) ^ A2
    {5, 5, 0x55, 0x0A, 0x66, 0x6A},   // ((55 ^ 66) + 0A) + 2D
    {6, 6, 0x66, 0x6A, 0x77, 0x3E},   // ror1(77 + (66 - 6A)) - 7B
    {7, 7, 0x77, 0x3E, 0x88, 0x13},   // rol1(((77 - 88) + C8) ^ 3E)
    {8, 8, 0x88, 0x13, 0x99, 0x22},   // ((99 - 13) ^ 88) + 14
    {9, 9, 0x99, 0x22, 0xAA, 0x0F},   // (((99 + AA) ^ 22) ^ 6F) + 1
    {10, 10, 0xAA, 0x0F, 0xBB, 0xB8}, // (AA - ror1(BB ^ B9)) + 0F
    {11, 0, 0xBB, 0xB8, 0xCC, 0x79},
    {12, 8, 0xCC, 0x79, 0xDD, 0xBC},
    {13, 8, 0xDD, 0xBC, 0xEE, 0x03},
    {14, 3, 0xEE, 0x03, 0xFF, 0xF0},
    {15, 10, 0xFF, 0xF0, 0x00, 0x13},
    {16, 0, 0x00, 0x13, 0x80, 0xE5},
    {17, 1, 0x80, 0xE5, 0x01, 0xC3},
};

TEST(ScrambleKnownAnswer, EachStepOfTheWorkedPassGivesItsHandWorkedByte) {
  for (const auto& row : kTrace) {
    SCOPED_TRACE(::testing::Message() << "position " << row.position << ", step " << row.step);
    EXPECT_EQ(kStepAt[row.position % 16], row.step);
    EXPECT_EQ(scrambleStep(row.step, row.p, row.P, row.C), row.c);
    EXPECT_EQ(unscrambleStep(row.step, row.c, row.P, row.C), row.p);
    if (row.position > 0) {
      const TraceRow& before = kTrace[row.position - 1];
      EXPECT_EQ(row.P, before.p) << "the chain carries the last plain byte";
      EXPECT_EQ(row.C, before.c) << "the chain carries the last scrambled byte";
    }
  }
}

TEST(ScrambleKnownAnswer, TheCodeScramblesTheWorkedPassToTheHandWorkedBytes) {
  std::vector<Byte> plain, cipher;
  for (const auto& row : kTrace) {
    plain.push_back(row.p);
    cipher.push_back(row.c);
  }
  EXPECT_EQ(scrambledByTheCode(plain), cipher);
  EXPECT_EQ(unscrambledByTheCode(cipher), plain);
}

TEST(ScrambleKnownAnswer, TheCodeKeepsAWindowOutOfTheChain) {
  // Positions 5..8 are copied; position 9 (step 9) chains to position 4:
  // (((55 + AA) ^ 0A) ^ 6F) + 1 = 9B.
  const std::vector<Byte> plain{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC};
  const std::vector<Byte> cipher{0x63, 0xF7, 0xB7, 0xA2, 0x0A, 0x66, 0x77, 0x88, 0x99, 0x9B, 0x44, 0x05};
  const ScrambleWindow window{5, 4};
  EXPECT_EQ(modelScramble(plain, window), cipher);
  EXPECT_EQ(scrambledByTheCode(plain, window), cipher);
  EXPECT_EQ(unscrambledByTheCode(cipher, window), plain);
}

TEST(ScrambleKnownAnswer, EveryStepAndEveryByteValueAgreesWithTheModel) {
  // Each byte value at each of the sixteen positions of a block, in a
  // varying chain.
  std::vector<Byte> plain(256 * 16 + 7);
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<Byte>(i / 16 + i * 97);
  for (const ScrambleWindow window : {ScrambleWindow{}, ScrambleWindow{1000, 333}}) {
    const auto expected = modelScramble(plain, window);
    EXPECT_EQ(scrambledByTheCode(plain, window), expected) << "window at " << window.start;
    EXPECT_EQ(unscrambledByTheCode(expected, window), plain) << "window at " << window.start;
  }
}

TEST(ScrambleKnownAnswer, BmpMapGoesIntoATypeSixImageAsTheModelScramblesIt) {
  // Identity block at body position 0x40 in the plain window
  // [0x40, 0x140), BmpMap at body position 0x200.
  const AddressRecord address{0x40, 0, 0, 0x100, 0x200};
  const ScrambleWindow window{0x40, 0x100};
  const std::vector<Byte> plainBody = testImage(0x1000, 5);

  FirmwareImage firmware;
  firmware.image[0] = 6;
  firmware.image[1] = 0xFE;
  const auto body = modelScramble(plainBody, window);
  std::copy(body.begin(), body.end(), firmware.image.begin() + 6);
  firmware.length = static_cast<std::uint32_t>(6 + body.size());
  const std::vector<Byte> map = testImage(kBmpMapSize, 11);
  std::copy(map.begin(), map.end(), firmware.bmpMap.begin());

  insertBmpMap(firmware, address);

  std::vector<Byte> plainWithMap = plainBody;
  std::copy(map.begin(), map.end(), plainWithMap.begin() + 0x200);
  std::vector<Byte> expected(kImageBufferSize, 0);
  expected[0] = 6;
  expected[1] = 0xFE;
  const auto expectedBody = modelScramble(plainWithMap, window);
  std::copy(expectedBody.begin(), expectedBody.end(), expected.begin() + 6);
  EXPECT_EQ(firmware.image, expected);
}

}  // namespace
}  // namespace updater
