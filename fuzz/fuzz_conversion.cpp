// The sample conversion against a slow reference. The first seven bytes choose the channel count,
// the board range, sixteen channel ranges, how many of them are given and the decimal separator;
// the rest is the table: rows end at LF, fields at TAB, and a row of the single byte 0x01 has no
// field at all. Codes, held values, the listing and the error text must all agree.

#include "fuzz_check.h"
#include "output/sample_conversion.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kHeader = 7;

// A cell as the conversion's number form reads it.
struct Cell {
    bool valid = false;
    long double volts = 0;
    bool exact = false;     // few enough digits that both readings are one correct rounding
    bool uncertain = false; // so large that the readings may differ on overflow or range
};

Cell ReadCell(std::string_view s, char separator) {
    Cell cell;
    std::size_t i = 0;
    const std::size_t n = s.size();
    auto digit = [&](std::size_t k) { return k < n && s[k] >= '0' && s[k] <= '9'; };
    while (i < n && s[i] == ' ')
        ++i;
    std::string number; // rebuilt with a full stop, for strtold
    if (i < n && (s[i] == '+' || s[i] == '-'))
        number += s[i++];
    std::string mantissa, fraction;
    while (digit(i))
        mantissa += s[i++];
    bool separator_seen = false;
    if (i < n && s[i] == separator) {
        separator_seen = true;
        ++i;
        while (digit(i))
            fraction += s[i++];
    }
    if (mantissa.empty() && fraction.empty() && !separator_seen)
        return cell;
    long exponent = 0;
    if (i < n && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        bool negative = false;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            negative = s[i++] == '-';
        while (digit(i)) {
            if (exponent >= 500) // digits are read only while the exponent is below 500
                return cell;
            exponent = exponent * 10 + (s[i++] - '0');
        }
        if (negative)
            exponent = -exponent;
    }
    while (i < n && s[i] == ' ')
        ++i;
    if (i != n)
        return cell;

    number += "0" + mantissa + "." + fraction + "e" + std::to_string(exponent);
    errno = 0;
    cell.volts = std::strtold(number.c_str(), nullptr);
    cell.valid = true;
    const std::string digits = mantissa + fraction;
    const std::size_t first = digits.find_first_not_of('0');
    const std::size_t significant = first == std::string::npos ? 0 : digits.size() - first;
    const long power = exponent - static_cast<long>(fraction.size());
    cell.exact = significant <= 19 && power >= -27 && power <= 27;
    cell.uncertain = !std::isfinite(cell.volts) || std::fabs(cell.volts) > 1e300L;
    return cell;
}

// The double a value is stored in; none where it overflows.
std::optional<double> Store(long double value) {
    const long double overflowAt = std::ldexp(1.0L, DBL_MAX_EXP) - std::ldexp(1.0L, 970);
    if (std::fabs(value) >= overflowAt)
        return std::nullopt;
    return static_cast<double>(value);
}

std::uint16_t ReferenceClamp(double m) {
    if (m <= 0)
        return 0;
    if (m >= 65535)
        return 65535;
    const double below = std::floor(m);
    const double rest = m - below;
    const bool up = rest > 0.5 || (rest == 0.5 && std::fmod(below, 2.0) == 1.0);
    return static_cast<std::uint16_t>(below + up);
}

// The scaling steps, each result stored as a double; none on overflow.
std::optional<std::uint16_t> ReferenceCode(long double volts, arb::BoardRange range) {
    std::optional<double> v = Store(volts / 5);
    if (v && (range & 2))
        v = Store(*v / 2.0L);
    if (v && (range & 1))
        v = Store((*v + 1.0L) / 2.0L);
    if (v)
        v = Store(*v * 65536.0L);
    if (!v)
        return std::nullopt;
    return ReferenceClamp(*v);
}

std::string Hex(std::uint16_t code) {
    const char* digits = "0123456789ABCDEF";
    return {digits[code >> 12], digits[(code >> 8) & 15], digits[(code >> 4) & 15],
            digits[code & 15], ' '};
}

arb::RowStore RowsOf(std::string_view text) {
    arb::RowStore rows;
    std::vector<std::string> storage;
    std::vector<std::string_view> fields;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string_view::npos)
            end = text.size();
        std::string line(text.substr(from, end - from));
        from = end + 1;
        storage.clear();
        if (line != "\x01") {
            storage.emplace_back();
            for (char c : line) {
                if (c == '\t')
                    storage.emplace_back();
                else // a stored field holds no CR or byte 0
                    storage.back() += (c == '\r' || c == '\0') ? ' ' : c;
            }
        }
        fields.assign(storage.begin(), storage.end());
        rows.appendRow(fields);
    }
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeader)
        return 0;
    const int channels = data[0] % 16 + 1;
    const arb::BoardRange boardRange = data[1] % 4;
    std::array<arb::BoardRange, 16> ranges{};
    for (std::size_t c = 0; c < ranges.size(); ++c)
        ranges[c] = (data[2 + c / 4] >> (2 * (c % 4))) & 3;
    const std::size_t rangeCount = (data[6] >> 1) % 17; // fewer than the channels: board range
    const char separator = (data[6] & 1) ? ',' : '.';
    const arb::RowStore rows =
        RowsOf(std::string_view(reinterpret_cast<const char*>(data) + kHeader, size - kHeader));
    const std::span<const arb::BoardRange> given(ranges.data(), rangeCount);

    std::optional<arb::ConvertedTable> result;
    std::string error;
    try {
        result = arb::BuildSampleBuffer({rows, channels, boardRange, given, separator});
    } catch (const arb::ConversionError& e) {
        error = e.what();
    }

    // The reference conversion: codes as far as it can tell them, then its verdict.
    const std::size_t n = static_cast<std::size_t>(channels);
    std::vector<std::uint16_t> expected;
    std::vector<bool> exact; // per code: equal, or within one step after a long reading
    std::string listing;
    std::optional<std::string> expectedError;
    bool uncertain = false; // from a cell on which the readings may part: only a clean outcome
    std::array<std::uint16_t, 16> held{};
    held.fill((boardRange & 1) ? 0x8000 : 0);
    std::array<bool, 16> heldExact{};
    heldExact.fill(true);
    std::vector<std::string_view> fields;
    for (std::size_t r = 0; r < rows.size() && !expectedError && !uncertain; ++r) {
        rows.fieldsOf(r, fields);
        for (std::size_t c = 0; c < n; ++c) {
            if (c < fields.size() && !fields[c].empty()) {
                const std::string invalid =
                    "'" + std::string(fields[c]) + "' is not a valid floating point value";
                const Cell cell = ReadCell(fields[c], separator);
                if (!cell.valid) {
                    expectedError = invalid;
                    break;
                }
                if (cell.uncertain) {
                    uncertain = true;
                    break;
                }
                const arb::BoardRange range = c < rangeCount ? ranges[c] : boardRange;
                const std::optional<std::uint16_t> code = ReferenceCode(cell.volts, range);
                FUZZ_CHECK(code); // below 1e300 V no step overflows
                held[c] = *code;
                heldExact[c] = cell.exact;
            }
            expected.push_back(held[c]);
            exact.push_back(heldExact[c]);
            listing += Hex(held[c]);
        }
        if (!expectedError && !uncertain)
            listing += "\r\n";
    }

    if (expectedError) {
        FUZZ_CHECK(!result && error == *expectedError);
        return 0;
    }
    if (uncertain && !result) { // this cell or a later one failed: one of the two texts
        const std::string_view invalidEnd = "' is not a valid floating point value";
        FUZZ_CHECK(error == "Floating point overflow" ||
                   (error.starts_with("'") && error.ends_with(invalidEnd) &&
                    error.size() >= 1 + invalidEnd.size()));
        return 0;
    }
    FUZZ_CHECK(result);
    const std::vector<std::uint16_t>& samples = result->samples;
    FUZZ_CHECK(samples.size() == rows.size() * n);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (exact[i])
            FUZZ_CHECK(samples[i] == expected[i]);
        else // a reading past 19 digits may differ in its last bit
            FUZZ_CHECK(samples[i] + 1 >= expected[i] && samples[i] <= expected[i] + 1);
    }
    if (uncertain)
        return 0;
    // Every held code is the one just before it in its channel, so the listing is exact where
    // the codes are; after a close code compare it with the codes actually stored.
    std::string stored;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < n; ++c)
            stored += Hex(samples[r * n + c]);
        FUZZ_CHECK(result->listing.line(r) ==
                   std::string_view(stored).substr(stored.size() - 5 * n));
        stored += "\r\n";
    }
    FUZZ_CHECK(result->listing.lineCount() == rows.size());
    FUZZ_CHECK(result->listing.text() == stored);
    if (std::find(exact.begin(), exact.end(), false) == exact.end())
        FUZZ_CHECK(stored == listing);
    return 0;
}
