// Writing decimal text with a chosen number of significant digits.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>

#include "fp/internal.h"

namespace korvel {

namespace {

// The digits D (no trailing zeros) of |x| = D * 10^q in the layout the user reads:
// scientific when q > 3 or more than three zeros would follow the point.
std::string layout(bool negative, std::string const& D, i64 q) {
    i64 const n = i64(D.size());
    std::string out = negative ? "-" : "";
    if (q > 3 || q < -n - 3) {
        out += D[0];
        if (n > 1) {  // one digit has no point: 2e30
            out += '.';
            out.append(D, 1, std::string::npos);
        }
        out += 'e';
        out += std::to_string(q + n - 1);
    } else if (q >= 0) {
        out += D;
        out.append(std::size_t(q), '0');
    } else if (q > -n) {
        out.append(D, 0, std::size_t(n + q));
        out += '.';
        out.append(D, std::size_t(n + q), std::string::npos);
    } else {
        out += "0.";
        out.append(std::size_t(-n - q), '0');
        out += D;
    }
    return out;
}

}  // namespace

std::string toString(fp const& x, int digits) {
    if (digits <= 0) return {};  // no figures asked for, none written
    if (x.mantissa.size == 0) return "0";
    if (digits > maxStringDigits) digits = maxStringDigits;
    ScopedBlockPrec restore(blockPrec);

    thread_local fp xt, log_2_10, temp, tenToDecPrec, approxX;  // per thread: working storage reused between calls
    thread_local mb xtInt;  // per thread: working storage reused between calls
    thread_local fp const ten = [] {  // per thread: constants made once on each thread
        fp v;
        init(v, 10);
        return v;
    }();
    thread_local fp const five = [] {
        fp v;
        init(v, 5);
        return v;
    }();
    thread_local fp const pointFive = [] {
        fp v;
        init(v, 1);
        v.exponent = -1;
        return v;
    }();

    equateWithCare(xt, x);
    i32 const lg = Lg2(x);
    i32 const estimateBits = NumBits(digits) > NumBits(lg) ? NumBits(digits) : NumBits(lg);
    blockPrec = (estimateBits + 10) / 32 > 1 ? (estimateBits + 10) / 32 : 1;

    // Estimates in a word or so: the working precision W and the decimal exponent.
    // log2(10) at this precision, from the doubles' logarithms (as read from
    // their 15-figure text), made once per thread and precision: every call
    // at that precision would make the same value.
    thread_local i32 log_2_10Prec = 0;  // per thread: the precision log_2_10 was made at
    if (log_2_10Prec != blockPrec) {
        fp ln2, ln10;
        // Finite constants and non-zero divisors throughout: nothing here can fail.
        (void)init(ln2, std::log(2.0));
        (void)init(ln10, std::log(10.0));
        (void)div(log_2_10, ln10, ln2);
        log_2_10Prec = blockPrec;
    }
    // Whole numbers are held exactly, as their text would give them.
    fp factor;
    equate(factor, digits);
    mul(temp, log_2_10, factor);
    equate(factor, 32);
    (void)div(temp, temp, factor);
    i32 const W = to_long(temp) + 2;
    equate(factor, lg);
    (void)div(temp, factor, log_2_10);
    i32 const e = to_long(temp);

    blockPrec = W;
    bool const negative = xt.mantissa.size < 0;
    if (negative) xt.mantissa.size = -xt.mantissa.size;

    // Scale to 10^(d-1) <= xt < 10^d, so that xt is about |x| * 10^k.
    i64 k = i64(digits) - e;
    (void)power(tenToDecPrec, ten, digits);
    // x / 10^e as (x / 5^e) 2^-e: 5^e (2.32 |e| bits) stays well inside the
    // exponent's range where 10^e (3.32 |e|) would leave it at its ends, and
    // the quotient's exponent moves exactly.
    (void)power(approxX, five, e);
    (void)div(xt, xt, approxX);
    xt.exponent = i32(i64(xt.exponent) - e);  // |x / 10^e| is near 1: in range
    mul(xt, xt, tenToDecPrec);
    while (compare(xt, tenToDecPrec) < 0) {
        mul(xt, xt, ten);
        ++k;
    }
    while (compare(xt, tenToDecPrec) >= 0) {
        (void)div(xt, xt, ten);
        --k;
    }
    add(xt, xt, pointFive);  // round half up; may reach 10^d
    equate(xtInt, xt);

    std::string D = toString(xtInt);
    std::size_t const kept = D.find_last_not_of('0') + 1;
    i64 const q = i64(D.size() - kept) - k;
    D.resize(kept);
    return layout(negative, D, q);
}

char* fpToStr(fp const& x, i32 digits) { return mallocText(toString(x, digits)); }

char* equate(char*& t, fp const& x, i32 digits) {
    t = fpToStr(x, digits);
    return t;
}

std::ostream& operator<<(std::ostream& os, fp const& x) {
    os << toString(x, decPrec);
    return os;
}

}  // namespace korvel
