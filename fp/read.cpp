// Reading decimal text and doubles.
#include <bit>
#include <cctype>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "fp/internal.h"

namespace korvel {

namespace {

// Reads a decimal exponent as "%ld" would: leading white space, an optional
// sign, at least one digit, and nothing looked at after the digits. A value
// outside 32 bits is refused (such a power of ten has no exponent to hold it).
bool readExponent(char const* s, i64& value) {
    while (std::isspace(static_cast<unsigned char>(*s))) ++s;
    bool const negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    if (!isDigit(*s)) return false;
    value = 0;
    for (; isDigit(*s); ++s) {
        value = value * 10 + (*s - '0');
        if (value > detail::maxExponent + 1) return false;
    }
    if (negative) value = -value;
    return value >= detail::minExponent && value <= detail::maxExponent;
}

// Digits beyond those that can reach the working precision are dropped, so
// that a long text usually costs time in proportion to its length: the first
// significantDigits stay, and `inexact` tells whether any dropped one was not
// zero. The value then lies strictly between D * 10^k and (D + 1) * 10^k (D
// the digits kept, k the count dropped); the reader rounds both ends and reads
// every digit only when they differ. Returns k.
i64 dropExcessDigits(std::string& digits, bool& inexact) {
    inexact = false;
    std::size_t first = 0;
    while (first < digits.size() && !isDigit(digits[first])) ++first;
    while (first < digits.size() && digits[first] == '0') ++first;
    // 32(B + 2) bits are 9.64(B + 2) decimal digits; 10(B + 3) is more.
    std::size_t const significantDigits = 10 * (std::size_t(blockPrec) + 3);
    std::size_t const end = first + significantDigits;
    if (end >= digits.size()) return 0;
    for (std::size_t i = end; i < digits.size(); ++i) {
        if (!isDigit(digits[i])) return 0;  // the reader refuses it whole
        inexact = inexact || digits[i] != '0';
    }
    i64 const dropped = i64(digits.size() - end);
    digits.resize(end);
    return dropped;
}

// A positive magnitude m * 2^e whose exponent may lie far outside fp's range.
struct Wide {
    mb m;
    i64 e = 0;
};

bool lowBitsNonZero(mb const& m, i64 bits) {
    i32 const n = m.size < 0 ? -m.size : m.size;
    i64 const full = bits / 32;
    for (i64 i = 0; i < full && i < n; ++i)
        if (m.words[i] != 0) return true;
    i32 const rest = i32(bits % 32);
    return rest != 0 && full < n && (m.words[full] & ((u32(1) << rest) - 1)) != 0;
}

// Keeps the top `bits` bits of x: truncated, or with `up` rounded up, so that
// the result bounds the old value from below or above within 2^(1 - bits) relative.
void cutTo(Wide& x, i64 bits, bool up) {
    i64 const n = NumBits(x.m);
    if (n <= bits) return;
    i32 const d = i32(n - bits);
    bool const carry = up && lowBitsNonZero(x.m, d);
    mbShiftRight(x.m, x.m, d);
    x.e += d;
    if (carry) add(x.m, x.m, mb(1));
}

// A lower (or with `up` an upper) bound of 5^n, n >= 0, by left-to-right binary
// powering with every product cut to `bits` bits in the bound's direction. A
// cut made with j bits of n still to come is raised to at most 2^(j+1), so the
// bound is within (1 + 2^(1 - bits))^(4n) - 1 < 2^(5 - bits) n relative, i.e.
// 2^(36 - bits) for n < 2^31.
void powerOfFiveBound(Wide& r, i64 n, i64 bits, bool up) {
    r.m = mb(1);
    r.e = 0;
    for (i32 j = NumBits(u64(n)) - 1; j >= 0; --j) {
        sqr(r.m, r.m);
        r.e *= 2;
        cutTo(r, bits, up);
        if ((u64(n) >> j) & 1) {
            mulByScalarAbs(r.m, r.m, 5);
            cutTo(r, bits, up);
        }
    }
}

// The outcome of rounding a magnitude to the fp format at B words.
struct Rounded {
    enum Kind { value, zero, overflow } kind = zero;
    mb m;
    i64 e = 0;
    bool operator==(Rounded const& y) const {
        return kind == y.kind && (kind != value || (e == y.e && compare(m, y.m) == 0));
    }
};

// x rounded to nearest, ties away from zero, among the fp values of B words:
// the lowest bit kept is at most 32B bits below the top one and never below
// 2^minExponent (so values near the bottom keep fewer bits). The result is
// reduced to its shortest form. Monotone in x, which the bounds rely on.
Rounded roundToFormat(Wide const& x) {
    Rounded out;
    i64 const P = 32 * i64(blockPrec);
    i64 const n = NumBits(x.m);
    if (n == 0) return out;
    i64 const top = x.e + n - 1;
    i64 lowest = top - P + 1;
    // At the bottom of the range fewer than B words reach above the smallest
    // exponent: a value that would lose bits there is refused, as below the
    // range, since the precision asked for could not be kept (a root search
    // bounds its rounding by that precision).
    if (lowest < detail::minExponent) {
        if (x.e < detail::minExponent) return out;
        lowest = detail::minExponent;
    }
    out.m = x.m;
    out.e = x.e;
    if (lowest > x.e) {
        i64 const d = lowest - x.e;
        if (d > n) return out = Rounded{};  // below half the smallest value
        // Ties go away from zero, so the first dropped bit alone decides.
        bool const roundUp = ((x.m.words[(d - 1) / 32] >> ((d - 1) % 32)) & 1) != 0;
        mbShiftRight(out.m, x.m, i32(d));
        out.e = lowest;
        if (roundUp) add(out.m, out.m, mb(1));
        if (out.m.size == 0) return out = Rounded{};
    }
    // Shortest form: low zero bits go into the exponent, as far as it reaches.
    i64 tz = 0;
    while (out.m.words[tz / 32] == 0) tz += 32;
    tz += std::countr_zero(out.m.words[tz / 32]);
    if (out.e + tz > detail::maxExponent) tz = detail::maxExponent - out.e;
    if (tz > 0) {
        mbShiftRight(out.m, out.m, i32(tz));
        out.e += tz;
    }
    // Above the range: the top bit lies beyond what B words at the largest exponent hold.
    if (out.e + NumBits(out.m) - 1 > detail::maxExponent + P - 1) {
        out.kind = Rounded::overflow;
        return out;
    }
    if (out.e > detail::maxExponent) {
        mbShiftLeft(out.m, out.m, i32(out.e - detail::maxExponent));
        out.e = detail::maxExponent;
    }
    out.kind = Rounded::value;
    return out;
}

// The B-word rounding of a bound of N * 10^q (N > 0): of a lower bound, or with
// `up` of an upper one, each within 2^(38 - bits) relative of the value. Where
// N * 10^q may be a rounding tie or exact (5^q with fewer bits than the
// format holds, or 5^|q| no larger than N), it is the rounding of the value itself.
Rounded roundBound(mb const& N, i64 q, i64 bits, bool up) {
    i64 const P = 32 * i64(blockPrec);
    Wide x;
    if (q >= 0) {
        if (q <= P / 2 + 64) {
            (void)power(x.m, mb(5), i32(q));  // 5^q, q >= 0: cannot fail
            mul(x.m, x.m, N);
            x.e = q;
            return roundToFormat(x);
        }
        powerOfFiveBound(x, q, bits, up);
        mul(x.m, x.m, N);
        x.e += q;
        cutTo(x, bits, up);
        return roundToFormat(x);
    }
    i64 const n = -q;
    Wide five;
    bool exact = n <= NumBits(N) / 2 + 64;
    if (exact) {
        (void)power(five.m, mb(5), i32(n));  // 5^n, n >= 0: cannot fail
    } else {
        powerOfFiveBound(five, n, bits, !up);
    }
    // The quotient keeps at least bits + 1 bits. Exact division: the rounding
    // of floor(N 2^s / 5^n) 2^(-s-n) is that of the value once the quotient has
    // more than 32B bits, since ties go away from zero and only the first
    // dropped bit decides.
    i64 const want = (exact ? P : bits) + 2;
    i64 s = want + NumBits(five.m) - NumBits(N);
    if (s < 0) s = 0;
    mb scaled, remainder;
    mbShiftLeft(scaled, N, i32(s));
    (void)divRem(x.m, remainder, scaled, five.m);  // 5^n >= 1
    if (!exact && up && remainder.size != 0) add(x.m, x.m, mb(1));
    x.e = -s - five.e - n;
    return roundToFormat(x);
}

// The value of the digits (a signed integer) times 10^q, correctly rounded, or
// false beyond the range. With `inexact`, the true digits continue past these
// by a non-zero tail, and false asks for the digits in full.
bool roundDecimal(fp& r, mb const& digits, i64 q, bool inexact, bool& needAllDigits) {
    needAllDigits = false;
    i64 const P = 32 * i64(blockPrec);
    mb N = abs(digits);
    // Far outside: 2^(NumBits - 1) <= N < 2^NumBits and 3.32 < log2 10 < 3.33.
    double const lg = double(NumBits(N)) + double(q) * 3.321928094887362;
    if (lg > double(detail::maxExponent) + double(P) + 8) return false;
    if (lg < double(detail::minExponent) - 8) return false;
    mb Nhigh = N;
    if (inexact) add(Nhigh, N, mb(1));
    for (i64 bits = P + 64;; bits *= 2) {
        Rounded const low = roundBound(N, q, bits, false);
        Rounded const high = roundBound(Nhigh, q, bits, true);
        if (low == high) {
            if (low.kind != Rounded::value) return false;
            r.mantissa = low.m;
            if (digits.size < 0) r.mantissa.size = -r.mantissa.size;
            r.exponent = i32(low.e);
            return true;
        }
        // Bounds of width 2^(38 - bits) around a value that is no tie close
        // in on its rounding; the dropped digits' gap does not shrink.
        if (inexact && bits >= 2 * P + 128) {
            needAllDigits = true;
            return false;
        }
    }
}

}  // namespace

// Reads [sign] digits [. digits] [e exponent]; the value N * 10^q is rounded
// once, to nearest with ties away from zero, at B words (fewer bits at the
// bottom of the range, where the lowest bit cannot go below 2^minExponent).
// A non-zero value that rounds to zero or beyond the largest magnitude is
// refused, as is an exponent field outside 32 bits.
bool fpConvFromString(fp& r, char const* s) {
    if (s == nullptr || s[0] == '\0') return false;
    std::string const whole(s);
    for (bool allDigits : {false, true}) {
        std::string text = whole;
        i64 decimalExponent = 0;
        std::size_t const e = text.find_first_of("eE");
        if (e != std::string::npos) {
            std::string const exponentText = text.substr(e + 1, 21);
            if (!readExponent(exponentText.c_str(), decimalExponent)) return false;
            text.resize(e);
        }

        // Fraction digits move left over the point; whatever follows them is dropped.
        std::size_t const point = text.find('.');
        if (point != std::string::npos) {
            std::size_t end = point + 1;
            while (end < text.size() && isDigit(text[end])) ++end;
            std::size_t const fractionDigits = end - point - 1;
            text.erase(point, 1);
            text.resize(end - 1);
            decimalExponent -= i64(fractionDigits);
        }
        bool inexact = false;
        if (!allDigits) decimalExponent += dropExcessDigits(text, inexact);

        // Built aside, so that a text that cannot be read leaves r as it was.
        fp value;
        if (!mbConvFromStr(value.mantissa, text.c_str())) return false;
        if (value.mantissa.size == 0) {
            r = std::move(value);
            return true;
        }
        if (decimalExponent < detail::minExponent || decimalExponent > detail::maxExponent) return false;
        bool needAllDigits = false;
        mb const digits = value.mantissa;
        if (roundDecimal(value, digits, decimalExponent, inexact, needAllDigits)) {
            r = std::move(value);
            return true;
        }
        if (!needAllDigits) return false;
    }
    return false;
}

bool init(fp& r, char const* s) {
    init(r);
    if (!fpConvFromString(r, s)) return false;
    fpNormalize(r);
    return true;
}

bool equate(fp& r, char const* s) {
    detail::makeZero(r);
    return init(r, s);
}

fp::fp(char const* text) {
    fp value;
    if (init(value, text)) *this = std::move(value);
}

namespace {

// A double whose exact decimal expansion has at most fifteen significant digits
// (small integers, halves, quarters, ...) reads back from its text as itself:
// the reader gives it in shortest form, an odd mantissa, when it fits B words.
// False, r untouched, for any other double.
bool readsBackExactly(fp& r, double d) {
    int e2 = 0;
    double const f = std::frexp(std::fabs(d), &e2);
    u64 m = u64(std::ldexp(f, 53));  // |d| = m 2^(e2 - 53), exactly
    int const tz = std::countr_zero(m);
    m >>= tz;
    i64 const e = i64(e2) - 53 + tz;
    constexpr u64 fifteenDigits = 1000000000000000ull;  // 10^15
    if (e >= 0) {
        // An integer below 10^15 has at most fifteen digits.
        if (e > 50 || m >= fifteenDigits >> e) return false;
    } else {
        // m 2^-k = m 5^k 10^-k, and m 5^k (odd) has no trailing zero.
        u64 digits = m;
        for (i64 k = 0; k < -e; ++k) {
            if (digits >= fifteenDigits / 5) return false;
            digits *= 5;
        }
    }
    if (i64(std::bit_width(m)) > 32 * i64(blockPrec)) return false;  // rounded: the reader's job
    bool const two = m > 0xFFFFFFFFull;
    r.mantissa.size = two ? 2 : 1;
    update(r.mantissa);
    r.mantissa.words[0] = u32(m);
    if (two) r.mantissa.words[1] = u32(m >> 32);
    if (d < 0) r.mantissa.size = -r.mantissa.size;
    r.exponent = i32(e);
    return true;
}

}  // namespace

bool init(fp& r, double d) {
    if (!std::isfinite(d)) return false;  // r as it was
    if (d == 0.0) {
        init(r);
        return true;
    }
    if (readsBackExactly(r, d)) return true;
    // Fifteen significant digits, trailing zeros of the fraction removed.
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", d);
    if (char* e = std::strchr(text, 'e')) {
        char* zeros = e;
        while (zeros - 1 > text && zeros[-1] == '0') --zeros;
        std::memmove(zeros, e, std::strlen(e) + 1);
    }
    return init(r, text);
}

bool equate(fp& r, double d) {
    if (!std::isfinite(d)) return false;  // r as it was
    detail::makeZero(r);
    return init(r, d);
}

namespace {
// A NaN or an infinity where no false can be given back becomes what an
// overflow leaves, the largest magnitude (positive for NaN) with the flag
// raised, so that it is seen: findPolyRoots refuses such a coefficient.
void fromDouble(fp& r, double d) {
    if (std::isfinite(d))
        (void)equate(r, d);  // finite here
    else
        detail::saturate(r, !std::isnan(d) && d < 0 ? -1 : 1);
}
}  // namespace

fp::fp(double d) { fromDouble(*this, d); }

fp& fp::operator=(double d) {
    fromDouble(*this, d);
    return *this;
}

// Through the 16-figure text, not toDouble's exact rounding: its callers
// (the full-precision search among them) depend on these last bits.
bool equate(double& d, fp const& x) {
    d = 0.0;
    if (x.mantissa.size == 0) return true;
    OwnedText const text(fpToStr(x, 16));
    int const converted = std::sscanf(text.get(), "%lg", &d);
    // Beyond the largest double the value does not fit; below the smallest it
    // comes out as zero or a subnormal, its nearest doubles.
    if (converted != 1 || !std::isfinite(d)) {
        d = 0.0;
        return false;
    }
    return true;
}

double toDouble(fp const& x, i64& exponent) {
    exponent = 0;
    mb const& m = x.mantissa;
    i32 const n = m.size < 0 ? -m.size : m.size;
    if (n == 0) return 0.0;
    // The 64 bits from the leading one down (zeros below a short mantissa),
    // then 53 of them rounded to nearest, ties to even, with every bit below
    // the 64 as the sticky part.
    auto word = [&](i32 k) -> u64 { return n - k >= 0 ? m.words[n - k] : 0u; };
    i32 const top = NumBits(m.words[n - 1]);
    u64 const lead = (word(1) << (64 - top)) | (word(2) << (32 - top)) | (word(3) >> top);
    u64 kept = lead >> 11;
    u64 const rest = lead & 0x7FF;
    auto below = [&] {
        if ((word(3) & ((u64(1) << top) - 1)) != 0) return true;
        for (i32 k = 4; k <= n; ++k)
            if (word(k) != 0) return true;
        return false;
    };
    if (rest > 0x400 || (rest == 0x400 && ((kept & 1) != 0 || below()))) ++kept;
    exponent = i64(x.exponent) + 32 * (i64(n) - 1) + top;
    if (kept == (u64(1) << 53)) {
        kept >>= 1;
        ++exponent;
    }
    double const v = double(kept) * 0x1p-53;  // exact: kept < 2^53
    return m.size < 0 ? -v : v;
}

double toDouble(fp const& x) {
    i64 e = 0;
    double const m = toDouble(x, e);
    // Beyond 2^+-4096 every double is infinite or 0 already: ldexp takes an int.
    return std::ldexp(m, int(std::clamp<i64>(e, -4096, 4096)));
}

}  // namespace korvel
