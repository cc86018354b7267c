// SQL's string literal: text a user or a file system supplies, made into a
// literal that a statement can carry as data.
#pragma once

#include <string>
#include <string_view>

// `text` between single quotes, each single quote in it doubled: the one rule
// of standard SQL for a character string literal. The result never ends the
// literal early, whatever `text` holds.
std::string SqlStringLiteral(std::string_view text);
