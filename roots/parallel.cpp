// The threads of a search: started for one loop and joined at its end, so
// that no thread, and nothing shared between searches, outlives the loop.
#include "roots/parallel.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "roots/search.h"

namespace korvel::detail {

namespace {

// Work (see threadsFor) below which a second thread costs more to start than
// it saves: starting and joining one takes some 20-50 microseconds, about a
// thousand units.
constexpr double minParallelWork = 20000;

// More threads than any machine this runs on offers; a larger request is
// taken as this many.
constexpr int maxThreads = 256;

}  // namespace

int resolveThreads(int requested) {
    if (requested <= 0) {
        requested = 0;
        if (char const* text = std::getenv("KORVEL_THREADS")) requested = std::atoi(text);
        // Asked once: the count reads a system file on every call, and every
        // search call asks. Written once before any reader sees it, then only read.
        static unsigned const hardware = std::thread::hardware_concurrency();
        if (requested <= 0) requested = int(std::min(hardware, unsigned(maxThreads)));
    }
    return std::clamp(requested, 1, maxThreads);
}

int threadsFor(std::size_t count, double work) {
    if (count < 2 || !(work >= minParallelWork)) return 1;
    return int(std::min<std::size_t>(std::size_t(searchThreads()), count));
}

void parallelFor(std::size_t count, int threads, ItemAction body, ItemAction progress) {
    if (threads <= 1 || count < 2) {
        for (std::size_t i = 0; i < count; ++i) {
            body(i);
            if (progress) progress(i + 1);
        }
        return;
    }
    // Items are claimed in runs of neighbours. Neighbouring items write
    // neighbouring results, and word storage allocated one after another;
    // claimed one by one, alternately, the threads kept taking those cache
    // lines from each other (two threads then spent a sixth more processor
    // time than one). Runs of count / (16 threads) keep that to the runs'
    // ends while the last run a thread takes still leaves the others little
    // to wait for.
    std::size_t const run = std::max<std::size_t>(1, count / (16 * std::size_t(threads)));
    std::atomic<std::size_t> next = 0, done = 0;
    std::size_t reported = 0;  // the calling thread's last progress
    std::atomic<bool> failed = false, overflowed = false;
    std::exception_ptr error;
    std::mutex errorLock;  // guards error, set by the first body that throws
    auto claim = [&](bool caller) {
        try {
            for (std::size_t first; !failed.load(std::memory_order_relaxed) && (first = next.fetch_add(run)) < count;)
                for (std::size_t i = first, end = std::min(count, first + run);
                     i < end && !failed.load(std::memory_order_relaxed); ++i) {
                    body(i);
                    std::size_t const d = done.fetch_add(1) + 1;
                    if (caller && progress) progress(reported = d);
                }
        } catch (...) {
            std::lock_guard const lock(errorLock);
            if (!error) error = std::current_exception();
            failed = true;
        }
    };
    i32 const precision = blockPrec, digits = decPrec;
    RootSearchControl const control = workerControl();
    {
        std::vector<std::jthread> workers;
        workers.reserve(std::size_t(threads - 1));
        for (int t = 1; t < threads; ++t) {
            try {
                workers.emplace_back([&] {
                    ScopedBlockPrec const working(precision);
                    decPrec = digits;
                    ScopedSearchControl const controlled(control);
                    claim(false);
                    if (fpOverflowed()) overflowed = true;
                });
            } catch (std::system_error const&) {
                break;  // no more threads to be had: the ones started share the items
            }
        }
        claim(true);
    }  // the workers join here
    if (error) std::rethrow_exception(error);
    if (overflowed) fpRaiseOverflow();
    if (progress && done > reported) progress(done);
}

}  // namespace korvel::detail
