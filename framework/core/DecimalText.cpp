#include "DecimalText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// Far beyond any exponent a double can reach; larger exponents saturate here.
constexpr int64_t kExponentLimit = 1000000000;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The power of ten of a number written in [first, last), seen as 0.d... times 10^power:
// positive means at least 1, zero or below means less than 1. It decides whether a number
// outside the range of doubles was too large or too small.
int64_t DecimalPower(const char* first, const char* last)
{
    int64_t power = 0;
    bool significant = false;
    bool afterPoint = false;
    const char* p = first;
    for (; p < last && *p != 'e' && *p != 'E'; ++p)
    {
        if (*p == '.')
        {
            afterPoint = true;
        }
        else if (!significant && *p == '0')
        {
            if (afterPoint)
                --power;  // a zero between the point and the first significant digit
        }
        else if (IsDigit(*p))
        {
            significant = true;
            if (!afterPoint)
                ++power;
        }
    }
    if (p == last)
        return power;
    ++p;  // the exponent
    const bool negative = p < last && *p == '-';
    if (p < last && (*p == '-' || *p == '+'))
        ++p;
    int64_t exponent = 0;
    for (; p < last && IsDigit(*p); ++p)
        exponent = std::min(exponent * 10 + (*p - '0'), kExponentLimit);
    return power + (negative ? -exponent : exponent);
}

} // namespace

bool ParseDecimal(const char* text, double* value)
{
    if (!text || !value)
        return false;
    while (*text == ' ' || *text == '\t')
        ++text;
    // from_chars takes no leading '+'.
    if (*text == '+')
        ++text;
    const char* end = text + strlen(text);
    double parsed = 0.0;
    const std::from_chars_result result = std::from_chars(text, end, parsed);
    if (result.ec == std::errc::result_out_of_range)
    {
        const bool negative = *text == '-';
        const char* digits = negative ? text + 1 : text;
        parsed = DecimalPower(digits, result.ptr) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        parsed = negative ? -parsed : parsed;
    }
    else if (result.ec != std::errc() || std::isnan(parsed))
    {
        return false;
    }
    *value = parsed;
    return true;
}
