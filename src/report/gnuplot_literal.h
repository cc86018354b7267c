// Text handed to gnuplot inside its own language. gnuplot reads a script a
// line at a time and expands backquoted commands and @macros everywhere but
// inside single quotes, where nothing is special except the quote itself.
// Its scanner reads a doubled quote as one only after another character of
// the string ('it''s' but not ''''), so each quote is joined on as the
// double-quoted string "'", which holds nothing else to expand:
//   it's  ->  'it' . "'" . 's'
// A line end ends the command whatever the quotes, and a backslash before
// it joins the next line, so no literal can hold a control character.
#pragma once

#include <string>
#include <string_view>

// Sets `literal` to a gnuplot string expression, accepted wherever gnuplot
// takes a string (set output, set title, a plot's file name), whose value
// is `text`, and returns true; returns false, leaving `literal` alone, when
// `text` holds a control character.
//
// The literal is data, not a name: a file name that gnuplot would open with
// it must also not begin with '|' or '<' (a pipe to a shell command), '~'
// or '-'. An absolute path begins with '/'.
bool GnuplotLiteral(std::string_view text, std::string* literal);

// A control character: below 0x20, or 0x7f. No gnuplot literal holds one.
bool IsControlCharacter(char c);
bool HasControlCharacter(std::string_view text);
