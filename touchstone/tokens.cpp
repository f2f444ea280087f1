// SPDX-License-Identifier: MIT
#include "tokens.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <span>
#include <string>
#include <system_error>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace corvalen::touchstone {

namespace {

// One multiplication or division of exact doubles rounds once only where
// double arithmetic keeps no excess precision (FLT_EVAL_METHOD 0; x87
// arithmetic would round twice); elsewhere from_chars reads every number, as
// it does in the benchmark's build without this fast path.
#if FLT_EVAL_METHOD == 0 && !defined(CORVALEN_PLAIN_NUMBERS)
constexpr bool kShortDecimals = true;
#else
constexpr bool kShortDecimals = false;
#endif

// Numbers of data lines read a word of eight bytes at a time, where the bytes
// are read as one little-endian word; the build without it reads every digit on
// its own.
#if !defined(CORVALEN_PLAIN_DIGITS)
constexpr bool kWordDigits = std::endian::native == std::endian::little;
#else
constexpr bool kWordDigits = false;
#endif

// Where the processor has SSE2 (every x86-64 one), a number of up to sixteen
// bytes is read in one register instead; the benchmark's build without it
// (CORVALEN_WORD_DIGITS) reads them in words.
#if defined(__SSE2__) && defined(__x86_64__) && !defined(CORVALEN_PLAIN_DIGITS) && !defined(CORVALEN_WORD_DIGITS)
#define CORVALEN_SIXTEEN_BYTES 1
#endif

constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kLargestPower = static_cast<int>(std::size(kExactPowers)) - 1;
constexpr std::uint64_t kWholePowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// Every byte of a word of text, with '0' taken away by exclusive or: digits become 0 to 9.
constexpr std::uint64_t kZeros = 0x3030303030303030u;

std::uint64_t WordAt(const char* p)
{
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return word ^ kZeros;
}

// The number of digits (0 to 8) that open a word as WordAt gives it: each
// byte's high bit is set where it is above 9, without carries between bytes.
unsigned DigitRun(std::uint64_t word)
{
    const std::uint64_t above9 = (((word & 0x7F7F7F7F7F7F7F7Fu) + 0x7676767676767676u) | word) & 0x8080808080808080u;
    return static_cast<unsigned>(std::countr_zero(above9)) / 8;
}

// The value of eight digits 0 to 9 (the first byte the highest): pairs, then
// fours, then all eight joined, in three multiplications rather than eight dependent ones.
std::uint64_t EightDigitsValue(std::uint64_t word)
{
    word = ((word & 0x0F0F0F0F0F0F0F0Fu) * 2561) >> 8;
    word = ((word & 0x00FF00FF00FF00FFu) * 6553601) >> 16;
    return ((word & 0x0000FFFF0000FFFFu) * 42949672960001u) >> 32;
}

// The value of the first `count` digits of a word: the bytes after them
// shifted out, so that zero bytes come before them (in two steps, as a shift
// by 64 is undefined).
std::uint64_t RunValue(std::uint64_t word, unsigned count)
{
    const unsigned half = 4 * (8 - count);
    return EightDigitsValue((word << half) << half);
}

// Where the digits from `p` on end, appended to `value`. More than nineteen
// wrap `value`, which the caller refuses by their count.
const char* ReadDigits(const char* p, const char* end, std::uint64_t& value)
{
    std::uint64_t digits = value;
    for (; p != end && static_cast<unsigned>(*p - '0') < 10; ++p)
        digits = digits * 10 + static_cast<unsigned>(*p - '0');
    value = digits;
    return p;
}

// digits x 10^exponent, rounded once, where both are exact doubles; false elsewhere.
bool ExactProduct(std::uint64_t digits, int exponent, bool negative, double& value)
{
    if (digits > (std::uint64_t{1} << 53) || exponent < -kLargestPower || exponent > kLargestPower)
        return false;
    const double magnitude = exponent < 0 ? static_cast<double>(digits) / kExactPowers[-exponent]
                                          : static_cast<double>(digits) * kExactPowers[exponent];
    // The sign bit set by arithmetic: data changes sign from number to number,
    // and a branch on it would be a guess.
    value = std::bit_cast<double>(std::bit_cast<std::uint64_t>(magnitude) | std::uint64_t{negative} << 63);
    return true;
}

// The blank bytes (up to the space) of a word as it is in the text: each one's high bit set.
std::uint64_t Blanks(std::uint64_t text)
{
    return ~(((text & 0x7F7F7F7F7F7F7F7Fu) + 0x5F5F5F5F5F5F5F5Fu) | text) & 0x8080808080808080u;
}

// The end of the token from p: the first blank of the next 24 bytes, else
// `end` where that comes first.
struct TokenEnd {
    const char* end;
    bool found;  // false for a token longer than 24 bytes
};
TokenEnd FindTokenEnd(const char* p, const char* const end)
{
    std::uint64_t first = 0, second = 0, third = 0;
    std::memcpy(&first, p, 8);
    std::memcpy(&second, p + 8, 8);
    std::memcpy(&third, p + 16, 8);
    const std::uint64_t blanks[] = {Blanks(first), Blanks(second), Blanks(third)};
    const int word = blanks[0] != 0 ? 0 : blanks[1] != 0 ? 1 : 2;
    const int length = 8 * word + std::countr_zero(blanks[word]) / 8;  // 24 where none
    const char* const tokenEnd = end - p < length ? end : p + length;
    return {tokenEnd, length < 24 || tokenEnd == end};
}

#ifdef CORVALEN_SIXTEEN_BYTES
// Sixteen bytes of 0xFF, then sixteen of 0: the sixteen from kPrefix + 16 - n
// on have their first n set.
alignas(16) constexpr unsigned char kPrefix[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

__m128i Load16(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
__m128i Prefix(unsigned n) { return Load16(kPrefix + 16 - n); }

// Bit i set where byte i of `bytes` is at most `most`.
unsigned AtMost(__m128i bytes, char most)
{
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(most)), bytes)));
}

// The length of the token from p (its bytes up to the first blank; the first is
// none), or 17 where it is longer than sixteen.
unsigned TokenLength16(const char* p)
{
    return 1 + static_cast<unsigned>(std::countr_zero(AtMost(Load16(p + 1), ' ') | 0x10000u));
}

// The short decimal in [p, tokenEnd), of at most sixteen bytes after its sign:
// its digits are read in one register, the text ending at its last byte, so
// that they need no shifting to their places: true where it is one.
template <bool kValue = true>
[[gnu::always_inline]] inline bool SixteenByteDecimal(const char* p, const char* tokenEnd, int decimalExponent,
                                                      double& value)
{
    const bool negative = *p == '-';
    p += static_cast<int>(negative) | static_cast<int>(*p == '+');
    const std::ptrdiff_t length = tokenEnd - p;
    if (length < 1 || length > 16)
        return false;
    const __m128i text = Load16(tokenEnd - 16);
    const __m128i digits = _mm_sub_epi8(text, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digits, _mm_set1_epi8(9)), digits);
    const unsigned body = (0xFFFFu >> length) ^ 0xFFFFu;  // its last `length` bytes
    const unsigned point = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(text, _mm_set1_epi8('.')))) & body;
    // Digits only, but for one point at most, and at least one digit.
    if (((static_cast<unsigned>(_mm_movemask_epi8(isDigit)) | point) & body) != body || (point & (point - 1)) != 0
        || point == body)
        return false;
    if constexpr (!kValue)
        return true;  // a number, whose value is not wanted
    // The digits of the number alone, then those before the point moved up over it.
    const __m128i kept = _mm_and_si128(_mm_andnot_si128(Prefix(16 - static_cast<unsigned>(length)), isDigit), digits);
    const unsigned pointAt = static_cast<unsigned>(std::countr_zero(point | 0x10000u));
    const __m128i before = Prefix(point != 0 ? pointAt + 1 : 0);
    const __m128i placed = _mm_or_si128(_mm_and_si128(before, _mm_slli_si128(kept, 1)), _mm_andnot_si128(before, kept));
    // Pairs, fours and eights of digits joined by multiply-adds of 16-bit lanes.
    const __m128i zero = _mm_setzero_si128();
    const __m128i tens = _mm_set_epi16(1, 10, 1, 10, 1, 10, 1, 10);
    const __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(placed, zero), tens),
                                          _mm_madd_epi16(_mm_unpackhi_epi8(placed, zero), tens));
    const __m128i fours = _mm_madd_epi16(pairs, _mm_set_epi16(1, 100, 1, 100, 1, 100, 1, 100));
    const __m128i eights =
        _mm_madd_epi16(_mm_packs_epi32(fours, fours), _mm_set_epi16(1, 10000, 1, 10000, 1, 10000, 1, 10000));
    const auto both = static_cast<std::uint64_t>(_mm_cvtsi128_si64(eights));
    const std::uint64_t whole = (both & 0xFFFFFFFFu) * 100000000u + (both >> 32);
    const int fraction = point != 0 ? 15 - static_cast<int>(pointAt) : 0;
    return ExactProduct(whole, decimalExponent - fraction, negative, value);
}
#endif

// The short decimal of a data line that starts at p, read in words: where its
// text ends, else null. The branches taken depend on the form of the text (a
// point, an exponent), hardly ever on how long its digit runs are, which
// noisy data varies from number to number.
[[gnu::noinline]] const char* WordDecimal(const char* p, const char* const end, int decimalExponent, double& value)
{
    const bool negative = *p == '-';
    p += static_cast<int>(negative) | static_cast<int>(*p == '+');
    std::uint64_t word = WordAt(p);
    unsigned count = DigitRun(word);
    std::uint64_t digits = RunValue(word, count);
    if (count == 8) {  // a long whole part, such as a frequency in hertz
        word = WordAt(p + 8);
        const unsigned more = DigitRun(word);
        if (more == 8)
            return nullptr;
        digits = digits * kWholePowers[more] + RunValue(word, more);
        count += more;
    }
    p += count;
    // Up to sixteen digits after a point, read whether or not there is one.
    const bool point = *p == '.';
    p += static_cast<int>(point);
    const std::uint64_t first = WordAt(p);
    const unsigned firstCount = point ? DigitRun(first) : 0;
    const std::uint64_t second = WordAt(p + 8);
    const unsigned secondCount = firstCount == 8 ? DigitRun(second) : 0;
    digits = digits * kWholePowers[firstCount] + RunValue(first, firstCount);
    digits = digits * kWholePowers[secondCount] + RunValue(second, secondCount);
    const unsigned fraction = firstCount + secondCount;
    count += fraction;
    p += fraction;
    // Nineteen digits cannot overflow 64 bits; more go to from_chars. Digits
    // past the end are no part of the text, and what follows them is not read.
    if (count == 0 || count > 19 || secondCount == 8 || p > end)
        return nullptr;
    int exponent = decimalExponent - static_cast<int>(fraction);
    if ((*p | 0x20) == 'e') {
        ++p;
        const bool negativeExponent = *p == '-';
        p += static_cast<int>(negativeExponent) | static_cast<int>(*p == '+');
        word = WordAt(p);
        const unsigned written = DigitRun(word);
        if (written == 0 || written > 4)
            return nullptr;
        const auto power = static_cast<int>(RunValue(word, written));
        exponent += negativeExponent ? -power : power;
        p += written;
    }
    return ExactProduct(digits, exponent, negative, value) ? p : nullptr;
}

// The short decimal that starts at p, where one does: the end of its text,
// else null.
const char* ShortDecimal(const char* p, const char* const end, int decimalExponent, double& value)
{
    if constexpr (!kShortDecimals)
        return nullptr;
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+'))
        ++p;
    std::uint64_t digits = 0;
    const char* digitsEnd = ReadDigits(p, end, digits);
    std::ptrdiff_t count = digitsEnd - p;
    p = digitsEnd;
    int exponent = decimalExponent;
    if (p != end && *p == '.') {
        digitsEnd = ReadDigits(p + 1, end, digits);
        const std::ptrdiff_t fraction = digitsEnd - (p + 1);
        count += fraction;
        exponent -= static_cast<int>(std::min<std::ptrdiff_t>(fraction, 100));
        p = digitsEnd;
    }
    if (count == 0 || count > 19)
        return nullptr;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negativeExponent = p != end && *p == '-';
        if (p != end && (*p == '-' || *p == '+'))
            ++p;
        std::uint64_t written = 0;
        digitsEnd = ReadDigits(p, end, written);
        if (digitsEnd == p || digitsEnd - p > 4)
            return nullptr;
        p = digitsEnd;
        exponent += negativeExponent ? -static_cast<int>(written) : static_cast<int>(written);
    }
    return ExactProduct(digits, exponent, negative, value) ? p : nullptr;
}

// The token from p (a blank before it or none) read as a short decimal: where
// it ends, and whether it is one. Its end is found from its blanks alone, so
// that the token after it is found while this one's digits are still being read.
struct DataToken {
    const char* end;
    bool read;
};
// Where its value is not wanted (kValue false), a token of digits with a point
// and sign at most is only checked.
template <bool kValue = true>
[[gnu::always_inline]] inline DataToken ReadDataToken(const char* p, const char* const end, int decimalExponent,
                                                      double& value)
{
#ifdef CORVALEN_SIXTEEN_BYTES
    if (const unsigned length = TokenLength16(p); length <= 16 || end - p <= 16) {
        const char* const tokenEnd = std::min(p + length, end);
        return {tokenEnd, SixteenByteDecimal<kValue>(p, tokenEnd, decimalExponent, value)
                              || WordDecimal(p, tokenEnd, decimalExponent, value) == tokenEnd};
    }
#endif
    const TokenEnd token = FindTokenEnd(p, end);
    return {token.end, token.found && WordDecimal(p, token.end, decimalExponent, value) == token.end};
}

}  // namespace

bool ReadShortDecimal(std::string_view token, int decimalExponent, double& value)
{
    // An empty view may have no data at all: its end is then null, like a failure.
    const char* const end = token.data() + token.size();
    const char* const after = ShortDecimal(token.data(), end, decimalExponent, value);
    return after != nullptr && after == end;
}

const char* ReadDataNumber(const char* p, const char* const end, int decimalExponent, double& value)
{
    while (p != end && IsBlank(*p))
        ++p;
    if (p == end)
        return nullptr;
    if constexpr (kShortDecimals && kWordDigits) {
        const DataToken token = ReadDataToken(p, end, decimalExponent, value);
        return token.read ? token.end : nullptr;
    }
    const char* const after = ShortDecimal(p, end, decimalExponent, value);
    if (!after || (after != end && !IsBlank(*after)))
        return nullptr;
    return after;
}

bool ReadDataLine(std::string_view line, int firstExponent, std::span<double> numbers, std::uint32_t wanted)
{
    const char* p = line.data();
    const char* const end = p + line.size();
    if constexpr (!kShortDecimals || !kWordDigits) {
        for (std::size_t i = 0; i < numbers.size(); ++i)
            if (!(p = ReadDataNumber(p, end, i == 0 ? firstExponent : 0, numbers[i])))
                return false;
    } else {
        // Each token's end is found before its digits are read, and the next
        // token starts from there whatever the digits turn out to be: the
        // reading of one number does not wait for the one before.
        bool read = true;
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            while (p != end && IsBlank(*p))
                ++p;
            const DataToken token = (wanted >> i & 1) != 0
                                        ? ReadDataToken(p, end, i == 0 ? firstExponent : 0, numbers[i])
                                        : ReadDataToken<false>(p, end, 0, numbers[i]);
            read &= token.read;
            p = token.end;
        }
        if (!read)
            return false;
    }
    while (p != end && IsBlank(*p))
        ++p;
    return p == end;
}

bool LooksNumeric(std::string_view token)
{
    const char* p = token.data();
    const char* const end = p + token.size();
    const auto digits = [&] {
        const char* const start = p;
        while (p != end && *p >= '0' && *p <= '9')
            ++p;
        return p - start;
    };
    if (p != end && (*p == '+' || *p == '-'))
        ++p;
    const char* const mantissa = p;
    std::ptrdiff_t mantissaDigits = digits();
    const char* const point = p;
    if (p != end && *p == '.') {
        ++p;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0)
        return false;
    // The power of ten of the first digit that is not 0, so the value lies
    // within a factor of ten of 10^(power + exponent).
    const char* const first = std::find_if(mantissa, p, [](char c) { return c >= '1' && c <= '9'; });
    std::ptrdiff_t power = first == p ? 0 : first < point ? point - first - 1 : point - first;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negative = p != end && *p == '-';
        if (p != end && (*p == '+' || *p == '-'))
            ++p;
        // Capped beyond any power the mantissa's digits could make up for.
        const std::ptrdiff_t cap = static_cast<std::ptrdiff_t>(token.size()) + 400;
        std::ptrdiff_t written = 0;
        const char* const start = p;
        for (; p != end && *p >= '0' && *p <= '9'; ++p)
            written = std::min(written * 10 + (*p - '0'), cap);
        if (p == start)
            return false;
        power += negative ? -written : written;
    }
    if (p != end)
        return false;
    // From 10^-300 to 10^301 every value is a finite double other than 0.
    return std::abs(power) <= 300 || ParseNumber(token).has_value();
}

std::optional<double> ParseScaled(std::string_view token, int decimalExponent)
{
    if (double value; ReadShortDecimal(token, decimalExponent, value))
        return value;
    if (decimalExponent == 0 || !LooksNumeric(token))
        return ParseNumber(token);
    const std::size_t e = token.find_first_of("eE");
    const std::string_view mantissa = token.substr(0, e);
    long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = token.substr(e + 1);
        if (digits.front() == '+')
            digits.remove_prefix(1);
        // Exponents beyond a few hundred give no finite double anyway; keep to_string's text short.
        if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec != std::errc{}
            || std::abs(exponent) > 100000)
            return std::nullopt;
    }
    std::string text(mantissa);
    text.append("e").append(std::to_string(exponent + decimalExponent));
    return ParseNumber(text);
}

}  // namespace corvalen::touchstone
