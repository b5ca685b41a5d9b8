// korvel-cli's JSON documents, for scripts.
#pragma once

#include <string>

#include "app/result.h"

namespace korvel {

// One search as a JSON document: the input as read, the settings, every root
// with its value, certified radius, certain figures and cluster, and the time.
std::string resultJson(SearchResult const& result);

// A failure as a JSON document: its message and the exit status that goes with it.
std::string errorJson(std::string const& message, int status);

}  // namespace korvel
