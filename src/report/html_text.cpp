#include "report/html_text.h"

std::string HtmlText(std::string_view text) {
  std::string html;
  html.reserve(text.size());
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&': html += "&amp;"; break;
      case '<': html += "&lt;"; break;
      case '>': html += "&gt;"; break;
      case '"': html += "&quot;"; break;
      case '\'': html += "&#39;"; break;
      case '\t':
      case '\n':
      case '\r': html += c; break;
      default: html += byte < 0x20 || byte == 0x7f ? ' ' : c;
    }
  }
  return html;
}
