// Operators: thin wrappers over the free functions and the fp operators.
#include <korvel/complex.h>

namespace korvel {

fpComplex fpComplex::operator+(fpComplex const& z) const { fpComplex r; add(r, *this, z); return r; }
fpComplex fpComplex::operator-(fpComplex const& z) const { fpComplex r; sub(r, *this, z); return r; }
fpComplex fpComplex::operator*(fpComplex const& z) const { fpComplex r; mul(r, *this, z); return r; }
fpComplex fpComplex::operator/(fpComplex const& z) const { fpComplex r; div(r, *this, z); return r; }
fpComplex fpComplex::operator+(fp const& x) const { return fpComplex(re + x, im); }
fpComplex fpComplex::operator+(mb const& x) const { return fpComplex(re + x, im); }
fpComplex fpComplex::operator+(double x) const { return fpComplex(re + x, im); }
fpComplex fpComplex::operator-(fp const& x) const { return fpComplex(re - x, im); }
fpComplex fpComplex::operator-(mb const& x) const { return fpComplex(re - x, im); }
fpComplex fpComplex::operator-(double x) const { return fpComplex(re - x, im); }
fpComplex fpComplex::operator*(fp const& x) const { return fpComplex(re * x, im * x); }
fpComplex fpComplex::operator*(mb const& x) const { return fpComplex(re * x, im * x); }
fpComplex fpComplex::operator*(double x) const { return fpComplex(re * x, im * x); }
fpComplex fpComplex::operator/(fp const& x) const { return !x ? fpComplex() : fpComplex(re / x, im / x); }
fpComplex fpComplex::operator/(mb const& x) const { return !x ? fpComplex() : fpComplex(re / x, im / x); }
fpComplex fpComplex::operator/(double x) const { return x == 0.0 ? fpComplex() : fpComplex(re / x, im / x); }
fpComplex fpComplex::operator-() const { return fpComplex(-re, -im); }

fpComplex& fpComplex::operator+=(fpComplex const& z) { add(*this, *this, z); return *this; }
fpComplex& fpComplex::operator-=(fpComplex const& z) { sub(*this, *this, z); return *this; }
fpComplex& fpComplex::operator*=(fpComplex const& z) { mul(*this, *this, z); return *this; }
fpComplex& fpComplex::operator/=(fpComplex const& z) { div(*this, *this, z); return *this; }
fpComplex& fpComplex::operator+=(fp const& x) { re += x; return *this; }
fpComplex& fpComplex::operator+=(mb const& x) { re += x; return *this; }
fpComplex& fpComplex::operator+=(double x) { re += x; return *this; }
fpComplex& fpComplex::operator-=(fp const& x) { re -= x; return *this; }
fpComplex& fpComplex::operator-=(mb const& x) { re -= x; return *this; }
fpComplex& fpComplex::operator-=(double x) { re -= x; return *this; }
fpComplex& fpComplex::operator*=(fp const& x) { re *= x; im *= x; return *this; }
fpComplex& fpComplex::operator*=(mb const& x) { re *= x; im *= x; return *this; }
fpComplex& fpComplex::operator*=(double x) { re *= x; im *= x; return *this; }
fpComplex& fpComplex::operator/=(fp const& x) { return *this = *this / x; }
fpComplex& fpComplex::operator/=(mb const& x) { return *this = *this / x; }
fpComplex& fpComplex::operator/=(double x) { return *this = *this / x; }

bool fpComplex::operator==(fp const& x) const { return re == x && !im; }
bool fpComplex::operator==(mb const& x) const { return re == x && !im; }
bool fpComplex::operator==(double x) const { return re == x && !im; }
bool fpComplex::operator!() const { return !re && !im; }

fpComplex operator+(double x, fpComplex const& z) { return fpComplex(x + z.re, z.im); }
fpComplex operator-(double x, fpComplex const& z) { return fpComplex(x - z.re, -z.im); }
fpComplex operator*(double x, fpComplex const& z) { return fpComplex(x * z.re, x * z.im); }
fpComplex operator/(double x, fpComplex const& z) { fpComplex r; div(r, x, z); return r; }
fpComplex operator+(mb const& x, fpComplex const& z) { return fpComplex(x + z.re, z.im); }
fpComplex operator-(mb const& x, fpComplex const& z) { return fpComplex(x - z.re, -z.im); }
fpComplex operator*(mb const& x, fpComplex const& z) { return fpComplex(x * z.re, x * z.im); }
fpComplex operator/(mb const& x, fpComplex const& z) { fpComplex r; div(r, x, z); return r; }
fpComplex operator+(fp const& x, fpComplex const& z) { return fpComplex(x + z.re, z.im); }
fpComplex operator-(fp const& x, fpComplex const& z) { return fpComplex(x - z.re, -z.im); }
fpComplex operator*(fp const& x, fpComplex const& z) { return fpComplex(x * z.re, x * z.im); }
fpComplex operator/(fp const& x, fpComplex const& z) { fpComplex r; div(r, x, z); return r; }

}  // namespace korvel
