// The connection parameters of a Spider table or partition, which its
// COMMENT carries as `name "value"` pairs separated by commas:
//
//   COMMENT='wrapper "mysql", srv "shard1", table "CDRMAIN"'
//
// Values may be quoted with ' or ", a backslash taking the next character
// as it is. A partition's comment overrides its table's, parameter by
// parameter.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The value of the parameter `name` (or of any of its spellings: "srv" and
// "server", "tbl" and "table") in `comment`; nullopt when it is not there, and
// for a comment that is no such list at all.
std::optional<std::string> SpiderParameter(std::string_view comment, std::string_view name);
