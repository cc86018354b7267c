// Text placed in an HTML page as data. Every text that comes from outside
// the program (a data source name, a zone name) and every figure reaches a
// page through HtmlText, so that none of it can open a tag, end an
// attribute or start an entity.
#pragma once

#include <string>
#include <string_view>

// `text` as HTML shows it, fit for an element's content and for an
// attribute value in double or single quotes: & < > " ' become entities,
// and a control character other than tab, line feed and carriage return
// (which HTML does not allow in a page) becomes a space. Bytes of 0x80 and
// above pass unchanged (the page is UTF-8).
std::string HtmlText(std::string_view text);
