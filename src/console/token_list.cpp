#include "console/token_list.h"

#include "platform/text.h"

CTokenList CommandTokens;

void CTokenList::Split(char* text) {
  tokens_.clear();
  if (text == nullptr) return;
  char* p = text;
  for (;;) {
    while (*p == ',') ++p;
    if (*p == '\0') return;
    tokens_.push_back(p);
    while (*p != '\0' && *p != ',') ++p;
    if (*p == '\0') return;
    *p++ = '\0';
  }
}

const char* CTokenList::GetText(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return tokens_[static_cast<size_t>(index)];
}

int32_t CTokenList::GetInt(int32_t index) const { return ParseLeadingInt(GetText(index)); }
