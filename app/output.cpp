// Formatting of values and of a polynomial as read.
#include "app/output.h"

#include <algorithm>
#include <string>

namespace korvel {

void appendValue(std::string& out, fpComplex const& z, int figures) {
    out += toString(z.re, figures);
    out += " , ";
    out += toString(z.im, figures);
    out += "\n\n";
}

std::string rootsText(SearchResult const& result, bool errorBounds) {
    std::string out;
    for (auto const& r : result.roots) appendValue(out, r.root, result.options.shownFigures);
    out += "Polynomial(root):\n";
    for (auto const& r : result.roots) appendValue(out, r.value, result.options.shownFigures);
    if (!errorBounds) return out;
    out += "Error bound:\n";
    for (auto const& r : result.roots) out += (r.radius ? toString(*r.radius, 3) : std::string("unknown")) + "\n\n";
    return out;
}

std::string markedRootsText(SearchResult const& result, bool errorBounds) {
    int const shown = result.options.shownFigures;
    std::string out;
    for (auto const& r : result.roots) {
        appendValue(out, r.root, shown);
        out.resize(out.size() - 2);
        if (errorBounds) out += "   ± " + (r.radius ? toString(*r.radius, 3) : std::string("unknown"));
        if (!result.options.certify)
            out += "   (not certified)";
        else if (r.certainFigures < shown)
            out += "   (uncertain: " + std::to_string(r.certainFigures) + " of " + std::to_string(shown) +
                   " figures certain)";
        out += "\n\n";
    }
    out += "Polynomial(root):\n";
    for (auto const& r : result.roots) appendValue(out, r.value, shown);
    return out;
}

std::string outputHeader(SearchResult const& result, std::string const& date) {
    RootOptions const& o = result.options;
    // The coefficients to the figures shown, up to 20: enough to tell the
    // polynomial from its neighbours without a page per coefficient.
    std::string out = "Roots of " + polynomialAsRead(result.coefficients, std::min(o.shownFigures, 20)) + "\n";
    out += "Figures shown " + std::to_string(o.shownFigures) + ", carried " + std::to_string(o.carriedFigures);
    if (result.carriedUsed > o.carriedFigures) out += " (" + std::to_string(result.carriedUsed) + " in the last round)";
    out += o.search == RootSearch::fullPrecision ? "; full-precision search" : "; staged search";
    out += o.certify ? "; figures shown certified" : "; certification off: no figure is certified";
    out += o.cleanUp ? "; negligible parts cleaned up\n" : "; roots kept as found\n";
    out += "Found " + date + "\n";
    if (!result.warning.empty()) out += result.warning + (result.warning.back() == '\n' ? "" : "\n");
    return out;
}

std::string readingText(std::string const& ignored, std::vector<fpComplex> const& coefficients) {
    std::string out;
    if (!ignored.empty()) out = "Ignored: " + ignored + "\n";
    return out + "Read as: " + polynomialAsRead(coefficients);
}

// Each root and each value takes a line and a blank one; the values follow the
// line "Polynomial(root):".
int lineOfRoot(SearchResult const&, int k) { return 2 * k; }

int rootOfLine(SearchResult const& result, int line) {
    int const n = int(result.roots.size());
    if (line >= 0 && line < 2 * n) return line % 2 == 0 ? line / 2 : -1;
    int const value = line - (2 * n + 1);
    return value >= 0 && value < 2 * n && value % 2 == 0 ? value / 2 : -1;
}

namespace {

// t, a number fpToStr wrote, with exactly `figures` significant figures, so
// that a rounded value looks rounded: 1.00000, 0.333333, 2.64566e8 (never a
// whole number whose last digits stand for figures it does not have).
std::string withAllFigures(std::string const& t, int figures) {
    std::size_t const e = t.find('e');
    std::string const m = t.substr(0, e);
    long long const exponent = e == std::string::npos ? 0 : std::stoll(t.substr(e + 1));
    std::size_t const point = m.find('.');
    std::string const whole = m.substr(0, point), digits = whole + (point == std::string::npos ? "" : m.substr(point + 1));
    std::size_t const lead = std::min(digits.find_first_not_of('0'), digits.size());
    if (lead == digits.size()) return t;  // zero
    std::string significant = digits.substr(lead);
    significant.resize(std::size_t(figures), '0');
    long long const top = exponent + (long long)whole.size() - 1 - (long long)lead;  // of the first significant digit
    if (top >= 0 && top < figures - 1) return significant.insert(std::size_t(top + 1), 1, '.');
    if (top < 0 && top > -5) {
        std::string out(std::size_t(-top + 1), '0');  // "0." and the zeros after the point
        out[1] = '.';
        return out.append(significant);
    }
    if (figures > 1) significant.insert(1, 1, '.');
    return significant.append(1, 'e').append(std::to_string(top));
}

// A coefficient's part as the polynomial as read shows it: a whole number of up
// to 15 digits in full, anything else to `figures` figures, all of them written
// when they round the value.
std::string coefficientText(fp const& x, int figures) {
    // The figures are counted without the sign: "-1.00000", not "-.10000e1".
    if (x.mantissa.size < 0) return std::string(1, '-').append(coefficientText(abs(x), figures));
    fp back;
    std::string const full = toString(x, 15);
    if (full.find_first_of(".e") == std::string::npos && fpConvFromString(back, full.c_str()) && compare(back, x) == 0)
        return full;
    std::string const t = toString(x, figures);
    if (fpConvFromString(back, t.c_str()) && compare(back, x) == 0) return t;
    return withAllFigures(t, figures);
}

}  // namespace

std::string polynomialAsRead(std::vector<fpComplex> const& coefficients, int figures) {
    std::string out;
    int degree = -1;
    for (int k = int(coefficients.size()) - 1; k >= 0; --k) {
        fpComplex const& c = coefficients[std::size_t(k)];
        if (!c) continue;
        if (degree < 0) degree = k;
        // A real or imaginary coefficient with its sign; a complex one as a
        // pair, as typed.
        std::string coefficient;
        bool negative = false;
        if (!c.im || !c.re) {
            bool const imaginary = !!c.im;
            fp const& part = imaginary ? c.im : c.re;
            negative = part.mantissa.size < 0;
            coefficient = coefficientText(abs(part), figures);
            if (coefficient == "1" && (k > 0 || imaginary)) coefficient.clear();
            if (imaginary) coefficient += k > 0 ? "i " : "i";
        } else {
            coefficient = "(";
            coefficient.append(coefficientText(c.re, figures)).append(",").append(coefficientText(c.im, figures)).append(")");
        }
        if (out.empty())
            out += negative ? "-" : "";
        else
            out += negative ? " - " : " + ";
        out += coefficient;
        if (k >= 1) out += "x";
        if (k >= 2) out.append("^").append(std::to_string(k));
    }
    std::string const degreeText = std::to_string(degree < 0 ? 0 : degree);
    return (out.empty() ? std::string("0") : out) + " (degree " + degreeText + ")";
}

}  // namespace korvel
