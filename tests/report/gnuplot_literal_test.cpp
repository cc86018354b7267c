// gnuplot literals, read back by gnuplot itself: what it prints must be the
// text that went in, byte for byte, whatever gnuplot would otherwise expand.
#include "report/gnuplot_literal.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// What gnuplot prints for `script`, run from a file; "" when it fails.
std::string GnuplotPrints(const std::string& script) {
  char path[] = "/tmp/nortesk-gnuplot-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return "";
  close(fd);
  std::ofstream(path) << "set print '-'\n" << script;
  std::FILE* pipe = popen((std::string("gnuplot ") + path + " 2>&1").c_str(), "r");
  std::string printed;
  char buffer[256];
  for (size_t n; pipe != nullptr && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) printed.append(buffer, n);
  const int status = pipe != nullptr ? pclose(pipe) : -1;
  std::remove(path);
  return status == 0 ? printed : "";
}

TEST(GnuplotLiteralTest, GnuplotReadsBackTheTextAndRunsNothing) {
  const std::vector<std::string> texts = {
      "",       "plain", "it's",          "'",        "''",          "'''", "'quoted'", "a''b", "`touch ran-a-command`",
      "@macro", "$data", "|id",           "<id",      "a; print 'b'", "# not a comment", "back\\slash",
      "ends in \\",      "\"double\" \\n", "~/home", "ünïcode"};
  std::string script, expected;
  for (const std::string& text : texts) {
    std::string literal;
    ASSERT_TRUE(GnuplotLiteral(text, &literal)) << text;
    script += "print " + literal + "\n";
    expected += text + "\n";
  }
  EXPECT_EQ(GnuplotPrints(script), expected);
}

TEST(GnuplotLiteralTest, TextWithAControlCharacterHasNoLiteral) {
  for (const std::string& text : {std::string("a\nprint 'b'"), std::string("a\r"), std::string("\ta"),
                                  std::string("a\x7f"), std::string(1, '\0')}) {
    std::string literal = "untouched";
    EXPECT_FALSE(GnuplotLiteral(text, &literal));
    EXPECT_EQ(literal, "untouched");
  }
}

}  // namespace
