// The double-double arithmetic keeps its 32 digits where plain doubles lose
// theirs: sums that cancel, products and quotients whose parts are below a
// double's last bit.
#include "model/wide_float.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

double Two(int exponent) { return std::ldexp(1.0, exponent); }

TEST(WideFloatTest, ASumThatCancelsKeepsEveryLowPart) {
  // 1 + 2^-70 and -1 + 2^-130: the whole sum lies in the low parts, 60 bits apart.
  const WideFloat sum = WideFloat{1.0, Two(-70)} + WideFloat{-1.0, Two(-130)};
  EXPECT_EQ(sum.hi, Two(-70));
  EXPECT_EQ(sum.lo, Two(-130));
  const WideFloat difference = WideFloat{1.0, Two(-70)} - WideFloat{1.0, -Two(-130)};
  EXPECT_EQ(difference.hi, Two(-70));
  EXPECT_EQ(difference.lo, Two(-130));
  // A carry from the low parts into the high one.
  const WideFloat carried = WideFloat{1.0, Two(-54)} + WideFloat{Two(-53), Two(-54)};
  EXPECT_EQ(carried.hi + carried.lo, 1.0 + Two(-52));
  EXPECT_EQ(carried.lo, 0.0);
}

TEST(WideFloatTest, AProductKeepsItsCrossTermsAndTheirError) {
  // (1 + 2^-30)^2 = 1 + 2^-29 + 2^-60, exactly, though a double has 53 bits.
  const WideFloat x{1.0 + Two(-30), 0.0};
  const WideFloat square = x * x;
  EXPECT_EQ(square.hi, 1.0 + Two(-29));
  EXPECT_EQ(square.lo, Two(-60));
  // (1 + 2^-60) (1 - 2^-70): each cross term below the high part's last bit.
  const WideFloat product = WideFloat{1.0, Two(-60)} * WideFloat{1.0, -Two(-70)};
  EXPECT_EQ(product.hi, 1.0);
  EXPECT_EQ(product.lo, Two(-60) - Two(-70));
}

TEST(WideFloatTest, AQuotientToTheLastBitOfItsLowPart) {
  // (1 + 2^-29 + 2^-60) / (1 + 2^-30) = 1 + 2^-30, exactly.
  const WideFloat quotient = WideFloat{1.0 + Two(-29), Two(-60)} / WideFloat{1.0 + Two(-30), 0.0};
  EXPECT_EQ(quotient.hi, 1.0 + Two(-30));
  EXPECT_EQ(quotient.lo, 0.0);
  // 1/3 to 2^-106: 3 q - 1 is the rounding of q alone.
  const WideFloat third = WideFloat{1.0, 0.0} / WideFloat{3.0, 0.0};
  const WideFloat residual = WideFloat{3.0, 0.0} * third - WideFloat{1.0, 0.0};
  EXPECT_LE(std::fabs(residual.hi), Two(-105));
}

TEST(WideFloatTest, OrderByBothParts) {
  EXPECT_TRUE((WideFloat{1.0, -Two(-80)} < WideFloat{1.0, 0.0}));
  EXPECT_FALSE((WideFloat{1.0, 0.0} < WideFloat{1.0, 0.0}));
  EXPECT_TRUE((WideFloat{0.5, Two(-60)} < WideFloat{1.0, -Two(-60)}));
}

}  // namespace
