// Prints 2^521 - 1 and 1000! in decimal, computed with the integer layer.
#include <cstdio>
#include <cstdlib>

#include "mb/mb.h"

using namespace korvel;

namespace {
void show(char const* label, mb const& x) {
    char* text = mb2Str(x);
    std::printf("%s =\n%s\n\n", label, text);
    std::free(text);
}
}  // namespace

int main() {
    mb two, mersenne, one;
    init(two, 2);
    init(one, 1);
    power(mersenne, two, 521);
    sub(mersenne, mersenne, one);
    show("2^521 - 1", mersenne);

    mb factorial, k;
    init(factorial, 1);
    for (i32 i = 2; i <= 1000; ++i) mulByScalarAbs(factorial, factorial, u32(i));
    show("1000!", factorial);
    return 0;
}
