// CTokenList: the comma-separated tokens of one command word.
//
// Split cuts a writable text in place at its commas, as strtok does with ","
// as the only delimiter: runs of commas, and commas at either end, produce no
// token, so "d,,11" gives "d" and "11". The tokens point into the text and
// stay valid until it changes. The list's storage is kept between splits.
#pragma once

#include <cstdint>
#include <vector>

class CTokenList {
 public:
  // Replaces the list's content with the tokens of `text`; null gives none.
  void Split(char* text);

  // The token's text; null when `index` is negative or not below Count().
  const char* GetText(int32_t index) const;

  // The token's leading decimal integer as atoi reads it; 0 when `index` is
  // negative or not below Count().
  int32_t GetInt(int32_t index) const;

  int32_t Count() const { return static_cast<int32_t>(tokens_.size()); }

 private:
  std::vector<char*> tokens_;
};

// The tokens of the command word being handled.
extern CTokenList CommandTokens;
