// Assembling the text of vector files in memory.
//
// Vector files are text files with CR LF line ends on every platform and
// numbers formatted by the C printf rules ("%f", "%.2f", "%.3f", "%d"),
// independent of the user's locale.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

/// Appends text to a string, turning each "\n" into CR LF.
class TextOut {
public:
    explicit TextOut(std::string& out) : m_out(out) {}

    /// Literal text; every "\n" becomes CR LF.
    TextOut& text(std::string_view s)
    {
        for (std::size_t start = 0;;) {
            const std::size_t nl = s.find('\n', start);
            if (nl == std::string_view::npos) {
                m_out.append(s.substr(start));
                return *this;
            }
            m_out.append(s.substr(start, nl - start));
            m_out.append("\r\n");
            start = nl + 1;
        }
    }
    TextOut& eol()
    {
        m_out.append("\r\n");
        return *this;
    }
    /// A double with `decimals` decimals, as printf's "%.Nf" gives it
    /// (negative zero prints with its sign).
    TextOut& fixed(double value, int decimals = 6)
    {
        if (!fixedFast(value, decimals)) {
            char buffer[400];
            auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
            m_out.append(buffer, ec == std::errc() ? end : buffer);
        }
        return *this;
    }
    /// An integer, as "%d" gives it.
    TextOut& integer(std::int64_t value)
    {
        char buffer[24];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
        m_out.append(buffer, end);
        return *this;
    }
    /// Pads what was appended since `mark` with spaces to at least `width`
    /// characters, as printf's left-justified "%-Nd" / "%-Ns" do.
    TextOut& padFrom(std::size_t mark, std::size_t width)
    {
        const std::size_t written = m_out.size() - mark;
        if (written < width)
            m_out.append(width - written, ' ');
        return *this;
    }
    std::size_t size() const { return m_out.size(); }

private:
    /// The common case of fixed(): a value whose scaled magnitude stays below
    /// 2^35 and is not within 1e-4 of a rounding tie. There the rounding
    /// error of one multiplication (under 4e-6) cannot change the printed
    /// digits, which then equal the correctly rounded ones printf gives.
    /// Returns false, having written nothing, for every other value.
    bool fixedFast(double value, int decimals)
    {
        static constexpr double kScale[] = {1, 10, 100, 1000, 1e4, 1e5, 1e6};
        if (decimals < 0 || decimals > 6)
            return false;
        const double scaled = std::fabs(value) * kScale[decimals];
        if (!(scaled < 34359738368.0)) // 2^35; also refuses NaN
            return false;
        const double whole = std::floor(scaled);
        const double fraction = scaled - whole;
        if (std::fabs(fraction - 0.5) < 1e-4)
            return false;
        std::uint64_t n = std::uint64_t(whole) + (fraction > 0.5 ? 1 : 0);
        char digits[24];
        int count = 0;
        do {
            digits[count++] = char('0' + n % 10);
            n /= 10;
        } while (n != 0 || count <= decimals);
        if (std::signbit(value))
            m_out.push_back('-');
        for (int i = count - 1; i >= 0; --i) {
            m_out.push_back(digits[i]);
            if (i == decimals && decimals > 0)
                m_out.push_back('.');
        }
        return true;
    }

    std::string& m_out;
};

} // namespace orvane
