// Assembling the text of vector files in memory.
//
// Vector files are text files with CR LF line ends on every platform and
// numbers formatted by the C printf rules ("%f", "%.2f", "%.3f", "%d"),
// independent of the user's locale.
#pragma once

#include <charconv>
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
        char buffer[400];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
        m_out.append(buffer, ec == std::errc() ? end : buffer);
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
    std::string& m_out;
};

} // namespace orvane
