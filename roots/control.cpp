// The caller's control of a search: the cancel flag and the progress report.
#include <algorithm>
#include <atomic>

#include "roots/search.h"

namespace korvel::detail {

namespace {
// Per thread: the control of the search running on this thread, so that the
// inner loops of the search on this thread, and only those, see it.
thread_local RootSearchControl const* active = nullptr;
}  // namespace

ScopedSearchControl::ScopedSearchControl(RootSearchControl const& control) : outer_(active) { active = &control; }
ScopedSearchControl::~ScopedSearchControl() { active = outer_; }

bool searchCancelled() { return active && active->cancel && active->cancel->load(std::memory_order_relaxed); }

void reportProgress(int found, int n) {
    if (active && active->progress && !searchCancelled()) active->progress(found, n);
}

int searchThreads() { return active ? std::max(active->threads, 1) : 1; }

bool searchFallsBack() { return !active || active->fallBack; }

bool searchSquareFree() { return active && active->squareFree; }

std::vector<fpComplex> const* searchStarts(i32& words) {
    if (!active || !active->starts) return nullptr;
    words = active->startWords;
    return active->starts;
}

RootSearchControl workerControl() {
    RootSearchControl c;
    if (active) c.cancel = active->cancel;
    return c;
}

}  // namespace korvel::detail
