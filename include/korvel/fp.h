// Binary floating point of any precision: value = mantissa * 2^exponent.
//
// The working precision `blockPrec` (B) is a number of 32-bit words; every
// arithmetic result is rounded to B words by fpNormalize, to nearest with ties
// away from zero. A mantissa of at most B words is kept exactly as computed,
// so a value has many forms (1 is mantissa 1, exponent 0 or mantissa 2,
// exponent -1) and everything that looks at a value accepts any form.
//
// The exponent is a signed 32-bit count of bits. A result whose exponent would
// fall below its range is truncated toward zero (to zero, in practice); one
// whose exponent would rise above it is saturated to the largest magnitude of
// B words and raises the sticky flag read by fpOverflowed(). Exponents never wrap.
//
// Threads: any routine may run on several threads at once on distinct objects.
// blockPrec, decPrec, the overflow flag, the cached constants (ln 2, e, pi, ln 10)
// and every working value are per thread, so each thread computes as if alone
// and sets its own precision (a new thread starts at B = 5).
//
// Unlike double: `x << n` and `x >> n` scale x itself by 2^n and 2^-n and return
// it (`y = x << 3` changes x too); `^` is pow, not exclusive or, and binds more
// loosely than `+` and `==` (write (x ^ 2) + 1); floor truncates toward zero
// (floor(-1.5) is -1); `/` by zero gives 0.
#pragma once

#include <compare>
#include <iosfwd>
#include <string>

#include <korvel/mb.h>
#include <korvel/export.h>

KORVEL_API_BEGIN
namespace korvel {

struct fp {
    mb mantissa;
    i32 exponent = 0;

    fp() = default;
    fp(fp const&) = default;
    fp(fp&&) noexcept = default;
    fp(double d);                     // through the decimal text of d ("%.14e"); see "doubles" below
    explicit fp(char const* text);    // zero when the text cannot be read
    ~fp() = default;
    fp& operator=(fp const& y);       // exact storage; a zero source releases it
    fp& operator=(fp&& y) noexcept = default;
    fp& operator=(mb const& y);       // equate(fp&, mb const&)
    fp& operator=(double d);
    bool operator!() const { return mantissa.size == 0; }

    // Shift the binary point: exponent += n (or -= n) in place, exact.
    fp& operator<<(i32 n);
    fp& operator>>(i32 n);

    fp& operator+=(fp const& y);
    fp& operator+=(mb const& y);
    fp& operator+=(double y);
    fp& operator-=(fp const& y);
    fp& operator-=(mb const& y);
    fp& operator-=(double y);
    fp& operator*=(fp const& y);
    fp& operator*=(mb const& y);
    fp& operator*=(double y);
    fp& operator/=(fp const& y);  // division by zero leaves the value unchanged
    fp& operator/=(mb const& y);
    fp& operator/=(double y);
    fp& operator^=(fp const& y);  // pow
    fp& operator^=(double y);
    fp& operator++();
    fp& operator--();
    void operator++(int);
    void operator--(int);

    fp operator+(fp const& y) const;
    fp operator+(mb const& y) const;
    fp operator+(double y) const;
    fp operator-(fp const& y) const;
    fp operator-(mb const& y) const;
    fp operator-(double y) const;
    fp operator*(fp const& y) const;
    fp operator*(mb const& y) const;
    fp operator*(double y) const;
    fp operator/(fp const& y) const;  // zero for division by zero
    fp operator/(mb const& y) const;
    fp operator/(double y) const;
    fp operator^(fp const& y) const;
    fp operator^(double y) const;
    fp operator-() const;
};

fp operator+(double x, fp const& y);
fp operator-(double x, fp const& y);
fp operator*(double x, fp const& y);
fp operator/(double x, fp const& y);
fp operator+(mb const& x, fp const& y);
fp operator-(mb const& x, fp const& y);
fp operator*(mb const& x, fp const& y);
fp operator/(mb const& x, fp const& y);

// By value, as compare(x, y), whatever the forms (so the ordering is weak: equal
// values may differ in mantissa and exponent). The other operators, and the
// forms with mb or double first, are rewritten from these.
bool operator==(fp const& x, fp const& y);
std::weak_ordering operator<=>(fp const& x, fp const& y);
bool operator==(fp const& x, mb const& y);
std::weak_ordering operator<=>(fp const& x, mb const& y);
bool operator==(fp const& x, double y);  // y enters as fp(y)
std::weak_ordering operator<=>(fp const& x, double y);

// ---- precision -------------------------------------------------------------------
// Both are per thread, so that computations on two threads (two root searches,
// say) each keep their own precision; a new thread starts at the initial values.
extern thread_local i32 blockPrec;  // working precision in words (initially 5)
extern thread_local i32 decPrec;    // digits written by operator<< (initially 16)
// Precisions from 1 to maxBlockPrec words (about ten million decimal digits);
// setBlockPrec clamps a value outside that range to its nearer end.
inline constexpr i32 maxBlockPrec = i32(1) << 20;
void setBlockPrec(i32 v);
i32 getBlockPrec();
void setDecPrec(i32 v);    // |v|; 0 gives 16
i32 getDecPrec();

// Raises (or sets) blockPrec for a scope and puts the old value back on exit.
class ScopedBlockPrec {
public:
    explicit ScopedBlockPrec(i32 precision) : saved_(blockPrec) { blockPrec = precision; }
    ScopedBlockPrec(ScopedBlockPrec const&) = delete;
    ScopedBlockPrec& operator=(ScopedBlockPrec const&) = delete;
    ~ScopedBlockPrec() { blockPrec = saved_; }

private:
    i32 saved_;
};

// ---- exponent range --------------------------------------------------------------
// The flag is kept per thread: a computation sees only its own overflows.
bool fpOverflowed();        // a result's exponent rose above its range since the last clear
void fpClearOverflow();
void fpRaiseOverflow();     // raises the flag, as an overflow would (for work done on other threads)

// Tells whether an overflow happened within a scope, without losing one that
// happened before it: the flag is cleared on entry and raised again on exit
// when it was raised before.
class OverflowWatch {
public:
    OverflowWatch() : earlier_(fpOverflowed()) { fpClearOverflow(); }
    OverflowWatch(OverflowWatch const&) = delete;
    OverflowWatch& operator=(OverflowWatch const&) = delete;
    ~OverflowWatch();
    bool overflowed() const { return fpOverflowed(); }

private:
    bool earlier_;
};

// ---- representation ----------------------------------------------------------------
i32 init(fp& x);                          // zero, nothing released; returns 1
template <MachineInteger T>
i32 init(fp& x, T n);                     // x = n, normalised; returns 1
template <MachineInteger T>
void equate(fp& r, T n);                  // r = n, exponent 0
void equate(fp& r, fp const& x);          // copy, exact storage, no normalisation
void equateWithCare(fp& r, fp const& x);  // copy, storage reused when large enough
void equate(fp& r, mb const& x);          // r = x, exponent 0
void equate(mb& r, fp const& x);          // r = integer part of x, toward zero
void fpNormalize(fp& x);                  // round to at most B words, ties away from zero
fp abs(fp const& x);                      // |x|
void sqr(fp& r, fp const& x);             // r = x * x
fp sqr(fp const& x);
i32 Lg2(fp const& x);                     // floor(log2 |x|); 0 for zero

// ---- arithmetic --------------------------------------------------------------------
void add(fp& r, fp const& x, fp const& y);   // r = x + y
void sub(fp& r, fp const& x, fp const& y);   // r = x - y
void mul(fp& r, fp const& x, fp const& y);   // r = x * y (short product)
[[nodiscard]] bool div(fp& r, fp const& x, fp const& y);  // r = x / y; false for y = 0, r unchanged
i32 fpCompareAbs(fp const& x, fp const& y);  // sign(|x| - |y|)
i32 compare(fp const& x, fp const& y);       // sign(x - y)
[[nodiscard]] bool power(fp& r, fp const& x, i32 n);  // r = x^n; false for 0^n, n <= 0

void add(fp& r, mb const& x, fp const& y);
void add(fp& r, fp const& x, mb const& y);
void sub(fp& r, mb const& x, fp const& y);
void sub(fp& r, fp const& x, mb const& y);
void mul(fp& r, mb const& x, fp const& y);
void mul(fp& r, fp const& x, mb const& y);
[[nodiscard]] bool div(fp& r, mb const& x, fp const& y);
[[nodiscard]] bool div(fp& r, fp const& x, mb const& y);

// A double operand enters through its 15-digit decimal text.
void add(fp& r, double x, fp const& y);
void add(fp& r, fp const& x, double y);
void sub(fp& r, double x, fp const& y);
void sub(fp& r, fp const& x, double y);
void mul(fp& r, double x, fp const& y);
void mul(fp& r, fp const& x, double y);
[[nodiscard]] bool div(fp& r, double x, fp const& y);
[[nodiscard]] bool div(fp& r, fp const& x, double y);

// ---- elementary functions ------------------------------------------------------
void sqrt(fp& r, fp const& x);            // r = sqrt(x), B words truncated; x < 0 leaves r
fp sqrt(fp const& x);
void power2(fp& r, i32 n);                // r = 2^n exactly
fp power2(i32 n);
// r = x^n; false (r = 0) above the exponent's range, 0 below it; false with r
// unchanged for 0^n, n < 0.
[[nodiscard]] bool pow(fp& r, fp const& x, i32 n);
fp pow(fp const& x, i32 n);
// r = x^y; false for x < 0 with y not an integer, as for the integer form otherwise.
[[nodiscard]] bool pow(fp& r, fp const& x, fp const& y);
[[nodiscard]] bool pow(fp& r, double x, fp const& y);
[[nodiscard]] bool pow(fp& r, fp const& x, double y);
fp pow(fp const& x, fp const& y);
fp pow(double x, fp const& y);
fp pow(fp const& x, double y);
void log(fp& r, fp const& x);             // natural logarithm; x <= 0 leaves r
fp log(fp const& x);
// out = ln x for x > 0, within one ulp; false (out unchanged) otherwise.
[[nodiscard]] bool log(double& out, mb const& x);
double log(mb const& x);                 // ln x within one ulp; NaN for x < 0, -inf for 0
void exp(fp& r, fp const& x);             // e^x
fp exp(fp const& x);
void ComputeLn2(fp& r);                   // ln 2 at B, cached per precision
void ComputeE(fp& r);                     // e at B, cached per precision
void ComputePi(fp& r);                    // pi at B, cached per precision
fp Pi();
void ComputeLog_10(fp& r);                // ln 10 at B, cached per precision

// ---- trigonometric and hyperbolic functions ------------------------------------
// Arguments outside a function's domain leave r as it was (the value forms then
// return zero): tan where cos is zero, asin and acos of |x| > 1, acosh of x < 1,
// atanh of |x| >= 1, and sin, cos, tan of |x| >= 2^1001.
void sin(fp& r, fp const& x);             // sine
fp sin(fp const& x);
void cos(fp& r, fp const& x);             // cosine
fp cos(fp const& x);
void tan(fp& r, fp const& x);             // tangent
fp tan(fp const& x);
void atan(fp& r, fp const& x);            // arc tangent in [-pi/2, pi/2]
fp atan(fp const& x);
void atan2(fp& r, fp const& y, fp const& x);  // angle of (x, y) in (-pi, pi]; atan2(0, 0) = 0
fp atan2(fp const& y, fp const& x);
void asin(fp& r, fp const& x);            // arc sine in [-pi/2, pi/2]
fp asin(fp const& x);
void acos(fp& r, fp const& x);            // arc cosine in [0, pi]
fp acos(fp const& x);
void sinh(fp& r, fp const& x);            // hyperbolic sine; saturates with the overflow flag
fp sinh(fp const& x);
void cosh(fp& r, fp const& x);            // hyperbolic cosine; saturates with the overflow flag
fp cosh(fp const& x);
void tanh(fp& r, fp const& x);            // hyperbolic tangent
fp tanh(fp const& x);
void asinh(fp& r, fp const& x);           // inverse hyperbolic sine
fp asinh(fp const& x);
void acosh(fp& r, fp const& x);           // inverse hyperbolic cosine, x >= 1
fp acosh(fp const& x);
void atanh(fp& r, fp const& x);           // inverse hyperbolic tangent, |x| < 1
fp atanh(fp const& x);

// ---- text and machine numbers ----------------------------------------------------
// Decimal text, correctly rounded to B words (to nearest, ties away from zero).
// False, with r unchanged, when unreadable or when a non-zero value would round
// to zero, lose bits below 2^INT_MIN (keeping fewer than B words), or lie beyond
// the largest magnitude.
[[nodiscard]] bool fpConvFromString(fp& r, char const* s);
[[nodiscard]] bool init(fp& r, char const* s);  // read s into a fresh r, normalised
[[nodiscard]] bool equate(fp& r, char const* s);
// At most `digits` significant digits, malloc'd; a count above maxStringDigits
// is taken as maxStringDigits, and a count below 1 gives the empty text "".
// Scientific form writes one digit without a point: 2e30, 1.5e-7.
inline constexpr i32 maxStringDigits = 100000;
char* fpToStr(fp const& x, i32 digits);
std::string toString(fp const& x, int figures);  // the text of fpToStr(x, figures)
char* equate(char*& t, fp const& x, i32 digits);
std::ostream& operator<<(std::ostream& os, fp const& x);  // fpToStr(x, decPrec)

// A NaN or an infinity: the bool forms return false and leave r unchanged; the
// forms that cannot say so (the constructor, operator=, the double operands of
// arithmetic and comparison, the fpComplex forms built on them) give the
// largest magnitude of B words as an overflow does (positive for NaN, with the
// infinity's sign otherwise) and raise the flag fpOverflowed() reports.
// findPolyRoots refuses a coefficient at that magnitude.
[[nodiscard]] bool init(fp& r, double d);  // through the text "%.14e" of d; false (r unchanged) for NaN, +-inf
[[nodiscard]] bool equate(fp& r, double d);
[[nodiscard]] bool equate(double& d, fp const& x);  // through fpToStr(x, 16); false and 0 beyond the double range
i32 to_long(fp const& x);                // low 32 bits of the integer part, signed
[[nodiscard]] bool equate(i32& v, fp const& x);  // v = x when x is an integer that fits
void floor(fp& r, fp const& x);          // integer part, toward zero
fp floor(fp const& x);
bool isItInteger(fp const& x);
bool isItEven(fp const& x);              // for integer values

// x = m 2^exponent with 0.5 <= |m| < 1 and m x's mantissa rounded once to the
// nearest double (ties to even): exact up to that rounding, a relative 2^-53,
// for every fp exponent, since the exponent stands apart. 0 (exponent 0) for 0.
double toDouble(fp const& x, i64& exponent);
// x as a double: toDouble's m scaled by 2^exponent; +-inf beyond the range of
// doubles, and below it a subnormal (rounded a second time) or 0.
double toDouble(fp const& x);

template <MachineInteger T>
void equate(fp& r, T n) {
    equate(r.mantissa, n);
    r.exponent = 0;
}

template <MachineInteger T>
i32 init(fp& x, T n) {
    init(x);
    equate(x.mantissa, n);
    fpNormalize(x);
    return 1;
}

}  // namespace korvel
KORVEL_API_END
