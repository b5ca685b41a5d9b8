#include "app/cli_progress.h"

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace korvel::cli {

namespace {

// Written by the signal handler, read by the search: lock-free, so safe in both.
std::atomic<bool> interruptFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) { interruptFlag.store(true, std::memory_order_relaxed); }

// A search shorter than this shows no progress; the line changes at most this often.
constexpr auto quietStart = std::chrono::seconds(1);
constexpr auto redraw = std::chrono::milliseconds(100);

}  // namespace

void catchInterrupt() {
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

bool interrupted() { return interruptFlag.load(std::memory_order_relaxed); }

ProgressLine::ProgressLine() : terminal_(isatty(STDERR_FILENO) == 1), start_(std::chrono::steady_clock::now()) {}

void ProgressLine::show(int found, int n, int carried) {
    if (!terminal_) return;
    auto const now = std::chrono::steady_clock::now();
    if (now - start_ < quietStart || (shown_ && now - last_ < redraw && found != n)) return;
    last_ = now;
    shown_ = true;
    std::fprintf(stderr, "\rroots found: %d of %d at %d figures\033[K", found, n, carried);
    std::fflush(stderr);
}

void ProgressLine::showLines(std::int64_t written, double seconds) {
    if (!terminal_) return;
    auto const now = std::chrono::steady_clock::now();
    if (now - start_ < quietStart || (shown_ && now - last_ < redraw)) return;
    last_ = now;
    shown_ = true;
    std::fprintf(stderr, "\rlines: %lld, %.0f lines/s\033[K", static_cast<long long>(written),
                 seconds > 0 ? double(written) / seconds : 0.0);
    std::fflush(stderr);
}

void ProgressLine::finish() {
    if (shown_) std::fputs("\r\033[K", stderr);
    shown_ = false;
}

}  // namespace korvel::cli
