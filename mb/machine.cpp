// Exchanges with the machine's integer types (the templates in mb.h).
#include "mb/internal.h"

namespace korvel::detail {

void equateMagnitude(mb& x, u64 magnitude, bool negative, bool twoWords) {
    if (magnitude == 0) {
        x.size = 0;  // the storage is kept
        return;
    }
    x.size = twoWords ? 2 : 1;
    update(x);
    x.words[0] = u32(magnitude);
    if (twoWords) x.words[1] = u32(magnitude >> 32);
    mbNormalize(x);
    if (negative) x.size = -x.size;
}

bool magnitudeOf(mb const& x, u64& magnitude) {
    i32 const n = words::significantWords(x.words, length(x));
    magnitude = 0;
    if (n > 2) return false;
    if (n >= 1) magnitude = x.words[0];
    if (n == 2) magnitude |= u64(x.words[1]) << 32;
    return true;
}

}  // namespace korvel::detail
