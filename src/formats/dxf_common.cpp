// What the DXF writers share.
#include "formats/dxf_common.h"

#include <cctype>
#include <string>

namespace orvane {

DxfOut& DxfOut::text(int code, std::string_view value)
{
    m_t.integer(code).eol().text(value).eol();
    return *this;
}

DxfOut& DxfOut::integer(int code, std::int64_t value)
{
    m_t.integer(code).eol().integer(value).eol();
    return *this;
}

DxfOut& DxfOut::real(int code, double value, int decimals)
{
    m_t.integer(code).eol().fixed(value, decimals).eol();
    return *this;
}

DxfOut& DxfOut::handle(int code, std::uint64_t value)
{
    char digits[17];
    int count = 0;
    do {
        digits[count++] = "0123456789ABCDEF"[value % 16];
        value /= 16;
    } while (value != 0);
    std::string text(digits, digits + count);
    return this->text(code, std::string(text.rbegin(), text.rend()));
}

bool IsProjectedInMetres(std::string_view wkt)
{
    std::string upper(wkt);
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    if (!upper.starts_with("PROJCS[") && !upper.starts_with("PROJCRS["))
        return false;
    // The projected system's own unit comes after the base system's, so the
    // last unit named is the one of the coordinates.
    const std::size_t unit = upper.rfind("UNIT[\"");
    if (unit == std::string::npos)
        return false;
    const std::size_t name = unit + 6;
    const std::size_t close = upper.find('"', name);
    if (close == std::string::npos)
        return false;
    const std::string_view unitName = std::string_view(upper).substr(name, close - name);
    return unitName == "METRE" || unitName == "METER" || unitName == "M";
}

std::optional<DxfUnits> DrawingUnits(const OutputFrame& frame)
{
    if (!frame.placed)
        return std::nullopt;
    switch (frame.unit) {
    case OutputUnit::Millimetre:
        return DxfUnits{4, 1};
    case OutputUnit::Inch:
        return DxfUnits{1, 0};
    case OutputUnit::Map:
        if (IsProjectedInMetres(frame.crsWkt))
            return DxfUnits{6, 1};
        return std::nullopt;
    case OutputUnit::Pixel:
        break;
    }
    return std::nullopt;
}

void WriteUnitVariables(DxfOut& dxf, const DxfUnits& units)
{
    dxf.variable("$INSUNITS").integer(70, units.insUnits);
    dxf.variable("$MEASUREMENT").integer(70, units.measurement);
}

DxfView ViewOf(const OutputBounds& bounds)
{
    const double width = bounds.maxX - bounds.minX;
    const double height = bounds.maxY - bounds.minY;
    DxfView view;
    view.centreX = (bounds.minX + bounds.maxX) / 2;
    view.centreY = (bounds.minY + bounds.maxY) / 2;
    view.height = height > 0 ? height : (width > 0 ? width : 1);
    view.aspect = width > 0 && height > 0 ? width / height : 1;
    return view;
}

} // namespace orvane
