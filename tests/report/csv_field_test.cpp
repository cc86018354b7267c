// A text as one CSV field: quoted exactly when RFC 4180 needs it.
#include "report/csv_field.h"

#include <gtest/gtest.h>

namespace {

TEST(CsvFieldTest, OnlyACommaAQuoteOrALineEndIsQuoted) {
  EXPECT_EQ(CsvField("east wing"), "east wing");
  EXPECT_EQ(CsvField(""), "");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("a\nb"), "\"a\nb\"");
  EXPECT_EQ(CsvField("a\rb"), "\"a\rb\"");
}

}  // namespace
