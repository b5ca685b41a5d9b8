// korvel_fp_hash: a fingerprint of the fp arithmetic, for changing its speed
// without changing a single result.
//
//   korvel_fp_hash [--cases N] [--seed S] [--words MAX] [--dump FILE]
//   korvel_fp_hash --repeat OP WORDS N     (OP: add sub mul div cmul)
//
// The first form runs add, sub, mul, div and the complex product over N random
// operand pairs (1 to MAX words, precisions 1 to MAX words, MAX 12 unless given;
// mixed lengths, exponents near and far apart and at the ends of their range,
// both signs, cancellations, long runs of 0 and 1 bits, exact halfway cases,
// operands in the same object, mantissas with high zero words) and prints one
// hash per operation and one over all: every result's words, length, sign,
// exponent and overflow flag enter it. Build it before and after a change and
// compare the lines; --dump writes every result, one a line, so that two builds'
// files can be compared to find the first case that differs.
//
// The second form does one operation N times on operands of WORDS words at a
// precision of WORDS words, as Horner's rule meets them, for counting
// instructions: run it under callgrind with N and with 0 and divide the
// difference by N.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <korvel/complex.h>
#include <korvel/fp.h>

namespace {

using namespace korvel;

struct Random {
    u64 state;
    u64 next() {  // splitmix64
        u64 z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    u32 word() { return u32(next()); }
    i32 below(i32 n) { return i32(next() % u64(n)); }
    bool chance(i32 percent) { return below(100) < percent; }
};

struct Hash {
    u64 h = 0xCBF29CE484222325ull;
    void add(u64 v) {
        for (int k = 0; k < 8; ++k) {
            h ^= (v >> (8 * k)) & 0xFF;
            h *= 0x100000001B3ull;
        }
    }
};

// Sets m to `n` words (high zero words kept) of one of several bit patterns.
void fillWords(Random& g, mb& m, i32 n, bool normalTop) {
    m.size = n;
    update(m);
    i32 const pattern = g.below(6);
    for (i32 i = 0; i < n; ++i) {
        u32 w = g.word();
        switch (pattern) {
            case 0: break;                                                     // random
            case 1: w = g.chance(50) ? 0u : 0xFFFFFFFFu; break;                // runs of whole words
            case 2: w = g.chance(70) ? (g.chance(50) ? 0u : 0xFFFFFFFFu) : w; break;
            case 3: w = g.chance(80) ? 0u : u32(1) << g.below(32); break;      // sparse bits
            case 4: w = g.chance(80) ? 0xFFFFFFFFu : ~(u32(1) << g.below(32)); break;
            default: w = w >> g.below(32) << g.below(32); break;               // runs inside words
        }
        m.words[i] = w;
    }
    if (normalTop) {
        u32& top = m.words[n - 1];
        if (g.chance(30)) top >>= g.below(32);  // a short top word
        if (top == 0) top = 1u + (g.word() >> g.below(32));
    }
    if (g.chance(40)) m.size = -m.size;
}

// The longest operand and highest precision drawn.
i32 maxWords = 12;

i32 pickLength(Random& g, i32 B) {
    i32 const r = g.below(100);
    if (r < 45) return B;
    if (r < 70) return 1 + g.below(B);
    if (r < 80) return B + 1 + g.below(3);
    return 1 + g.below(maxWords);
}

i32 pickExponent(Random& g) {
    i32 const r = g.below(100);
    if (r < 3) return std::numeric_limits<i32>::max() - g.below(600);
    if (r < 6) return std::numeric_limits<i32>::min() + g.below(600);
    if (r < 10) return g.below(2000001) - 1000000;
    return g.below(401) - 200;
}

void randomFp(Random& g, fp& x, i32 B) {
    i32 const r = g.below(1000);
    if (r < 15) {  // zero
        x.mantissa = mb();
        x.exponent = 0;
        return;
    }
    fillWords(g, x.mantissa, pickLength(g, B), r >= 40);  // some with high zero words (or all zero)
    x.exponent = pickExponent(g);
}

// y from x: a second operand that meets x at the interesting places.
void partner(Random& g, fp& y, fp const& x, i32 B) {
    i32 const r = g.below(100);
    bool const xZero = x.mantissa.size == 0;
    if (r < 35 || xZero) {  // independent, with an exponent near x's or far from it
        randomFp(g, y, B);
        if (!xZero && g.chance(70)) {
            i64 const spread = g.chance(60) ? 70 : 32 * 16;
            i64 e = i64(x.exponent) + (i64(g.next() % u64(2 * spread + 1)) - spread);
            if (e > std::numeric_limits<i32>::max()) e = std::numeric_limits<i32>::max();
            if (e < std::numeric_limits<i32>::min()) e = std::numeric_limits<i32>::min();
            y.exponent = i32(e);
        }
        return;
    }
    if (r < 50) {  // equal or opposite, perhaps in another form
        y = x;
        if (g.chance(50)) y.mantissa.size = -y.mantissa.size;
        if (g.chance(40) && x.exponent > std::numeric_limits<i32>::min() + 64) {
            i32 const s = 1 + g.below(40);
            mbShiftLeft(y.mantissa, y.mantissa, s);
            y.exponent = x.exponent - s;
        }
        return;
    }
    if (r < 65) {  // nearly equal or opposite: low words changed
        y = x;
        if (g.chance(70)) y.mantissa.size = -y.mantissa.size;
        i32 const n = y.mantissa.size < 0 ? -y.mantissa.size : y.mantissa.size;
        i32 const k = g.below(n);
        y.mantissa.words[k] ^= u32(1) << g.below(32);
        if (k == n - 1 && y.mantissa.words[k] == 0) y.mantissa.words[k] = 1;
        return;
    }
    if (r < 85) {  // a power of two at or near the half-ulp bit of x at B words: ties for add and sub
        i32 const top = Lg2(x);
        i64 e = i64(top) - 32 * B + g.below(3) - 1;
        if (g.chance(60)) e = i64(top) - 32 * B;
        if (e < std::numeric_limits<i32>::min() + 64) e = std::numeric_limits<i32>::min() + 64;
        i32 const s = g.below(3) == 0 ? 32 * g.below(3) : 0;  // in another form, sometimes
        y.mantissa = mb();
        equate(y.mantissa, 1);
        mbShiftLeft(y.mantissa, y.mantissa, s);
        y.exponent = i32(e - s);
        if (g.chance(50)) y.mantissa.size = -y.mantissa.size;
        return;
    }
    randomFp(g, y, B);
}

// x, y with the product x y = T exactly, T = K 2^32 + 2^31: a halfway case for mul.
void productTie(Random& g, fp& x, fp& y, i32 B) {
    u32 const d = 1u + 2u * u32(g.below(40));  // odd one-word factor
    mb T;
    fillWords(g, T, B, true);
    T.size = B;
    mb r;
    for (;;) {
        mb t(T);
        mbShiftLeft(t, t, 32);
        t.words[0] = 0x80000000u;
        if (mbShortDiv(r, t, d) == 0) break;
        T += 1;
    }
    equate(x.mantissa, i32(d));
    equate(y.mantissa, r);
    x.exponent = g.below(201) - 100;
    y.exponent = g.below(201) - 100;
    if (g.chance(50)) x.mantissa.size = -x.mantissa.size;
    if (g.chance(50)) y.mantissa.size = -y.mantissa.size;
}

enum Op { opAdd, opSub, opMul, opDiv, opCmul, opCount };
char const* const opNames[opCount] = {"add", "sub", "mul", "div", "cmul"};

struct Recorder {
    Hash perOp[opCount];
    Hash all;
    std::FILE* dump = nullptr;
    long long index = 0;

    void record(Op op, fp const& r) {
        Hash& h = perOp[op];
        u64 const flag = fpOverflowed() ? 1 : 0;
        i32 const n = r.mantissa.size < 0 ? -r.mantissa.size : r.mantissa.size;
        for (Hash* t : {&h, &all}) {
            t->add(u64(u32(r.mantissa.size)) | u64(u32(r.exponent)) << 32);
            t->add(flag);
            for (i32 i = 0; i < n; ++i) t->add(r.mantissa.words[i]);
        }
        if (dump) {
            std::fprintf(dump, "%lld %s %d %d %d", index, opNames[op], r.mantissa.size, r.exponent, int(flag));
            for (i32 i = 0; i < n; ++i) std::fprintf(dump, " %08x", r.mantissa.words[i]);
            std::fprintf(dump, "\n");
        }
    }
};

// Every operation on x and y, also with the result in an operand's object.
void runCase(Recorder& rec, Random& g, fp& r, fp const& x, fp const& y, fpComplex const& a, fpComplex const& b) {
    auto binary = [&](Op op, auto f) {
        fpClearOverflow();
        f(r, x, y);
        rec.record(op, r);
        i32 const alias = g.below(3);
        fp t = alias == 1 ? y : x;
        fpClearOverflow();
        if (alias == 0) f(t, t, y);       // result in the first operand
        else if (alias == 1) f(t, x, t);  // in the second
        else f(t, t, t);                  // one object for all three
        rec.record(op, t);
    };
    binary(opAdd, [](fp& z, fp const& p, fp const& q) { add(z, p, q); });
    binary(opSub, [](fp& z, fp const& p, fp const& q) { sub(z, p, q); });
    binary(opMul, [](fp& z, fp const& p, fp const& q) { mul(z, p, q); });
    binary(opDiv, [](fp& z, fp const& p, fp const& q) { (void)div(z, p, q); });
    fpComplex c;
    fpClearOverflow();
    mul(c, a, b);
    rec.record(opCmul, c.re);
    rec.record(opCmul, c.im);
    fpComplex d = a;
    fpClearOverflow();
    mul(d, d, b);
    rec.record(opCmul, d.re);
    rec.record(opCmul, d.im);
    ++rec.index;
}

int hashMain(long long cases, u64 seed, char const* dumpFile) {
    Random g{seed};
    Recorder rec;
    if (dumpFile) rec.dump = std::fopen(dumpFile, "w");
    fp r, x, y;
    fpComplex a, b;
    for (long long k = 0; k < cases; ++k) {
        i32 const B = g.chance(maxWords > 12 ? 50 : 85) ? 1 + g.below(8) : 9 + g.below(maxWords - 8);
        setBlockPrec(B);
        if (g.chance(8)) {
            productTie(g, x, y, B);
        } else {
            randomFp(g, x, B);
            partner(g, y, x, B);
        }
        // Complex operands from this pair and the previous one; zero parts
        // take the product's shortcuts.
        a.re = g.chance(10) ? fp() : x;
        a.im = g.chance(10) ? fp() : b.re;
        b.re = y;
        if (g.chance(10)) b.im = fp();
        else if (g.chance(50)) b.im = a.im;
        if (g.chance(30)) {  // parts of one size, as a root search meets them
            a.re.exponent = g.below(129) - 64;
            a.im.exponent = g.below(129) - 64;
            b.re.exponent = g.below(129) - 64;
            b.im.exponent = g.below(129) - 64;
        }
        runCase(rec, g, r, x, y, a, b);
        b.im = x;
    }
    for (int op = 0; op < opCount; ++op) std::printf("%-5s %016llx\n", opNames[op], (unsigned long long)rec.perOp[op].h);
    std::printf("all   %016llx  (%lld cases, seed %llu)\n", (unsigned long long)rec.all.h, cases,
                (unsigned long long)seed);
    if (rec.dump) std::fclose(rec.dump);
    return 0;
}

int repeatMain(char const* opName, i32 words, long long n) {
    setBlockPrec(words);
    Random g{7};
    auto full = [&](fp& x, i32 e) {
        x.mantissa.size = words;
        update(x.mantissa);
        for (i32 i = 0; i < words; ++i) x.mantissa.words[i] = g.word();
        x.mantissa.words[words - 1] |= 0x80000000u;
        x.exponent = e;
    };
    fp x, y, r;
    full(x, -32 * words + 3);
    full(y, -32 * words - 5);
    y.mantissa.size = -y.mantissa.size;
    fpComplex a(x, y), b(y, x), c;
    std::string const op = opName;
    auto run = [&](auto f) {
        for (long long k = 0; k < n; ++k) f();
    };
    if (op == "add") run([&] { add(r, x, y); });
    else if (op == "sub") run([&] { sub(r, x, y); });
    else if (op == "mul") run([&] { mul(r, x, y); });
    else if (op == "div") run([&] { (void)div(r, x, y); });
    else if (op == "cmul") run([&] { mul(c, a, b); });
    else return 2;
    std::printf("%s %d words x %lld: %d %d\n", opName, words, n, r.mantissa.size + c.re.mantissa.size, r.exponent);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    long long cases = 2000000;
    u64 seed = 1;
    char const* dumpFile = nullptr;
    for (int k = 1; k < argc; ++k) {
        if (!std::strcmp(argv[k], "--repeat") && k + 3 < argc)
            return repeatMain(argv[k + 1], std::atoi(argv[k + 2]), std::atoll(argv[k + 3]));
        if (!std::strcmp(argv[k], "--cases") && k + 1 < argc)
            cases = std::atoll(argv[++k]);
        else if (!std::strcmp(argv[k], "--seed") && k + 1 < argc)
            seed = std::strtoull(argv[++k], nullptr, 10);
        else if (!std::strcmp(argv[k], "--words") && k + 1 < argc && std::atoi(argv[k + 1]) > 8)
            maxWords = std::atoi(argv[++k]);
        else if (!std::strcmp(argv[k], "--dump") && k + 1 < argc)
            dumpFile = argv[++k];
        else {
            std::fprintf(stderr, "usage: korvel_fp_hash [--cases N] [--seed S] [--words MAX] [--dump FILE] | --repeat OP WORDS N\n");
            return 2;
        }
    }
    return hashMain(cases, seed, dumpFile);
}
