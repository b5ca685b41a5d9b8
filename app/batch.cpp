// The batch: a reading thread (the caller's), a pool of searching threads and
// a writing thread, joined by a ring of slots that bounds the lines in flight.
#include "app/batch.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <ctime>
#include <istream>
#include <mutex>
#include <new>
#include <thread>

#include <pthread.h>

#include <nlohmann/json.hpp>

#include "app/json.h"
#include "app/result.h"

namespace korvel {

namespace {

using json = nlohmann::json;

// ---- reading a line ----------------------------------------------------------------------

BatchLine refused(int status, std::string error, std::string detail = "", int column = 0) {
    BatchLine line;
    line.status = status;
    line.error = std::move(error);
    line.detail = std::move(detail);
    line.column = column;
    return line;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number: [+-] digits [. digits] [e [+-] digits], at least one digit before the exponent.
std::size_t decimalLength(std::string_view s, std::size_t at) {
    std::size_t p = at;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) ++p;
    std::size_t digits = 0;
    while (p < s.size() && isDigit(s[p])) ++p, ++digits;
    if (p < s.size() && s[p] == '.') {
        ++p;
        while (p < s.size() && isDigit(s[p])) ++p, ++digits;
    }
    if (digits == 0) return 0;
    if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
        std::size_t q = p + 1;
        if (q < s.size() && (s[q] == '+' || s[q] == '-')) ++q;
        std::size_t const start = q;
        while (q < s.size() && isDigit(s[q])) ++q;
        if (q == start) return 0;
        p = q;
    }
    return p - at;
}

// A part of a JSON coefficient: a decimal number or a fraction of two, as
// text; JSON numbers are taken by their JSON text. False when it is neither.
bool partText(json const& v, std::string& text) {
    if (v.is_number()) {
        text = v.dump();
    } else if (v.is_string()) {
        text = v.get<std::string>();
    } else {
        return false;
    }
    std::size_t const a = decimalLength(text, 0);
    if (a == 0) return false;
    if (a == text.size()) return true;
    if (text[a] != '/') return false;
    std::size_t const b = decimalLength(text, a + 1);
    return b != 0 && a + 1 + b == text.size() && text[a + 1] != '+' && text[a + 1] != '-';
}

// The JSON reader that keeps a number with a fraction or an exponent as the
// text the line wrote: a coefficient such as 0.1 is read exactly, not through
// the double nearest to it. Whole numbers within 64 bits are exact as they are.
class ExactNumbers : public nlohmann::detail::json_sax_dom_parser<json> {
public:
    explicit ExactNumbers(json& doc) : json_sax_dom_parser(doc, true) {}
    bool number_float(json::number_float_t, std::string const& text) {
        std::string copy = text;
        return string(copy);
    }
};

BatchLine readJsonLine(std::string_view text) {
    json doc;
    try {
        ExactNumbers reader(doc);
        (void)json::sax_parse(text, &reader);
    } catch (json::exception const& e) {
        std::string what = e.what();
        // "[json.exception.parse_error.101] parse error at line 1, column 5: ..." without its tag
        if (std::size_t const tag = what.find("] "); tag != std::string::npos) what.erase(0, tag + 2);
        auto const* parse = dynamic_cast<json::parse_error const*>(&e);
        int const column = parse ? int(std::min<std::size_t>(parse->byte, 1u << 30)) : 0;
        return refused(2, "The JSON cannot be read", what, column);
    }
    if (!doc.is_object()) return refused(2, "The line is not a JSON object");
    for (auto const& [key, value] : doc.items())
        if (key != "coefficients" && key != "degree")
            return refused(2, "The JSON object has an unknown member", "\"" + key + "\"");
    auto const list = doc.find("coefficients");
    if (list == doc.end() || !list->is_array() || list->empty())
        return refused(2, "The JSON object needs \"coefficients\": an array of {\"re\", \"im\"}, constant term first");
    if (auto const degree = doc.find("degree");
        degree != doc.end() && (!degree->is_number_integer() || degree->get<std::int64_t>() != std::int64_t(list->size()) - 1))
        return refused(2, "\"degree\" does not agree with the coefficients",
                       std::to_string(list->size()) + " coefficients");
    std::vector<ExactComplex> coefficients;
    coefficients.reserve(list->size());
    for (std::size_t k = 0; k < list->size(); ++k) {
        json const& c = (*list)[k];
        std::string const which = "coefficient " + std::to_string(k);
        std::string re = "0", im = "0";
        if (!c.is_object()) {
            // A real coefficient may stand alone, as a number or its text.
            if (!partText(c, re)) return refused(2, "A coefficient is not a number or an object {\"re\", \"im\"}", which);
            ExactComplex z;
            if (!readExact(z, re.c_str())) return refused(1, entryMessage, which + " cannot be read: " + re);
            coefficients.push_back(std::move(z));
            continue;
        }
        for (auto const& [key, value] : c.items())
            if (key != "re" && key != "im")
                return refused(2, "A coefficient has an unknown member", which + ": \"" + key + "\"");
        if ((c.contains("re") && !partText(c["re"], re)) || (c.contains("im") && !partText(c["im"], im)))
            return refused(1, entryMessage, which + " is not a number or a fraction");
        ExactComplex z;
        std::string const typed = "(" + re + "," + im + ")";
        if (!readExact(z, typed.c_str()))
            return refused(1, entryMessage, which + " cannot be read: " + typed);
        if (z.re.den.size == 0 || z.im.den.size == 0) return refused(1, entryMessage, which + " divides by 0");
        coefficients.push_back(std::move(z));
    }
    BatchLine line;
    line.polynomial.emplace(std::move(coefficients));
    if (line.polynomial->degree() < 1) return refused(1, entryMessage, "a constant has no roots");
    return line;
}

// ---- the ring ----------------------------------------------------------------------------

// The processor time of the calling thread, so that each line's "seconds" is
// its own whatever the others do.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The pool's threads leave Ctrl-C to the reading thread, whose read it then
// interrupts.
void leaveInterruptToReader() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

// One line in flight.
struct Slot {
    std::int64_t line = 0;
    std::string text;
    bool tooLong = false;  // text dropped: the line was longer than any polynomial's text may be
    BatchOutcome outcome;
    bool done = false;
};

// Lines read ahead of the first not yet written, per searching thread.
constexpr std::int64_t windowPerJob = 32;

class Pipeline {
public:
    Pipeline(BatchSettings const& settings, BatchHooks const& hooks, std::stop_token outer)
        : settings_(settings), options_(oneThreadEach(settings.options)), hooks_(hooks), ring_(std::size_t(windowPerJob * std::max(settings.jobs, 1))),
          outerStop_(std::move(outer), [this] { stopAll(); }) {}

    BatchSummary run(std::istream& in) {
        {
            std::vector<std::jthread> searching;
            for (int k = 0; k < std::max(settings_.jobs, 1); ++k) searching.emplace_back([this] { search(); });
            std::jthread writing([this] { write(); });
            try {
                read(in);
            } catch (...) {
                stopAll();
                endInput();
                throw;
            }
            endInput();
        }
        // A stop of the caller's, not that of a failed write.
        summary_.stopped = !summary_.writeFailed && stop_.stop_requested();
        return summary_;
    }

private:
    void endInput() {
        {
            std::lock_guard const lock(mutex_);
            inputEnded_ = true;
        }
        changed_.notify_all();
    }

    void stopAll() {
        {
            std::lock_guard const lock(mutex_);
            stop_.request_stop();
        }
        changed_.notify_all();
    }

    // The caller's thread: lines into the ring, waiting while it is full.
    void read(std::istream& in) {
        std::streambuf& source = *in.rdbuf();
        std::int64_t number = settings_.firstLine - 1;
        std::string text;
        std::int64_t const from = std::max(settings_.from, settings_.firstLine);
        std::int64_t const last = settings_.count < 0 ? INT64_MAX : from - 1 + settings_.count;
        while (number < last && !stop_.stop_requested()) {
            bool tooLong = false;
            if (!readLine(source, text, tooLong)) break;
            if (++number < from) continue;
            if (text.find_first_not_of(" \t\r\f\v") == std::string::npos && !tooLong) continue;
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return read_ - written_ < std::int64_t(ring_.size()) || stop_.stop_requested(); });
            if (stop_.stop_requested()) break;
            Slot& slot = ring_[std::size_t(read_ % std::int64_t(ring_.size()))];
            slot = Slot{number, std::move(text), tooLong, {}, false};
            ++read_;
            lock.unlock();
            changed_.notify_all();
            text = std::string();
        }
    }

    // A line of source without its line end; false at the end of the input.
    // A line beyond maxLineBytes is read to its end and dropped (tooLong).
    static bool readLine(std::streambuf& source, std::string& text, bool& tooLong) {
        text.clear();
        int c = source.sbumpc();
        if (c == std::streambuf::traits_type::eof()) return false;
        for (; c != std::streambuf::traits_type::eof() && c != '\n'; c = source.sbumpc()) {
            if (text.size() >= maxLineBytes) {
                tooLong = true;
                text.clear();
                text.shrink_to_fit();
            }
            if (!tooLong) text.push_back(char(c));
        }
        return true;
    }

    void search() {
        leaveInterruptToReader();
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return searched_ < read_ || inputEnded_ || stop_.stop_requested(); });
            if (searched_ >= read_) {
                if (inputEnded_ || stop_.stop_requested()) return;
                continue;
            }
            Slot& slot = ring_[std::size_t(searched_++ % std::int64_t(ring_.size()))];
            std::int64_t const line = slot.line;
            std::string const text = std::move(slot.text);
            bool const tooLong = slot.tooLong;
            lock.unlock();
            BatchOutcome outcome = outcomeOf(line, text, tooLong);
            lock.lock();
            slot.outcome = std::move(outcome);
            slot.done = true;
            changed_.notify_all();
        }
    }

    BatchOutcome outcomeOf(std::int64_t line, std::string const& text, bool tooLong) {
        if (stop_.stop_requested()) return BatchOutcome{{}, {}, false, true};
        if (tooLong) {
            BatchOutcome refusal;
            refusal.document = batchErrorJson(line, entryMessage, 1, "the line is longer than 64 MiB");
            refusal.failed = true;
            return refusal;
        }
        try {
            return searchBatchLine(line, text, options_, stop_.get_token());
        } catch (std::bad_alloc const&) {
            return BatchOutcome{batchErrorJson(line, outOfMemoryMessage, 1), {}, true, false};
        }
    }

    // The writing thread: slots in order, as they finish.
    void write() {
        leaveInterruptToReader();
        auto const start = std::chrono::steady_clock::now();
        auto nextTick = start;
        std::unique_lock lock(mutex_);
        for (;;) {
            Slot& slot = ring_[std::size_t(written_ % std::int64_t(ring_.size()))];
            bool const ready = written_ < read_ && slot.done;
            if (!ready) {
                if ((inputEnded_ && written_ == read_) || (stop_.stop_requested() && written_ == searched_)) return;
                changed_.wait_for(lock, std::chrono::milliseconds(100));
            } else {
                BatchOutcome outcome = std::move(slot.outcome);
                if (outcome.cancelled) {
                    summary_.stopped = true;
                    return;
                }
                lock.unlock();
                bool const wrote = !hooks_.write || hooks_.write(outcome.document);
                if (wrote && !outcome.failed && hooks_.roots) hooks_.roots(outcome.roots);
                lock.lock();
                if (!wrote) {
                    summary_.writeFailed = true;
                    stop_.request_stop();
                    changed_.notify_all();
                    return;
                }
                slot.done = false;
                ++written_;
                ++summary_.searched;
                summary_.failed += outcome.failed ? 1 : 0;
                changed_.notify_all();
            }
            auto const now = std::chrono::steady_clock::now();
            if (hooks_.tick && now >= nextTick) {
                nextTick = now + std::chrono::milliseconds(100);
                BatchProgress const progress{written_, std::chrono::duration<double>(now - start).count()};
                lock.unlock();
                hooks_.tick(progress);
                lock.lock();
            }
        }
    }

    static constexpr std::size_t maxLineBytes = std::size_t(64) << 20;

    // The searches run side by side on the jobs' threads, one thread each.
    static RootOptions oneThreadEach(RootOptions o) {
        o.threads = 1;
        return o;
    }

    BatchSettings const& settings_;
    RootOptions const options_;
    BatchHooks const& hooks_;
    // Guards the ring and the counters below; changed_ wakes every thread on
    // any change, which at these rates costs nothing beside a search.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Slot> ring_;
    std::int64_t read_ = 0, searched_ = 0, written_ = 0;  // slots filled, taken, written
    bool inputEnded_ = false;
    std::stop_source stop_;
    std::stop_callback<std::function<void()>> outerStop_;
    BatchSummary summary_;
};

std::vector<std::complex<double>> asDoubles(std::vector<FoundRoot> const& roots) {
    std::vector<std::complex<double>> out;
    out.reserve(roots.size());
    for (auto const& r : roots) out.emplace_back(toDouble(r.root.re), toDouble(r.root.im));
    return out;
}

}  // namespace

BatchLine readBatchLine(std::string_view text) {
    std::size_t const start = text.find_first_not_of(" \t\r\f\v");
    if (start != std::string_view::npos && text[start] == '{') return readJsonLine(text);
    PolynomialReading reading = parsePolynomial(text);
    if (!reading.polynomial)
        return refused(1, entryMessage, reading.error, reading.position >= 0 ? reading.position + 1 : 0);
    if (reading.polynomial->degree() < 1) return refused(1, entryMessage, "a constant has no roots");
    BatchLine line;
    line.polynomial = std::move(reading.polynomial);
    return line;
}

BatchOutcome searchBatchLine(std::int64_t line, std::string_view text, RootOptions const& options,
                             std::stop_token stop) {
    BatchOutcome outcome;
    BatchLine const read = readBatchLine(text);
    if (!read.polynomial) {
        outcome.document = batchErrorJson(line, read.error, read.status, read.detail, read.column);
        outcome.failed = true;
        return outcome;
    }
    double const start = threadSeconds();
    RootReport report = findRoots(*read.polynomial, options, stop);
    double const seconds = threadSeconds() - start;
    if (!report.ok) {
        outcome.cancelled = report.error == cancelledMessage;
        outcome.failed = true;
        outcome.document = batchErrorJson(line, report.error, 1);
        return outcome;
    }
    outcome.roots = asDoubles(report.roots);
    outcome.document = batchResultJson(line, searchResult(std::move(report), options, seconds));
    return outcome;
}

BatchSummary runBatch(std::istream& in, BatchSettings const& settings, BatchHooks const& hooks,
                      std::stop_token stop) {
    Pipeline pipeline(settings, hooks, std::move(stop));
    return pipeline.run(in);
}

}  // namespace korvel
