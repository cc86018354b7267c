// Text placed in a page: nothing of it can become markup.
#include "report/html_text.h"

#include <gtest/gtest.h>

namespace {

TEST(HtmlTextTest, MarkupCharactersBecomeEntitiesAndControlCharactersSpaces) {
  const std::pair<std::string, std::string> cases[] = {
      {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
      {"a&b \"c\" 'd'", "a&amp;b &quot;c&quot; &#39;d&#39;"},
      {"&amp;", "&amp;amp;"},
      {std::string("a\0b\x1b\x7f", 5) + "c\td\ne\rf", "a b  c\td\ne\rf"},
      {"Zürich 東京", "Zürich 東京"},
      {"", ""},
  };
  for (const auto& [text, html] : cases) EXPECT_EQ(HtmlText(text), html) << text;
}

}  // namespace
