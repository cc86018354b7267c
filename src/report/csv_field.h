// A text as one field of a CSV record (RFC 4180), for text that comes from
// the data, such as a group's name: any bytes, kept as they are.
#pragma once

#include <string>
#include <string_view>

// `text` in double quotes, each quote in it doubled, when it holds a comma,
// a quote, a carriage return or a line feed; else `text` as it is.
std::string CsvField(std::string_view text);
