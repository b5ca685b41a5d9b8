// The operator surface: thin wrappers over the free functions. An operator
// cannot report a failure: a division by zero or a failed pow leaves the left
// operand as it was, and a new value at 0, as the header says (hence the voids).
#include "fp/internal.h"

namespace korvel {

namespace {
fp fromMb(mb const& m) {
    fp t;
    equate(t, m);
    return t;
}
}  // namespace

fp& fp::operator<<(i32 n) {
    detail::fitExponent(*this, i64(exponent) + n);
    return *this;
}
fp& fp::operator>>(i32 n) {
    detail::fitExponent(*this, i64(exponent) - n);
    return *this;
}

fp& fp::operator+=(fp const& y) { add(*this, *this, y); return *this; }
fp& fp::operator+=(mb const& y) { add(*this, *this, y); return *this; }
fp& fp::operator+=(double y) { add(*this, *this, y); return *this; }
fp& fp::operator-=(fp const& y) { sub(*this, *this, y); return *this; }
fp& fp::operator-=(mb const& y) { sub(*this, *this, y); return *this; }
fp& fp::operator-=(double y) { sub(*this, *this, y); return *this; }
fp& fp::operator*=(fp const& y) { mul(*this, *this, y); return *this; }
fp& fp::operator*=(mb const& y) { mul(*this, *this, y); return *this; }
fp& fp::operator*=(double y) { mul(*this, *this, y); return *this; }
fp& fp::operator/=(fp const& y) { (void)div(*this, *this, y); return *this; }
fp& fp::operator/=(mb const& y) { (void)div(*this, *this, y); return *this; }
fp& fp::operator/=(double y) { (void)div(*this, *this, y); return *this; }
fp& fp::operator^=(fp const& y) { (void)pow(*this, *this, y); return *this; }
fp& fp::operator^=(double y) { (void)pow(*this, *this, y); return *this; }
fp& fp::operator++() { add(*this, *this, 1.0); return *this; }
fp& fp::operator--() { sub(*this, *this, 1.0); return *this; }
void fp::operator++(int) { add(*this, *this, 1.0); }
void fp::operator--(int) { sub(*this, *this, 1.0); }

fp fp::operator+(fp const& y) const { fp r; add(r, *this, y); return r; }
fp fp::operator+(mb const& y) const { fp r; add(r, *this, y); return r; }
fp fp::operator+(double y) const { fp r; add(r, *this, y); return r; }
fp fp::operator-(fp const& y) const { fp r; sub(r, *this, y); return r; }
fp fp::operator-(mb const& y) const { fp r; sub(r, *this, y); return r; }
fp fp::operator-(double y) const { fp r; sub(r, *this, y); return r; }
fp fp::operator*(fp const& y) const { fp r; mul(r, *this, y); return r; }
fp fp::operator*(mb const& y) const { fp r; mul(r, *this, y); return r; }
fp fp::operator*(double y) const { fp r; mul(r, *this, y); return r; }
fp fp::operator/(fp const& y) const { fp r; (void)div(r, *this, y); return r; }
fp fp::operator/(mb const& y) const { fp r; (void)div(r, *this, y); return r; }
fp fp::operator/(double y) const { fp r; (void)div(r, *this, y); return r; }
fp fp::operator^(fp const& y) const { fp r; (void)pow(r, *this, y); return r; }
fp fp::operator^(double y) const { fp r; (void)pow(r, *this, y); return r; }

fp fp::operator-() const {
    fp r(*this);
    r.mantissa.size = -r.mantissa.size;
    return r;
}

fp operator+(double x, fp const& y) { fp r; add(r, fp(x), y); return r; }
fp operator-(double x, fp const& y) { fp r; sub(r, fp(x), y); return r; }
fp operator*(double x, fp const& y) { fp r; mul(r, fp(x), y); return r; }
fp operator/(double x, fp const& y) { fp r; (void)div(r, fp(x), y); return r; }
fp operator+(mb const& x, fp const& y) { fp r; add(r, fromMb(x), y); return r; }
fp operator-(mb const& x, fp const& y) { fp r; sub(r, fromMb(x), y); return r; }
fp operator*(mb const& x, fp const& y) { fp r; mul(r, fromMb(x), y); return r; }
fp operator/(mb const& x, fp const& y) { fp r; (void)div(r, fromMb(x), y); return r; }

bool operator==(fp const& x, fp const& y) { return compare(x, y) == 0; }
std::weak_ordering operator<=>(fp const& x, fp const& y) { return compare(x, y) <=> 0; }
bool operator==(fp const& x, mb const& y) { return x == fromMb(y); }
std::weak_ordering operator<=>(fp const& x, mb const& y) { return x <=> fromMb(y); }
bool operator==(fp const& x, double y) { return x == fp(y); }
std::weak_ordering operator<=>(fp const& x, double y) { return x <=> fp(y); }

}  // namespace korvel
