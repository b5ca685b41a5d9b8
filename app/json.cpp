// The JSON documents. They are written as they go, in nlohmann::json's
// layout (compact, or two spaces a level): a batch writes millions of them,
// and building each as a tree first cost as much as writing it. Numbers of
// any size travel as decimal texts; figures and counts as JSON numbers.
#include "app/json.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include "app/output.h"

namespace korvel {

namespace {

class JsonWriter {
public:
    explicit JsonWriter(bool pretty) : pretty_(pretty) {}

    JsonWriter& open(char bracket) {
        item();
        out_ += bracket;
        empty_.push_back(true);
        return *this;
    }
    JsonWriter& close(char bracket) {
        bool const empty = empty_.back();
        empty_.pop_back();
        if (pretty_ && !empty) newLine();
        out_ += bracket;
        return *this;
    }
    JsonWriter& key(std::string_view name) {
        item();
        quoted(name);
        out_ += pretty_ ? ": " : ":";
        afterKey_ = true;
        return *this;
    }
    JsonWriter& text(std::string_view s) {
        item();
        quoted(s);
        return *this;
    }
    JsonWriter& number(std::int64_t v) {
        item();
        out_ += std::to_string(v);
        return *this;
    }
    JsonWriter& number(double v) {
        item();
        if (!std::isfinite(v)) {
            out_ += "null";
            return *this;
        }
        char buffer[32];
        auto const end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
        out_.append(buffer, end);
        // A whole double keeps a point, as JSON readers tell numbers apart by it.
        if (std::string_view(buffer, std::size_t(end - buffer)).find_first_of(".e") == std::string_view::npos) out_ += ".0";
        return *this;
    }
    JsonWriter& boolean(bool v) {
        item();
        out_ += v ? "true" : "false";
        return *this;
    }
    JsonWriter& null() {
        item();
        out_ += "null";
        return *this;
    }
    std::string take() { return std::move(out_) + "\n"; }

private:
    // Before a value or a key: the comma after the one before, and its line.
    void item() {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (empty_.empty()) return;
        if (!empty_.back()) out_ += ',';
        empty_.back() = false;
        if (pretty_) newLine();
    }
    void newLine() {
        out_ += '\n';
        out_.append(2 * empty_.size(), ' ');
    }
    // s as a JSON string. Bytes that are no valid UTF-8 (a refused line's
    // bytes in an error's detail) are written as U+FFFD rather than refused.
    void quoted(std::string_view s) {
        out_ += '"';
        std::size_t k = 0;
        while (k < s.size()) {
            auto const c = static_cast<unsigned char>(s[k]);
            if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
                out_ += char(c);
                ++k;
            } else if (c < 0x80) {
                escape(c);
                ++k;
            } else if (std::size_t const n = utf8Length(s, k); n > 0) {
                out_.append(s.substr(k, n));
                k += n;
            } else {
                out_ += "\xEF\xBF\xBD";
                ++k;
            }
        }
        out_ += '"';
    }
    void escape(unsigned char c) {
        switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\b': out_ += "\\b"; break;
        case '\f': out_ += "\\f"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        default: {
            static constexpr char hex[] = "0123456789abcdef";
            out_ += "\\u00";
            out_ += hex[c >> 4];
            out_ += hex[c & 15];
        }
        }
    }
    // The length of the well-formed UTF-8 sequence at s[k] (RFC 3629: no
    // overlong forms, no surrogates, nothing above U+10FFFF); 0 for none.
    static std::size_t utf8Length(std::string_view s, std::size_t k) {
        auto const at = [&](std::size_t i) { return k + i < s.size() ? static_cast<unsigned char>(s[k + i]) : 0u; };
        auto const follows = [](unsigned b) { return b >= 0x80 && b <= 0xBF; };
        unsigned const c = at(0);
        if (c >= 0xC2 && c <= 0xDF) return follows(at(1)) ? 2 : 0;
        if (c >= 0xE0 && c <= 0xEF) {
            unsigned const lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
            return at(1) >= lo && at(1) <= hi && follows(at(2)) ? 3 : 0;
        }
        if (c >= 0xF0 && c <= 0xF4) {
            unsigned const lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
            return at(1) >= lo && at(1) <= hi && follows(at(2)) && follows(at(3)) ? 4 : 0;
        }
        return 0;
    }

    std::string out_;
    std::vector<bool> empty_;  // per open level: nothing in it yet
    bool pretty_;
    bool afterKey_ = false;
};

void complexMembers(JsonWriter& w, fpComplex const& z, int figures) {
    w.key("re").text(toString(z.re, figures)).key("im").text(toString(z.im, figures));
}

// The members of a search's document, after those already written in w.
void resultMembers(JsonWriter& w, SearchResult const& result) {
    RootOptions const& o = result.options;
    int const shown = o.shownFigures;
    w.key("input").open('{').key("degree").number(std::int64_t(result.degree())).key("coefficients").open('[');
    for (auto const& c : result.coefficients) {
        w.open('{');
        complexMembers(w, c, o.carriedFigures);
        w.close('}');
    }
    w.close(']').close('}');
    w.key("settings").open('{');
    w.key("shown").number(std::int64_t(shown)).key("carried").number(std::int64_t(o.carriedFigures));
    w.key("carriedUsed").number(std::int64_t(result.carriedUsed));
    w.key("search").text(o.search == RootSearch::fullPrecision ? "fullPrecision" : "staged");
    w.key("cleanup").boolean(o.cleanUp).key("certify").boolean(o.certify);
    w.key("path").text(result.exactFactors ? "square-free factors" : "whole polynomial");
    w.close('}');
    w.key("roots").open('[');
    for (auto const& r : result.roots) {
        w.open('{');
        complexMembers(w, r.root, shown);
        w.key("value").open('{');
        complexMembers(w, r.value, shown);
        w.close('}');
        w.key("radius");
        if (r.radius) w.text(toString(*r.radius, 3));
        else w.null();
        w.key("certainFigures").number(std::int64_t(r.certainFigures));
        // Cluster 0 means "not known": null.
        w.key("cluster");
        if (r.cluster != 0) w.number(std::int64_t(r.cluster));
        else w.null();
        w.key("multiplicity").number(std::int64_t(r.multiplicity));
        w.close('}');
    }
    w.close(']');
    w.key("warning");
    if (result.warning.empty()) w.null();
    else w.text(result.warning);
    // To the microsecond: the clock says no more, and 0.000265 reads better than 0.00026499600000000004.
    w.key("seconds").number(std::round(result.seconds * 1e6) / 1e6);
}

}  // namespace

std::string resultJson(SearchResult const& result) {
    JsonWriter w(true);
    w.open('{');
    resultMembers(w, result);
    return w.close('}').take();
}

std::string batchResultJson(std::int64_t line, SearchResult const& result) {
    JsonWriter w(false);
    w.open('{').key("line").number(line);
    resultMembers(w, result);
    return w.close('}').take();
}

std::string batchErrorJson(std::int64_t line, std::string const& message, int status, std::string const& detail,
                           int column) {
    JsonWriter w(false);
    w.open('{').key("line").number(line).key("error").text(message);
    if (!detail.empty()) w.key("detail").text(detail);
    if (column > 0) w.key("column").number(std::int64_t(column));
    return w.key("status").number(std::int64_t(status)).close('}').take();
}

std::string errorJson(std::string const& message, int status) {
    JsonWriter w(true);
    return w.open('{').key("error").text(message).key("status").number(std::int64_t(status)).close('}').take();
}

}  // namespace korvel
