#include "sample_conversion.h"

#include "volts_parser.h"

#include "table/huge_pages.h"

#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace arb {

namespace {

constexpr int kMaxChannels = 16;

// A long double at or beyond this magnitude rounds to infinity when stored as a double.
const long double kDoubleOverflowLimit =
    static_cast<long double>(DBL_MAX) + std::ldexp(1.0L, DBL_MAX_EXP - DBL_MANT_DIG - 1);

// Two hex digits per byte value, so a code is written with two look-ups.
constexpr std::array<std::array<char, 2>, 256> kHexPairs = [] {
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<std::array<char, 2>, 256> pairs{};
    for (int v = 0; v < 256; ++v)
        pairs[v] = {digits[v >> 4], digits[v & 15]};
    return pairs;
}();

void WriteCode(char* out, std::uint16_t code) {
    std::memcpy(out, kHexPairs[code >> 8].data(), 2);
    std::memcpy(out + 2, kHexPairs[code & 0xFF].data(), 2);
    out[4] = ' ';
}

[[noreturn, gnu::noinline, gnu::cold]] void ThrowOverflow() {
    throw ConversionError("Floating point overflow");
}

// Rounds an extended intermediate to the double it is stored in; an overflow is an error rather
// than an infinity.
inline double StoreDouble(long double value) {
    if (std::fabs(value) >= kDoubleOverflowLimit) [[unlikely]]
        ThrowOverflow();
    return static_cast<double>(value);
}

// Below this magnitude in volts no scaling step can overflow (1e300 / 5 * 65536 < DBL_MAX), so
// the common case stores without checks.
constexpr long double kSafeVolts = 1e300L;

[[noreturn, gnu::noinline, gnu::cold]] void ThrowNotANumber(std::string_view field) {
    std::string message = "'";
    message += field;
    message += "' is not a valid floating point value";
    throw ConversionError(message);
}

template <bool checked> double Store(long double value) {
    return checked ? StoreDouble(value) : static_cast<double>(value);
}

template <bool checked> std::uint16_t Scale(long double volts, BoardRange channelRange) {
    double v = Store<checked>(volts / 5.0L);
    if (IsTenVoltSpan(channelRange))
        v = Store<checked>(v / 2.0L);
    if (IsBipolar(channelRange))
        v = Store<checked>((v + 1.0L) / 2.0L);
    return ClampToWord(Store<checked>(v * 65536.0L));
}

inline std::uint16_t ConvertCell(std::string_view field, BoardRange channelRange,
                                 char decimalSeparator) {
    long double volts;
    if (!ParseVolts(field, decimalSeparator, volts)) [[unlikely]]
        ThrowNotANumber(field);
    if (std::fabs(volts) < kSafeVolts) [[likely]]
        return Scale<false>(volts, channelRange);
    return Scale<true>(volts, channelRange);
}

} // namespace

std::string_view CodeListing::line(std::size_t row) const {
    if (row >= lines_)
        throw std::out_of_range("CodeListing::line: no such row");
    return std::string_view(text_).substr(row * lineLength_, lineLength_ - 2);
}

std::uint16_t ClampToWord(double m) {
    if (!(m > 0.0)) // also catches NaN
        return 0;
    if (m >= 65535.0)
        return 65535;
    return static_cast<std::uint16_t>(std::rint(m)); // default mode: halves go to even
}

// Fills the buffer and the listing in one pass over the rows.
class SampleConverter {
  public:
    static ConvertedTable Convert(const ConversionInput& input) {
        const int n = input.channelCount;
        if (n < 1 || n > kMaxChannels)
            throw std::invalid_argument("channel count must be 1 to 16");
        const std::size_t channels = static_cast<std::size_t>(n);
        const std::size_t rowCount = input.rows.size();

        // A channel without a range setting of its own (not expected after a load) is scaled by
        // the board range, so no read goes past the settings.
        std::array<BoardRange, kMaxChannels> ranges{};
        std::array<std::uint16_t, kMaxChannels> held{};
        const std::uint16_t zeroLevel = IsBipolar(input.boardRange) ? 0x8000 : 0x0000;
        for (std::size_t c = 0; c < channels; ++c) {
            ranges[c] = c < input.channelRanges.size() ? input.channelRanges[c] : input.boardRange;
            held[c] = zeroLevel;
        }

        ConvertedTable result;
        // Both big buffers are backed by huge pages before they are first written.
        result.samples.reserve(rowCount * channels);
        AdviseHugePages(result.samples.data(), rowCount * channels * sizeof(std::uint16_t));
        result.samples.resize(rowCount * channels);
        CodeListing& listing = result.listing;
        listing.lineLength_ = 5 * channels + 2;
        listing.text_.reserve(rowCount * listing.lineLength_);
        AdviseHugePages(listing.text_.data(), listing.text_.capacity());
        listing.lines_ = rowCount;

        std::vector<std::string_view> fields;
        std::uint16_t* sample = result.samples.data();
        char line[5 * kMaxChannels + 2];
        for (std::size_t r = 0; r < rowCount; ++r) {
            input.rows.fieldsOf(r, fields);
            const std::size_t fieldCount = fields.size();
            for (std::size_t c = 0; c < channels; ++c) {
                if (c < fieldCount && !fields[c].empty())
                    held[c] = ConvertCell(fields[c], ranges[c], input.decimalSeparator);
                *sample++ = held[c];
                WriteCode(line + 5 * c, held[c]);
            }
            line[5 * channels] = '\r';
            line[5 * channels + 1] = '\n';
            listing.text_.append(line, listing.lineLength_);
        }
        return result;
    }
};

ConvertedTable BuildSampleBuffer(const ConversionInput& input) {
    return SampleConverter::Convert(input);
}

} // namespace arb
