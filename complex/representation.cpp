// Construction and assignment.
#include <korvel/complex.h>

namespace korvel {

fpComplex::fpComplex(double x) { re = x; }

fpComplex::fpComplex(double x, double y) {
    re = x;
    im = y;
}

fpComplex::fpComplex(fp const& x, fp const& y) : re(x), im(y) {}

fpComplex::fpComplex(char const* text) {
    if (!fpConvFromString(*this, text)) equate(*this, 0.0, 0.0);
}

fpComplex::fpComplex(char const* realText, char const* imagText) {
    if (!fpConvFromString(*this, realText, imagText)) equate(*this, 0.0, 0.0);
}

fpComplex& fpComplex::operator=(fp const& x) {
    equate(*this, x);
    return *this;
}
fpComplex& fpComplex::operator=(mb const& x) {
    equate(*this, x);
    return *this;
}
fpComplex& fpComplex::operator=(double x) {
    equate(*this, x);
    return *this;
}
fpComplex& fpComplex::operator=(char const* text) {
    if (!fpConvFromString(*this, text)) equate(*this, 0.0, 0.0);
    return *this;
}

bool init(fpComplex& z) {
    init(z.re);
    init(z.im);
    return true;
}

void equate(fpComplex& r, fpComplex const& z) {
    equate(r.re, z.re);
    equate(r.im, z.im);
}
void equate(fpComplex& r, fp const& x) {
    r.re = x;
    r.im = 0.0;
}
void equate(fpComplex& r, mb const& x) {
    r.re = x;
    r.im = 0.0;
}
void equate(fpComplex& r, double x) {
    r.re = x;
    r.im = 0.0;
}
void equate(fpComplex& r, fp const& x, fp const& y) {
    r.re = x;
    r.im = y;
}
void equate(fpComplex& r, mb const& x, mb const& y) {
    r.re = x;
    r.im = y;
}
void equate(fpComplex& r, double x, double y) {
    r.re = x;
    r.im = y;
}

}  // namespace korvel
