// Signed integers of unlimited length.
//
// An mb is a plain record: `alloc` words of storage from malloc, `size` words in
// use (its sign is the number's sign), `words` least significant first. Results
// are written into the first argument, which may be the same object as any
// operand unless a routine says otherwise. Failures are reported by a false
// result; a failed allocation ends the program with exit(1).
//
// Unlike the built-in integers: `x << n` and `x >> n` shift x itself and return
// it (`y = x << 3` changes x too), by |n| bits whatever n's sign, and `>>` of a
// negative x rounds toward zero; `^` is the power, not exclusive or, and binds
// more loosely than `+` and `==` (write (x ^ 2) + 1); postfix ++ and -- return
// nothing; `os << x` ends the line. Miller_Rabin returns true for a composite.
//
// Threads: any routine may run on several threads at once on distinct objects.
// Working values and word storage are kept per thread (thread_local), and no
// routine writes shared state; an mb must not be used on two threads at once,
// nor handed to another thread while its storage is still in use here.
#pragma once

#include <bit>
#include <compare>
#include <concepts>
#include <cstdint>
#include <iosfwd>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>

#include <korvel/export.h>

KORVEL_API_BEGIN
namespace korvel {

// The arithmetic's own integer widths: a word, a word count, a shift, a bit
// count, a digit and a comparison result are 32 bits wide on every machine.
using i32 = std::int32_t;
using u32 = std::uint32_t;
using i64 = std::int64_t;
using u64 = std::uint64_t;

// A machine integer type of any width (bool excluded).
template <class T>
concept MachineInteger = std::integral<T> && !std::same_as<T, bool>;

struct mb {
    u32 alloc = 0;           // words held by `words`
    i32 size = 0;            // |size| words in use; the sign is the number's
    u32* words = nullptr;    // magnitude, least significant word first

    mb() = default;
    mb(mb const& x);                     // deep copy, exact storage
    mb(mb&& x) noexcept;                 // takes x's storage, leaves x empty
    explicit mb(char const* text);       // decimal text; zero when unreadable
    ~mb();
    mb& operator=(mb const& y);          // exact storage; a zero source releases it
    mb& operator=(mb&& y) noexcept;
    bool operator!() const { return size == 0; }

    // A double becomes its integer part, toward zero (an infinity or NaN gives 0),
    // before any operation; machine integers are exact. See the mixed forms below.
    explicit mb(double d);
    template <MachineInteger T>
    explicit mb(T v);
    mb& operator=(double d);
    template <MachineInteger T>
    mb& operator=(T v);

    // this = this op y. Division by zero leaves the object unchanged.
    mb& operator+=(mb const& y);
    mb& operator-=(mb const& y);
    mb& operator*=(mb const& y);
    mb& operator/=(mb const& y);
    mb& operator+=(double y);
    mb& operator-=(double y);
    mb& operator*=(double y);
    mb& operator/=(double y);
    template <MachineInteger T> mb& operator+=(T y);
    template <MachineInteger T> mb& operator-=(T y);
    template <MachineInteger T> mb& operator*=(T y);
    template <MachineInteger T> mb& operator/=(T y);
    mb& operator^=(i32 n);       // this = this^n (power)
    mb& operator>>(i32 n);       // shifts this object itself right by |n| bits
    mb& operator<<(i32 n);       // shifts this object itself left by |n| bits
    mb& operator++();
    mb& operator--();
    void operator++(int);        // the postfix forms return nothing
    void operator--(int);

    // New values; the operands are unchanged. Division by zero gives 0; `%` gives
    // the residue in [0, |y|) (for a double or machine-integer d: [0, d), 0 for d <= 0).
    mb operator+(mb const& y) const;
    mb operator-(mb const& y) const;
    mb operator*(mb const& y) const;
    mb operator/(mb const& y) const;
    mb operator%(mb const& y) const;
    mb operator+(double y) const;
    mb operator-(double y) const;
    mb operator*(double y) const;
    mb operator/(double y) const;
    mb operator%(double y) const;
    template <MachineInteger T> mb operator+(T y) const;
    template <MachineInteger T> mb operator-(T y) const;
    template <MachineInteger T> mb operator*(T y) const;
    template <MachineInteger T> mb operator/(T y) const;
    template <MachineInteger T> mb operator%(T y) const;
    mb operator^(i32 n) const;
    mb operator-() const;
};

// ---- storage and assignment ----------------------------------------------
bool init(mb& x);                        // x = empty zero, nothing freed
bool init(mb& x, i32 v);                 // x = v in one exact word, nothing freed
template <MachineInteger T>
bool init(mb& x, T v);                   // x = v for any machine integer, nothing freed
void update(mb& x);                      // storage = exactly |size| words, contents undefined
void updateWithCare(mb& x);              // storage >= |size| words, reused when large enough
void equate(mb& x, mb const& y);         // x = y, exact storage
void equateWithCare(mb& x, mb const& y); // x = y, storage reused when large enough
void mbNormalize(mb& x);                 // strip high zero words; zero releases storage
i32 alignLeft(mb& x);                    // x <<= k so bit 31 of the top word is set; returns k

// ---- queries and comparison -----------------------------------------------
i32 compare(mb const& x, mb const& y);       // sign(x - y)
i32 mbCompareAbs(mb const& x, mb const& y);  // sign(|x| - |y|), any form
i32 NumBits(mb const& x);                    // bit length of |x|; 0 for zero
i32 Lg2(mb const& x);                        // floor(log2 |x|); -1 for zero
bool isItEven(mb const& x);                  // lowest bit of |x| is 0
mb abs(mb const& x);                         // |x|

// Bit length of |v| for any machine integer: 0 for 0, 3 for 5, 32 for 0xFFFFFFFF.
template <MachineInteger T>
constexpr i32 NumBits(T v) {
    using U = std::make_unsigned_t<T>;
    U m = static_cast<U>(v);
    if constexpr (std::is_signed_v<T>)
        if (v < 0) m = static_cast<U>(U(0) - m);
    return i32(std::bit_width(m));
}

// ---- addition, subtraction, shifts ----------------------------------------
void mbAddAbs(mb& r, mb const& x, mb const& y);  // r = |x| + |y|
void mbSubAbs(mb& r, mb const& x, mb const& y);  // r = |x| - |y|, |x| >= |y|
void add(mb& r, mb const& x, mb const& y);       // r = x + y
void sub(mb& r, mb const& x, mb const& y);       // r = x - y
void mbShiftLeft(mb& r, mb const& x, i32 n);     // r = sign(x) * (|x| * 2^|n|)
void mbShiftRight(mb& r, mb const& x, i32 n);    // r = sign(x) * floor(|x| / 2^|n|)

// ---- multiplication and short division -------------------------------------
void mul(mb& r, mb const& x, mb const& y);            // r = x * y
void sqr(mb& r, mb const& x);                         // r = x * x
mb sqr(mb const& x);                                  // x * x
void mulByScalarAbs(mb& r, mb const& x, u32 w);       // r = x * w (sign of x)
u32 mbShortDiv(mb& q, mb const& a, mb const& b);      // one-word b: q = a / b toward 0; returns |a| mod |b|
u32 mbShortDiv(mb& q, mb const& a, u32 d);            // the same with a word divisor d != 0
[[nodiscard]] bool power(mb& r, mb const& x, i32 n);  // r = x^n; false for 0^0 and 0^-n

// ---- long division ---------------------------------------------------------
[[nodiscard]] bool div(mb& q, mb const& x, mb const& y);  // q = x / y toward 0; false for y = 0
u32 ThreeByTwo(mb& a, mb& b);                         // digit estimate (a2 a1 a0) / (b1 b0)
[[nodiscard]] bool divRem(mb& q, mb& r, mb const& x, mb const& y);  // q = x / y toward 0, r = x - q*y; q, r distinct
void myModulus(mb& r, mb const& x, mb const& n);      // r = x mod |n| in [0, |n|); n = 0 leaves r

// ---- roots -------------------------------------------------------------------
void sqrt(mb& r, mb const& x);            // r = floor(sqrt(x)); r unchanged for x < 0
mb sqrt(mb const& x);
void nthRoot(mb& r, mb const& x, i32 n);  // r = sign(x) floor(|x|^(1/n)); 0 for n < 1 or an even root of x < 0
mb nthRoot(mb const& x, i32 n);

// ---- decimal text ----------------------------------------------------------
[[nodiscard]] bool mbConvFromStr(mb& x, char const* text);  // x = integer in text; false on a syntax error
[[nodiscard]] bool init(mb& x, char const* text);  // x = text, nothing freed first
[[nodiscard]] bool equate(mb& x, char const* text);  // x = text
char* mb2Str(mb const& x);                    // decimal text, malloc'd; the caller frees it
std::string toString(mb const& x);            // the text of mb2Str(x)
void equate(char*& out, mb const& x);         // out = mb2Str(x)
std::ostream& operator<<(std::ostream& os, mb const& x);  // text, then std::endl

// ---- texts shared by every layer -------------------------------------------
// Every text the library hands out is malloc'd; OwnedText frees one at scope exit.
char* mallocText(std::string_view s);  // a malloc'd copy of s; exit(1) when memory runs out
char* mallocText(std::size_t bytes);   // bytes of malloc'd storage; exit(1) when memory runs out
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }  // whatever the locale

class OwnedText {
public:
    explicit OwnedText(char* text = nullptr) : text_(text) {}
    OwnedText(OwnedText const&) = delete;
    OwnedText& operator=(OwnedText const&) = delete;
    ~OwnedText();
    char const* get() const { return text_; }
    char*& slot() { return text_; }  // for an out parameter; the old text is not freed

private:
    char* text_;
};

// Position in the output text where PrintDigits writes next.
extern thread_local i32 sIndex;  // per thread: each thread writes its own texts
// Appends the digits of v (0 <= v < 10^9) at out[sIndex], zero-padded to nine when pad != 0.
void PrintDigits(char* out, i32 v, i32 pad);

// A growable stack of 32-bit values; pop by reading items[top] and decreasing top.
struct lstack {
    i32 top = -1;
    i32 capacity = 0;
    i32* items = nullptr;

    lstack() = default;
    lstack(lstack const&) = delete;
    lstack& operator=(lstack const&) = delete;
    ~lstack();
    void push(i32 v);
};

// ---- machine integers --------------------------------------------------------
namespace detail {
void equateMagnitude(mb& x, u64 magnitude, bool negative, bool twoWords);
[[nodiscard]] bool magnitudeOf(mb const& x, u64& magnitude);  // false when |x| needs more than 64 bits
}  // namespace detail

// x = v. A zero v keeps x's storage; types of up to 32 bits give one exact word,
// 64-bit types two words before normalisation.
template <MachineInteger T>
void equate(mb& x, T v) {
    using U = std::make_unsigned_t<T>;
    bool negative = false;
    U m = static_cast<U>(v);
    if constexpr (std::is_signed_v<T>) {
        negative = v < 0;
        if (negative) m = static_cast<U>(U(0) - m);
    }
    detail::equateMagnitude(x, static_cast<u64>(m), negative, sizeof(T) > 4);
}

template <MachineInteger T>
bool init(mb& x, T v) {
    init(x);
    equate(x, v);
    return true;
}

// out = x when x fits T; otherwise false and out = 0. Signed types of 32 and 64
// bits accept a symmetric range (their minimum is refused); a refused one-word
// value with bit 31 set leaves its bit pattern in a 32-bit signed out.
template <MachineInteger T>
[[nodiscard]] bool equate(T& out, mb const& x) {
    out = 0;
    u64 m = 0;
    bool const negative = x.size < 0;
    if (!detail::magnitudeOf(x, m)) return false;
    if constexpr (std::is_unsigned_v<T>) {
        if (negative || m > std::numeric_limits<T>::max()) return false;
        out = static_cast<T>(m);
        return true;
    } else {
        using U = std::make_unsigned_t<T>;
        u64 const max = static_cast<u64>(std::numeric_limits<T>::max());
        bool const symmetric = sizeof(T) >= 4;
        u64 const limit = negative && !symmetric ? max + 1 : max;
        if (m > limit) {
            if constexpr (sizeof(T) == 4)
                if (m <= 0xFFFFFFFFu) out = static_cast<T>(static_cast<U>(m));
            return false;
        }
        out = negative ? static_cast<T>(U(0) - static_cast<U>(m)) : static_cast<T>(m);
        return true;
    }
}

// ---- doubles and machine-number operands ---------------------------------------
// A double operand is first cut to its integer part, toward zero, exactly as
// mpz_set_d does; an infinity or NaN counts as 0 and makes the div and divRem
// forms fail. Machine-integer operands of every type are exact. The forms with
// a machine-integer operand behave as those with a double of the same value.
[[nodiscard]] bool equate(mb& x, double d);         // x = trunc(d); false (x unchanged) for an infinity or NaN
[[nodiscard]] bool equate(double& out, mb const& x);  // out = x to nearest, ties to even; false (+-inf) beyond range
// out = x * 2^e to nearest, ties to even; false when +-inf.
[[nodiscard]] bool mbToDouble(double& out, mb const& x, i64 e);

void add(mb& r, double x, mb const& y);             // r = trunc(x) + y
void add(mb& r, mb const& x, double y);             // r = x + trunc(y)
void sub(mb& r, double x, mb const& y);             // r = trunc(x) - y
void sub(mb& r, mb const& x, double y);             // r = x - trunc(y)
void mul(mb& r, double x, mb const& y);             // r = trunc(x) * y
void mul(mb& r, mb const& x, double y);             // r = x * trunc(y)
[[nodiscard]] bool div(mb& q, double x, mb const& y);  // q = trunc(x) / y; false (q unchanged) for y = 0
[[nodiscard]] bool div(mb& q, mb const& x, double y);  // q = x / trunc(y); false (q unchanged) for |y| < 1
[[nodiscard]] bool divRem(mb& q, mb& r, double x, mb const& y);  // divRem with trunc(x)
[[nodiscard]] bool divRem(mb& q, mb& r, mb const& x, double y);  // divRem with trunc(y)
void myModulus(mb& r, mb const& x, double d);       // r = x mod trunc(d) in [0, d); r = 0 for d <= 0 or x = 0

namespace detail {
// v as an mb in a per-thread working value that the next call on this thread
// overwrites (per thread, so that concurrent callers never share it).
mb& machineOperandStore();
template <MachineInteger T>
mb const& machineOperand(T v) {
    mb& t = machineOperandStore();
    equate(t, v);
    return t;
}
}  // namespace detail

template <MachineInteger T> void add(mb& r, T x, mb const& y) { add(r, detail::machineOperand(x), y); }
template <MachineInteger T> void add(mb& r, mb const& x, T y) { add(r, x, detail::machineOperand(y)); }
template <MachineInteger T> void sub(mb& r, T x, mb const& y) { sub(r, detail::machineOperand(x), y); }
template <MachineInteger T> void sub(mb& r, mb const& x, T y) { sub(r, x, detail::machineOperand(y)); }
template <MachineInteger T> void mul(mb& r, T x, mb const& y) { mul(r, detail::machineOperand(x), y); }
template <MachineInteger T> void mul(mb& r, mb const& x, T y) { mul(r, x, detail::machineOperand(y)); }
template <MachineInteger T>
[[nodiscard]] bool div(mb& q, T x, mb const& y) { return div(q, detail::machineOperand(x), y); }
template <MachineInteger T>
[[nodiscard]] bool div(mb& q, mb const& x, T y) { return div(q, x, detail::machineOperand(y)); }
template <MachineInteger T>
[[nodiscard]] bool divRem(mb& q, mb& r, T x, mb const& y) { return divRem(q, r, detail::machineOperand(x), y); }
template <MachineInteger T>
[[nodiscard]] bool divRem(mb& q, mb& r, mb const& x, T y) { return divRem(q, r, x, detail::machineOperand(y)); }
// r = x mod d in [0, d); r = 0 for d <= 0.
template <MachineInteger T>
void myModulus(mb& r, mb const& x, T d) {
    if (d > 0)
        myModulus(r, x, detail::machineOperand(d));
    else
        r = mb();
}

template <MachineInteger T> mb::mb(T v) { equate(*this, v); }
template <MachineInteger T> mb& mb::operator=(T v) { equate(*this, v); return *this; }
template <MachineInteger T> mb& mb::operator+=(T y) { add(*this, *this, y); return *this; }
template <MachineInteger T> mb& mb::operator-=(T y) { sub(*this, *this, y); return *this; }
template <MachineInteger T> mb& mb::operator*=(T y) { mul(*this, *this, y); return *this; }
template <MachineInteger T> mb& mb::operator/=(T y) { (void)div(*this, *this, y); return *this; }  // y = 0: unchanged
template <MachineInteger T> mb mb::operator+(T y) const { mb r; add(r, *this, y); return r; }
template <MachineInteger T> mb mb::operator-(T y) const { mb r; sub(r, *this, y); return r; }
template <MachineInteger T> mb mb::operator*(T y) const { mb r; mul(r, *this, y); return r; }
template <MachineInteger T> mb mb::operator/(T y) const { mb r; (void)div(r, *this, y); return r; }  // y = 0: 0
template <MachineInteger T> mb mb::operator%(T y) const { mb r; myModulus(r, *this, y); return r; }

// d op y with d first; d is cut to its integer part as above.
mb operator+(double d, mb const& y);
mb operator-(double d, mb const& y);
mb operator*(double d, mb const& y);
mb operator/(double d, mb const& y);
template <MachineInteger T> mb operator+(T d, mb const& y) { mb r; add(r, d, y); return r; }
template <MachineInteger T> mb operator-(T d, mb const& y) { mb r; sub(r, d, y); return r; }
template <MachineInteger T> mb operator*(T d, mb const& y) { mb r; mul(r, d, y); return r; }
template <MachineInteger T> mb operator/(T d, mb const& y) { mb r; (void)div(r, d, y); return r; }  // y = 0: 0

// By value, as compare(x, y); !=, <, <=, > and >= are rewritten from these two.
bool operator==(mb const& x, mb const& y);
std::strong_ordering operator<=>(mb const& x, mb const& y);

// ---- number theory -------------------------------------------------------------
void gcd(mb& g, mb const& a, mb const& b);                        // g = gcd(|a|, |b|) >= 0
mb gcd(mb const& a, mb const& b);
void extendedGCD(mb& x, mb& y, mb& g, mb const& a, mb const& b);  // g = gcd(|a|, |b|) = a x + b y; x, y, g distinct
[[nodiscard]] bool invMod(mb& r, mb const& x, mb const& m);  // r = |x|^-1 mod |m|; false when none (m = 0: r = |x|)
// r = x^floor(e 2^k) mod m with the sign of that power (|r| < m); r = 0 for e < 0,
// m <= 0, m = 1, x = e = 0 or x = 0; r = 1 for e = 0 or x = 1.
void powerMod(mb& r, mb const& x, mb const& e, i32 k, mb const& m);
mb powerMod(mb const& x, mb const& e, i32 k, mb const& m);
// One strong-probable-prime trial with a random base. True means n is composite
// (the base proves it, or n is even and not 2, or n < 2); false means n may be prime.
bool Miller_Rabin(mb const& n);
bool isItPrime(mb const& n, i32 trials);  // small factors, then `trials` Miller_Rabin trials; false for n < 2
void factorial(mb& r, mb const& n);       // r = n!; n < 0 leaves r
mb factorial(mb const& n);
[[nodiscard]] bool binomial(mb& r, mb const& n, mb const& k);  // r = n over k; false (r = 0) unless 0 <= k <= n
mb binomial(mb const& n, mb const& k);           // n over k; 0 unless 0 <= k <= n
template <MachineInteger A, MachineInteger B>
[[nodiscard]] bool binomial(mb& r, A n, B k) { return binomial(r, mb(n), mb(k)); }
template <MachineInteger A>
[[nodiscard]] bool binomial(mb& r, A n, mb const& k) { return binomial(r, mb(n), k); }
template <MachineInteger B>
[[nodiscard]] bool binomial(mb& r, mb const& n, B k) { return binomial(r, n, mb(k)); }
template <MachineInteger A, MachineInteger B>
mb binomial(A n, B k) { return binomial(mb(n), mb(k)); }
template <MachineInteger A>
mb binomial(A n, mb const& k) { return binomial(mb(n), k); }
template <MachineInteger B>
mb binomial(mb const& n, B k) { return binomial(n, mb(k)); }

// ---- random numbers --------------------------------------------------------------
// Bits come from a generator per thread with a fixed default seed, so a thread's
// sequence is reproducible; mbSeedRandom restarts the calling thread's generator.
void mbSeedRandom(u64 seed);
[[nodiscard]] bool mbRandom(mb& x, i32 bits);         // x uniform with exactly `bits` bits; false for bits < 1
[[nodiscard]] bool mbRandom(mb& x, mb const& n);      // x uniform in [0, n); false for n <= 0
void randSetClear(mb& x, i32 bit, i32 word);          // random bits from bit `bit` of word `word` down to bit 0
void insertBit(mb& x, i32 value, i32 bit, i32 word);  // bit `bit` of word `word` = (value != 0)

}  // namespace korvel
KORVEL_API_END
