// A polynomial as given, and its coefficients at a working precision.
#include <korvel/input.h>

namespace korvel {

namespace {

bool isZero(ExactComplex const& z) { return z.re.num.size == 0 && z.im.num.size == 0; }

}  // namespace

Polynomial::Polynomial(std::vector<ExactComplex> coefficients) : exact_(std::move(coefficients)) {
    degree_ = int(exact_.size()) - 1;
    while (degree_ >= 0 && isZero(exact_[std::size_t(degree_)])) --degree_;
    exact_.resize(std::size_t(degree_ + 1));
    for (auto const& c : exact_) shortened_ = shortened_ || c.re.shortened || c.im.shortened;
}

Polynomial::Polynomial(std::span<fpComplex const> coefficients)
    : values_(coefficients.begin(), coefficients.end()) {
    degree_ = int(values_.size()) - 1;
    while (degree_ >= 0 && !values_[std::size_t(degree_)]) --degree_;
    values_.resize(std::size_t(degree_ + 1));
    if (degree_ < 0) values_.clear();
}

bool Polynomial::toComplex(std::vector<fpComplex>& a, i32 words, bool* exact) const {
    bool all = true;
    if (!values_.empty()) {
        a = values_;
    } else {
        a.assign(exact_.size(), fpComplex());
        for (std::size_t k = 0; k < exact_.size(); ++k) {
            bool re = true, im = true;
            if (!roundToFp(a[k].re, exact_[k].re, words, re) || !roundToFp(a[k].im, exact_[k].im, words, im))
                return false;
            all = all && re && im;
        }
    }
    if (exact) *exact = all;
    return true;
}

}  // namespace korvel
