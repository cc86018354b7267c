#include "console/token_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(TokenList, SplitsAtCommasInPlace) {
  char word[] = "d,4,11,2014";
  CTokenList tokens;
  tokens.Split(word);
  ASSERT_EQ(tokens.Count(), 4);
  EXPECT_STREQ(tokens.GetText(0), "d");
  EXPECT_EQ(tokens.GetInt(1), 4);
  EXPECT_EQ(tokens.GetInt(2), 11);
  EXPECT_EQ(tokens.GetInt(3), 2014);
  EXPECT_EQ(tokens.GetText(1), word + 2);  // the tokens point into the word
}

TEST(TokenList, EmptyTokensDoNotExist) {
  char runs[] = "d,,,2014";
  CTokenList tokens;
  tokens.Split(runs);
  ASSERT_EQ(tokens.Count(), 2);
  EXPECT_EQ(tokens.GetInt(1), 2014);
  EXPECT_EQ(tokens.GetInt(2), 0);

  char leading[] = ",e,,";
  tokens.Split(leading);
  ASSERT_EQ(tokens.Count(), 1);
  EXPECT_STREQ(tokens.GetText(0), "e");
  EXPECT_EQ(leading[0], ',');  // a leading comma is skipped, not cut

  char commas[] = ",,,";
  tokens.Split(commas);
  EXPECT_EQ(tokens.Count(), 0);
  EXPECT_EQ(tokens.GetText(0), nullptr);
}

TEST(TokenList, BoundsGiveNullAndZero) {
  CTokenList never;
  EXPECT_EQ(never.GetText(0), nullptr);
  EXPECT_EQ(never.GetInt(0), 0);

  char word[] = "o,abc,12x,-3,+7, 5";
  CTokenList tokens;
  tokens.Split(word);
  EXPECT_EQ(tokens.GetInt(-1), 0);
  EXPECT_EQ(tokens.GetText(-1), nullptr);
  EXPECT_EQ(tokens.GetInt(tokens.Count()), 0);
  EXPECT_EQ(tokens.GetText(tokens.Count()), nullptr);
  EXPECT_EQ(tokens.GetInt(1), 0);    // abc
  EXPECT_EQ(tokens.GetInt(2), 12);   // 12x
  EXPECT_EQ(tokens.GetInt(3), -3);
  EXPECT_EQ(tokens.GetInt(4), 7);
  EXPECT_EQ(tokens.GetInt(5), 5);    // leading blank
}

TEST(TokenList, ReuseKeepsOnlyTheNewWord) {
  char seven[] = "o,1,4,11,2014,13,5,20";
  CTokenList tokens;
  tokens.Split(seven);
  EXPECT_EQ(tokens.Count(), 8);
  char plain[] = "t";
  tokens.Split(plain);
  ASSERT_EQ(tokens.Count(), 1);
  EXPECT_STREQ(tokens.GetText(0), "t");
  EXPECT_EQ(tokens.GetText(1), nullptr);
  tokens.Split(nullptr);
  EXPECT_EQ(tokens.Count(), 0);
}

TEST(TokenList, HugeValuesWrapWithoutFault) {
  char word[] = "o,99999999999999999999,-2147483648";
  CTokenList tokens;
  tokens.Split(word);
  EXPECT_EQ(tokens.GetInt(2), INT32_MIN);
  (void)tokens.GetInt(1);  // defined, whatever it wraps to
}

}  // namespace
