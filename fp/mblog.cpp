// The natural logarithm of an integer as a double.
#include <cmath>
#include <limits>

#include "fp/internal.h"

namespace korvel {

bool log(double& out, mb const& x) {
    if (x.size <= 0) return false;
    // At least three words, so that the double is the nearest one but for a
    // rounding twice (B words, then 53 bits): within one ulp.
    ScopedBlockPrec guard(blockPrec > 3 ? blockPrec : 3);
    fp t, r;
    equate(t, x);
    fpNormalize(t);
    log(r, t);
    (void)mbToDouble(out, r.mantissa, r.exponent);  // ln x is far inside the double range
    return true;
}

double log(mb const& x) {
    if (x.size < 0) return std::numeric_limits<double>::quiet_NaN();
    if (x.size == 0) return -std::numeric_limits<double>::infinity();
    double out = 0;
    (void)log(out, x);  // x > 0 here
    return out;
}

}  // namespace korvel
