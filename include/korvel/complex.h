// Complex numbers: two fp parts at the working precision. All rounding happens
// in the fp operations; a complex result is the exact composition of the fp
// operations named in each routine. Division by zero gives 0 + 0i silently.
//
// Threads: as for fp, routines may run on several threads at once on distinct
// objects; working values are per thread and the precision is the thread's own.
#pragma once

#include <iosfwd>
#include <string>
#include <type_traits>

#include <korvel/fp.h>
#include <korvel/export.h>

KORVEL_API_BEGIN
namespace korvel {

struct fpComplex {
    fp re;
    fp im;

    fpComplex() = default;
    // A NaN or infinite part becomes the largest magnitude with the overflow
    // flag raised, as fp(double) does; findPolyRoots refuses such a coefficient.
    fpComplex(double x);
    fpComplex(double x, double y);
    fpComplex(fp const& x, fp const& y);
    explicit fpComplex(char const* text);                    // 0 + 0i when unreadable
    fpComplex(char const* realText, char const* imagText);   // 0 + 0i when unreadable

    fpComplex& operator=(fp const& x);    // (x, 0)
    fpComplex& operator=(mb const& x);
    fpComplex& operator=(double x);
    fpComplex& operator=(char const* text);

    fpComplex operator+(fpComplex const& z) const;
    fpComplex operator-(fpComplex const& z) const;
    fpComplex operator*(fpComplex const& z) const;
    fpComplex operator/(fpComplex const& z) const;
    fpComplex operator+(fp const& x) const;
    fpComplex operator+(mb const& x) const;
    fpComplex operator+(double x) const;
    fpComplex operator-(fp const& x) const;
    fpComplex operator-(mb const& x) const;
    fpComplex operator-(double x) const;
    fpComplex operator*(fp const& x) const;
    fpComplex operator*(mb const& x) const;
    fpComplex operator*(double x) const;
    fpComplex operator/(fp const& x) const;  // 0 + 0i for a zero divisor
    fpComplex operator/(mb const& x) const;
    fpComplex operator/(double x) const;
    fpComplex operator-() const;

    fpComplex& operator+=(fpComplex const& z);
    fpComplex& operator-=(fpComplex const& z);
    fpComplex& operator*=(fpComplex const& z);
    fpComplex& operator/=(fpComplex const& z);
    fpComplex& operator+=(fp const& x);
    fpComplex& operator+=(mb const& x);
    fpComplex& operator+=(double x);
    fpComplex& operator-=(fp const& x);
    fpComplex& operator-=(mb const& x);
    fpComplex& operator-=(double x);
    fpComplex& operator*=(fp const& x);
    fpComplex& operator*=(mb const& x);
    fpComplex& operator*=(double x);
    fpComplex& operator/=(fp const& x);  // 0 + 0i for a zero divisor
    fpComplex& operator/=(mb const& x);
    fpComplex& operator/=(double x);

    // Part by part, as fp compares; != and the forms with the other operand
    // first are rewritten from these.
    bool operator==(fpComplex const& z) const = default;
    bool operator==(fp const& x) const;  // re == x and im == 0
    bool operator==(mb const& x) const;
    bool operator==(double x) const;
    bool operator!() const;  // both parts zero
};

fpComplex operator+(double x, fpComplex const& z);
fpComplex operator-(double x, fpComplex const& z);
fpComplex operator*(double x, fpComplex const& z);
fpComplex operator/(double x, fpComplex const& z);
fpComplex operator+(mb const& x, fpComplex const& z);
fpComplex operator-(mb const& x, fpComplex const& z);
fpComplex operator*(mb const& x, fpComplex const& z);
fpComplex operator/(mb const& x, fpComplex const& z);
fpComplex operator+(fp const& x, fpComplex const& z);
fpComplex operator-(fp const& x, fpComplex const& z);
fpComplex operator*(fp const& x, fpComplex const& z);
fpComplex operator/(fp const& x, fpComplex const& z);

// ---- assignment ----------------------------------------------------------------------
bool init(fpComplex& z);  // both parts zero, nothing released (for raw storage)
void equate(fpComplex& r, fpComplex const& z);
void equate(fpComplex& r, fp const& x);           // (x, 0)
void equate(fpComplex& r, mb const& x);
void equate(fpComplex& r, double x);
void equate(fpComplex& r, fp const& x, fp const& y);  // (x, y)
void equate(fpComplex& r, mb const& x, mb const& y);
void equate(fpComplex& r, double x, double y);

// ---- arithmetic (r may be any operand) ----------------------------------------------
void add(fpComplex& r, fpComplex const& a, fpComplex const& b);
void add(fpComplex& r, fp const& x, fpComplex const& z);
void add(fpComplex& r, mb const& x, fpComplex const& z);
void add(fpComplex& r, double x, fpComplex const& z);
void add(fpComplex& r, fpComplex const& z, fp const& x);
void add(fpComplex& r, fpComplex const& z, mb const& x);
void add(fpComplex& r, fpComplex const& z, double x);
void sub(fpComplex& r, fpComplex const& a, fpComplex const& b);
void sub(fpComplex& r, fp const& x, fpComplex const& z);
void sub(fpComplex& r, mb const& x, fpComplex const& z);
void sub(fpComplex& r, double x, fpComplex const& z);
void sub(fpComplex& r, fpComplex const& z, fp const& x);
void sub(fpComplex& r, fpComplex const& z, mb const& x);
void sub(fpComplex& r, fpComplex const& z, double x);
void mul(fpComplex& r, fpComplex const& a, fpComplex const& b);
void mul(fpComplex& r, fp const& x, fpComplex const& z);
void mul(fpComplex& r, mb const& x, fpComplex const& z);
void mul(fpComplex& r, double x, fpComplex const& z);
void mul(fpComplex& r, fpComplex const& z, fp const& x);
void mul(fpComplex& r, fpComplex const& z, mb const& x);
void mul(fpComplex& r, fpComplex const& z, double x);
// A factor of many products at one precision, as in Horner's rule: z with the
// sum of its parts, which every product by z with no zero part needs, formed
// once, by the first such product. mul(r, a, f) is mul(r, a, f.z) word for
// word while blockPrec is unchanged; z must outlive f and stay unchanged.
struct RepeatedFactor {
    explicit RepeatedFactor(fpComplex const& factor) : z(factor) {}
    fpComplex const& z;
    mutable fp partsSum;  // z.re + z.im once formed
    mutable bool formed = false;
};
void mul(fpComplex& r, fpComplex const& a, RepeatedFactor const& f);
void div(fpComplex& r, fpComplex const& a, fpComplex const& b);  // 0 + 0i for b = 0
void div(fpComplex& r, fp const& x, fpComplex const& z);
void div(fpComplex& r, mb const& x, fpComplex const& z);
void div(fpComplex& r, double x, fpComplex const& z);
void div(fpComplex& r, fpComplex const& z, fp const& x);
void div(fpComplex& r, fpComplex const& z, mb const& x);
void div(fpComplex& r, fpComplex const& z, double x);

// ---- functions -------------------------------------------------------------------------
fp abs(fpComplex const& z);                     // modulus
void sqrt(fpComplex& r, fpComplex const& z);    // principal root, cut on the negative reals
fpComplex sqrt(fpComplex const& z);
fpComplex conj(fpComplex const& z);
void sqr(fpComplex& r, fpComplex const& z);
fpComplex sqr(fpComplex const& z);

// ---- elementary functions (r may be the operand) -------------------------------------
// The real-axis branch cuts take the side of the imaginary part +0, as sqrt does.
void atan2(fp& a, fpComplex const& z);          // angle of z in (-pi, pi]; 0 for z = 0
fp atan2(fpComplex const& z);
void exp(fpComplex& r, fpComplex const& z);     // e^z
fpComplex exp(fpComplex const& z);
void log(fpComplex& r, fpComplex const& z);     // principal logarithm; log(0) = 0
fpComplex log(fpComplex const& z);
void powInteger(fpComplex& r, fpComplex const& z, bool negative, u64 magnitude);  // z^(+-magnitude)
template <MachineInteger T>
void pow(fpComplex& r, fpComplex const& z, T n) {  // z^n by squaring; z^0 = 1, 0^n = 0
    if constexpr (std::is_signed_v<T>)
        powInteger(r, z, n < 0, n < 0 ? u64(0) - u64(n) : u64(n));
    else
        powInteger(r, z, false, u64(n));
}
template <MachineInteger T>
fpComplex pow(fpComplex const& z, T n) {
    fpComplex r;
    pow(r, z, n);
    return r;
}
void pow(fpComplex& r, fpComplex const& z, fpComplex const& w);  // e^(w log z); z^0 = 1, 0^w = 0
fpComplex pow(fpComplex const& z, fpComplex const& w);
void pow(fpComplex& r, double x, fpComplex const& w);            // (x, 0)^w
fpComplex pow(double x, fpComplex const& w);
void pow(fpComplex& r, fp const& x, fpComplex const& w);         // (x, 0)^w
fpComplex pow(fp const& x, fpComplex const& w);
// The integer power when d holds an integer of at most 63 bits, else (d, 0) as the
// exponent; a NaN or infinite d leaves r as it was.
void pow(fpComplex& r, fpComplex const& z, double d);
fpComplex pow(fpComplex const& z, double d);
void pow(fpComplex& r, fpComplex const& z, fp const& x);         // z^(x, 0), always by log
fpComplex pow(fpComplex const& z, fp const& x);
void sin(fpComplex& r, fpComplex const& z);
fpComplex sin(fpComplex const& z);
void cos(fpComplex& r, fpComplex const& z);
fpComplex cos(fpComplex const& z);
void tan(fpComplex& r, fpComplex const& z);     // 0 where cos z is 0
fpComplex tan(fpComplex const& z);
void sinh(fpComplex& r, fpComplex const& z);    // -i sin(iz)
fpComplex sinh(fpComplex const& z);
void cosh(fpComplex& r, fpComplex const& z);    // cos(iz)
fpComplex cosh(fpComplex const& z);
void tanh(fpComplex& r, fpComplex const& z);    // -i tan(iz)
fpComplex tanh(fpComplex const& z);
void asin(fpComplex& r, fpComplex const& z);    // principal, cuts on |x| > 1
fpComplex asin(fpComplex const& z);
void acos(fpComplex& r, fpComplex const& z);    // principal, real part in [0, pi]
fpComplex acos(fpComplex const& z);
void atan(fpComplex& r, fpComplex const& z);    // principal, cuts on |y| > 1; atan(+-i) = 0
fpComplex atan(fpComplex const& z);
void asinh(fpComplex& r, fpComplex const& z);   // -i asin(iz)
fpComplex asinh(fpComplex const& z);
void acosh(fpComplex& r, fpComplex const& z);   // principal, real part >= 0
fpComplex acosh(fpComplex const& z);
void atanh(fpComplex& r, fpComplex const& z);   // principal; atanh(+-1) = 0
fpComplex atanh(fpComplex const& z);

// ---- text --------------------------------------------------------------------------------
[[nodiscard]] bool fpConvFromString(fpComplex& z, char const* s);  // "re", "re,im", "(re, im)"
[[nodiscard]] bool fpConvFromString(fpComplex& z, char const* realText, char const* imagText);
char* fpComplexToStr(fpComplex const& z, i32 digits);  // "(re , im)", malloc'd
std::string toString(fpComplex const& z, int figures);  // "(re , im)", the text of fpComplexToStr
std::ostream& operator<<(std::ostream& os, fpComplex const& z);  // "(re, im)" at decPrec digits

}  // namespace korvel
KORVEL_API_END
