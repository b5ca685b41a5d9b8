// Division by a one-word divisor.
#include "mb/internal.h"

namespace korvel {

using detail::length;

u32 mbShortDiv(mb& q, mb const& a, mb const& b) {
    if (b.size == 0 || length(b) > 1 || b.words[0] == 0) return 0;
    i32 const sign = detail::signOf(a) * detail::signOf(b);
    i32 const na = length(a);
    if (na == 0) {
        detail::makeEmptyZero(q);
        return 0;
    }
    thread_local mb s;  // per thread: working storage reused between calls
    s.size = na;
    updateWithCare(s);
    u32 const rem = words::divRem1(s.words, a.words, na, b.words[0]);
    detail::setLength(s, na, sign);
    equate(q, s);  // q may be a: a has been read in full
    return rem;
}

u32 mbShortDiv(mb& q, mb const& a, u32 d) {
    thread_local mb yt = detail::one();  // per thread: a one-word divisor reused between calls
    yt.words[0] = d;
    return mbShortDiv(q, a, yt);
}

}  // namespace korvel
