// korvel-cli's JSON documents, for scripts.
#pragma once

#include <cstdint>
#include <string>

#include "app/result.h"

namespace korvel {

// One search as a JSON document: the input as read, the settings, every root
// with its value, certified radius, certain figures and cluster, and the time.
std::string resultJson(SearchResult const& result);

// A failure as a JSON document: its message and the exit status that goes with it.
std::string errorJson(std::string const& message, int status);

// One line of a batch's output, compact on one line: "line" (its number in the
// input), then the members of resultJson.
std::string batchResultJson(std::int64_t line, SearchResult const& result);
// A batch line that failed: "line", "error" (the message), "detail" and
// "column" (what refused it and where, when known) and "status".
std::string batchErrorJson(std::int64_t line, std::string const& message, int status, std::string const& detail = "",
                           int column = 0);

}  // namespace korvel
