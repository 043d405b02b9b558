#include "results/requests.h"

#include <gtest/gtest.h>

namespace {

TEST(RequestsTest, WholeNumbersWithOneSignAndBlanksAround) {
  std::int64_t value = -7;
  const WideRange any = {-1000, 1000};
  for (const auto& [text, read] : {std::pair<const char*, std::int64_t>{"7", 7},
                                   {"+7", 7},
                                   {" 7\t", 7},
                                   {"-0", 0},
                                   {"-12", -12},
                                   {"007", 7}}) {
    EXPECT_TRUE(ReadWhole(text, any, &value)) << text;
    EXPECT_EQ(value, read) << text;
  }
  for (const char* text : {"", " ", "+", "-", "+-1", "-+1", "--1", "1.5", "1e3", "7x", "0x10",
                           "1 2", "99999999999999999999"}) {
    value = 99;
    EXPECT_FALSE(ReadWhole(text, any, &value)) << text;
    EXPECT_EQ(value, 99) << text;  // untouched
  }
}

TEST(RequestsTest, BothBoundsOfARangeAreIn) {
  std::int32_t value = 0;
  EXPECT_TRUE(ReadWhole("1", kAttemptCountRange, &value));
  EXPECT_TRUE(ReadWhole("100", kAttemptCountRange, &value));
  EXPECT_FALSE(ReadWhole("0", kAttemptCountRange, &value));
  EXPECT_FALSE(ReadWhole("101", kAttemptCountRange, &value));
  EXPECT_FALSE(ReadWhole("4294967297", kAttemptCountRange, &value));  // 2^32 + 1 wraps to 1
  double price = -1;
  EXPECT_TRUE(ReadPrice("1000000000000", &price));
  EXPECT_EQ(price, 1e12);
  EXPECT_FALSE(ReadPrice("1000000000001", &price));
  EXPECT_FALSE(ReadPrice("-1", &price));
}

TEST(RequestsTest, StoneDigitsSlotBySlot) {
  StoneTiers stones{};
  EXPECT_TRUE(ReadStoneSet("6630", &stones));
  EXPECT_EQ(stones, (StoneTiers{6, 6, 3, 0}));
  std::int32_t tier = -1;
  EXPECT_TRUE(ReadStoneDigit("6730", 0, &tier));
  EXPECT_EQ(tier, 6);
  EXPECT_FALSE(ReadStoneDigit("6730", 1, &tier));
  for (const char* set : {"663", "66300", "6a30", "-630", " 663", "6637"}) {
    stones = {1, 1, 1, 1};
    EXPECT_FALSE(ReadStoneSet(set, &stones)) << set;
    EXPECT_EQ(stones, (StoneTiers{1, 1, 1, 1})) << set;
  }
}

TEST(RequestsTest, StoneSetsOnePerTalikCountBelowTheTarget) {
  StonesPerStep stones{};
  ListRead read = ReadStoneSets("6630,0000,1234", 3, &stones);
  EXPECT_EQ(read.fault, ListFault::kNone);
  EXPECT_EQ(stones[2], (StoneTiers{1, 2, 3, 4}));
  read = ReadStoneSets("6630,0000", 3, &stones);
  EXPECT_EQ(read.fault, ListFault::kWrongCount);
  EXPECT_EQ(read.count, 2);
  read = ReadStoneSets("6630,,1234", 3, &stones);
  EXPECT_EQ(read.fault, ListFault::kBadItem);
  EXPECT_EQ(read.bad_item, "");
  // More sets than there are steps: counted, not written past the end.
  read = ReadStoneSets("1111,1111,1111,1111,1111,1111,1111,1111,1111", 7, &stones);
  EXPECT_EQ(read.fault, ListFault::kWrongCount);
  EXPECT_EQ(read.count, 9);
}

TEST(RequestsTest, SixStonePricesEachGiven) {
  Prices prices;
  ListRead read = ReadStonePrices("1,2,3,4,5,1000000000000", &prices);
  EXPECT_EQ(read.fault, ListFault::kNone);
  EXPECT_EQ(prices.stone[0], 0.0);
  EXPECT_EQ(prices.stone[1], 1.0);
  EXPECT_EQ(prices.stone[6], 1e12);
  read = ReadStonePrices("1,2,3,4,5", &prices);
  EXPECT_EQ(read.fault, ListFault::kWrongCount);
  EXPECT_EQ(read.count, 5);
  read = ReadStonePrices("1,2,,4,5,6", &prices);
  EXPECT_EQ(read.fault, ListFault::kBadItem);
  EXPECT_EQ(read.bad_item, "");
  // A wrong price among the first six is named before a wrong count.
  read = ReadStonePrices("1,x,3,4,5,6,7", &prices);
  EXPECT_EQ(read.fault, ListFault::kBadItem);
  EXPECT_EQ(read.bad_item, "x");
  EXPECT_EQ(ListItems("").size(), 1u);
  EXPECT_EQ(ListItems(",").size(), 2u);
}

}  // namespace
