// Coefficients as typed, held exactly: each part a decimal fraction
// num / den * 10^exp10, read from the same number text the fp readers take,
// and rounded to fp only when a precision asks for it.
#include <algorithm>
#include <bit>
#include <limits>
#include <cstring>
#include <string>

#include <korvel/input.h>
#include "input/text.h"

namespace korvel {

using detail::OwnedText;

namespace {

// Beyond this many decimal places the power of ten is not formed as an
// integer (10^100000 is 41 KiB); such a value is read by the fp reader instead.
constexpr i64 exactExponentLimit = 100000;
// Exponents in text beyond this cannot be held by fp anyway (2^31 bits is
// 6.5e8 decimal places); refusing them early keeps every sum below in i64.
constexpr i64 exponentTextLimit = 1000000000000LL;
// Significant digits a number keeps: the most figures carried (100000, in
// 12501 words, 120423 digits) and a margin.
constexpr std::size_t keptDigits = 120500;

bool parseExponent(char const* s, i64& e) {
    bool const negative = *s == '-';
    if (*s == '+' || *s == '-') ++s;
    e = 0;
    for (; *s != '\0'; ++s) {
        e = e * 10 + (*s - '0');
        if (e > exponentTextLimit) return false;
    }
    if (negative) e = -e;
    return true;
}

// d = the text "[+-]digits[.digits][e[+-]digits]" (validated by VerifyNumExpString2).
bool readDecimal(DecimalFraction& d, char const* text) {
    OwnedText mantissa(nullptr), exponent(nullptr);
    if (!VerifyNumExpString2(mantissa.slot(), exponent.slot(), text)) return false;
    i64 e = 0;
    if (!parseExponent(exponent.get(), e)) return false;
    char const* m = mantissa.get();
    bool const negative = *m == '-';
    if (*m == '+' || *m == '-') ++m;
    std::string digits;
    i64 places = 0;
    bool point = false;
    for (; *m != '\0'; ++m) {
        if (*m == '.') {
            point = true;
            continue;
        }
        digits.push_back(*m);
        places += point ? 1 : 0;
    }
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    if (digits.empty()) digits.push_back('0');
    // Text to integer is quadratic in the digits: beyond what any precision
    // uses, the rest become one sticky digit, which keeps the value off every
    // rounding boundary of up to keptDigits - 2 digits.
    if (digits.size() > keptDigits) {
        bool const sticky = digits.find_first_not_of('0', keptDigits) != std::string::npos;
        places -= i64(digits.size() - keptDigits) - (sticky ? 1 : 0);
        digits.resize(keptDigits);
        if (sticky) digits.push_back('1');
        d.shortened = true;
    }
    if (!equate(d.num, digits.c_str())) return false;
    if (negative) d.num.size = -d.num.size;
    equate(d.den, 1);
    d.exp10 = d.num.size == 0 ? 0 : e - places;
    return true;
}

// d = the fraction text "a[/b]".
bool readFraction(DecimalFraction& d, char const* text) {
    OwnedText numerator(nullptr), denominator(nullptr);
    if (!VerifyNumFracString2(numerator.slot(), denominator.slot(), text)) return false;
    DecimalFraction top, bottom;
    if (!readDecimal(top, numerator.get()) || !readDecimal(bottom, denominator.get())) return false;
    if (bottom.num.size == 0) return false;
    d.num = top.num;
    d.den = bottom.num;
    d.shortened = top.shortened || bottom.shortened;
    if (d.den.size < 0) {
        d.den.size = -d.den.size;
        d.num.size = -d.num.size;
    }
    d.exp10 = d.num.size == 0 ? 0 : top.exp10 - bottom.exp10;
    return true;
}

// r = x * 10^k for k >= 0.
void timesPowerOfTen(mb& r, mb const& x, i64 k) {
    if (k == 0) {
        r = x;
        return;
    }
    mb p;
    (void)power(p, mb(10), i32(k));  // 10^k, k >= 0: cannot fail
    mul(r, x, p);
}

// x with its low zero bits moved into the exponent, the form the text reader
// gives: arithmetic on equal values in other forms may round differently.
void shortestForm(fp& x) {
    if (x.mantissa.size == 0) return;
    i32 tz = 0;
    while (x.mantissa.words[tz / 32] == 0) tz += 32;
    tz += std::countr_zero(x.mantissa.words[tz / 32]);
    if (i64(x.exponent) + tz > std::numeric_limits<i32>::max()) tz = std::numeric_limits<i32>::max() - x.exponent;
    if (tz <= 0) return;
    mbShiftRight(x.mantissa, x.mantissa, tz);
    x.exponent += tz;
}

// Bits of |q| from its top set bit down to its lowest set bit; q != 0.
i64 significantSpan(mb const& q) {
    i32 low = 0;
    while (q.words[low] == 0) ++low;
    return i64(NumBits(q)) - 32 * i64(low) - std::countr_zero(q.words[low]);
}

}  // namespace

bool readExact(ExactComplex& z, char const* s) {
    if (s[0] == '\0' || std::strcmp(s, "+") == 0 || std::strcmp(s, "-") == 0) {
        z = ExactComplex{};
        equate(z.re.num, s[0] == '-' ? -1 : 1);
        return true;
    }
    // A whole number of up to 18 digits, the most common coefficient, as the
    // general reading below gives it (num / 1 * 10^0), without its texts.
    if (std::size_t const sign = s[0] == '+' || s[0] == '-' ? 1 : 0, digits = std::strspn(s + sign, "0123456789");
        digits > 0 && digits <= 18 && s[sign + digits] == '\0') {
        i64 v = 0;
        for (std::size_t k = sign; k < sign + digits; ++k) v = 10 * v + (s[k] - '0');
        z = ExactComplex{};
        equate(z.re.num, s[0] == '-' ? -v : v);
        return true;
    }
    OwnedText realText(nullptr), imagText(nullptr);
    return detail::coefficientParts(s, realText, imagText) && readFraction(z.re, realText.get()) &&
           readFraction(z.im, imagText.get());
}

bool add(DecimalFraction& r, DecimalFraction const& x, DecimalFraction const& y) {
    if (x.num.size == 0) return (r = y, true);
    if (y.num.size == 0) return (r = x, true);
    // x + y = (nx dy 10^(ex - e) + ny dx 10^(ey - e)) / (dx dy) 10^e, e the smaller exponent.
    i64 const e = std::min(x.exp10, y.exp10);
    if (std::max(x.exp10, y.exp10) - e > exactExponentLimit) return false;
    mb a, b, d;
    mul(a, x.num, y.den);
    mul(b, y.num, x.den);
    timesPowerOfTen(a, a, x.exp10 - e);
    timesPowerOfTen(b, b, y.exp10 - e);
    mul(d, x.den, y.den);
    add(r.num, a, b);
    r.den = d;
    r.exp10 = r.num.size == 0 ? 0 : e;
    r.shortened = x.shortened || y.shortened;
    if (r.num.size == 0) equate(r.den, 1);
    return true;
}

bool roundToFp(fp& x, DecimalFraction const& d, i32 words, bool& exact) {
    exact = !d.shortened;
    if (d.num.size == 0) {
        x = fp();
        return true;
    }
    ScopedBlockPrec const precision(words);
    if (d.exp10 > exactExponentLimit || d.exp10 < -exactExponentLimit) {
        // The fp reader rounds num * 10^exp10 correctly (or refuses it beyond
        // the range); the division by den is a second rounding.
        exact = false;
        std::string const text = toString(d.num) + "e" + std::to_string(d.exp10);
        fp top, bottom, q;
        bool const whole = compare(d.den, mb(1)) == 0;
        {
            // A quotient takes a guard word; a whole number is read as it is.
            ScopedBlockPrec const guard(whole ? words : words + 1);
            if (!equate(top, text.c_str())) return false;
            equate(bottom, d.den);
            OverflowWatch watch;
            if (!div(q, top, bottom) || watch.overflowed() || !q) return false;
        }
        x = q;
        fpNormalize(x);
        shortestForm(x);
        return true;
    }
    // N / D = |num| / den * 10^exp10 exactly; q = floor(N 2^s / D) carries at
    // least 32 words + 1 bits, and rounding q to `words` words, ties away from
    // zero, needs only its first dropped bit, which q holds exactly.
    mb N, D, q, rem;
    timesPowerOfTen(N, abs(d.num), std::max<i64>(d.exp10, 0));
    // A whole number that fits the words is held exactly, as the division by
    // 1 below would give it.
    if (d.exp10 >= 0 && d.den.size == 1 && d.den.words[0] == 1 && NumBits(N) <= 32 * i64(words)) {
        if (d.num.size < 0) N.size = -N.size;
        x.mantissa = std::move(N);
        x.exponent = 0;
        fpNormalize(x);
        shortestForm(x);
        return true;
    }
    timesPowerOfTen(D, d.den, std::max<i64>(-d.exp10, 0));
    i32 const s = 32 * words + 2 + NumBits(D) - NumBits(N);
    if (s >= 0)
        mbShiftLeft(N, N, s);
    else
        mbShiftLeft(D, D, -s);
    (void)divRem(q, rem, N, D);  // D > 0
    // Exact when nothing was left over and q's bits, from its top set bit to
    // its lowest, fit the words (rounding keeps a left-aligned top word).
    exact = exact && rem.size == 0 && significantSpan(q) <= 32 * i64(words);
    if (d.num.size < 0) q.size = -q.size;
    x.mantissa = q;
    x.exponent = -s;
    fpNormalize(x);
    shortestForm(x);
    return true;
}

}  // namespace korvel
