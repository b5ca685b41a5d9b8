// The operator surface: thin wrappers over the free functions. An operator
// cannot report a failure: a division by zero, 0^0 or 0^-n leaves the left
// operand as it was, and a new value at 0, as the header says (hence the voids).
#include "mb/internal.h"

namespace korvel {

mb& mb::operator+=(mb const& y) { add(*this, *this, y); return *this; }
mb& mb::operator-=(mb const& y) { sub(*this, *this, y); return *this; }
mb& mb::operator*=(mb const& y) { mul(*this, *this, y); return *this; }
mb& mb::operator/=(mb const& y) { (void)div(*this, *this, y); return *this; }
mb& mb::operator+=(double y) { add(*this, *this, y); return *this; }
mb& mb::operator-=(double y) { sub(*this, *this, y); return *this; }
mb& mb::operator*=(double y) { mul(*this, *this, y); return *this; }
mb& mb::operator/=(double y) { (void)div(*this, *this, y); return *this; }
mb& mb::operator^=(i32 n) { (void)power(*this, *this, n); return *this; }
mb& mb::operator>>(i32 n) { mbShiftRight(*this, *this, n); return *this; }
mb& mb::operator<<(i32 n) { mbShiftLeft(*this, *this, n); return *this; }
mb& mb::operator++() { add(*this, *this, 1); return *this; }
mb& mb::operator--() { sub(*this, *this, 1); return *this; }
void mb::operator++(int) { add(*this, *this, 1); }
void mb::operator--(int) { sub(*this, *this, 1); }

mb mb::operator+(mb const& y) const { mb r; add(r, *this, y); return r; }
mb mb::operator-(mb const& y) const { mb r; sub(r, *this, y); return r; }
mb mb::operator*(mb const& y) const { mb r; mul(r, *this, y); return r; }
mb mb::operator/(mb const& y) const { mb r; (void)div(r, *this, y); return r; }
mb mb::operator%(mb const& y) const { mb r; myModulus(r, *this, y); return r; }
mb mb::operator+(double y) const { mb r; add(r, *this, y); return r; }
mb mb::operator-(double y) const { mb r; sub(r, *this, y); return r; }
mb mb::operator*(double y) const { mb r; mul(r, *this, y); return r; }
mb mb::operator/(double y) const { mb r; (void)div(r, *this, y); return r; }
mb mb::operator%(double y) const { mb r; myModulus(r, *this, y); return r; }
mb mb::operator^(i32 n) const { mb r; (void)power(r, *this, n); return r; }

mb mb::operator-() const {
    mb r(*this);
    r.size = -r.size;
    return r;
}

bool operator==(mb const& x, mb const& y) { return compare(x, y) == 0; }
std::strong_ordering operator<=>(mb const& x, mb const& y) { return compare(x, y) <=> 0; }

}  // namespace korvel
