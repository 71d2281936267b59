// The R12 and R2000 DXF files: their sections and tables, closed lines,
// and in R2000 handles that are unique, owned and below $HANDSEED.
#include "formats/export_driver.h"

#include "format_test_support.h"

#include <map>
#include <set>

namespace orvane {
namespace {

using test::addLine;

/// A DXF file as its (group code, value) records.
struct Record {
    int code;
    std::string value;
    bool operator==(const Record&) const = default;
};
using Records = std::vector<Record>;

Records parse(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) // the classic file's "EOF"
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    Records records;
    EXPECT_EQ(lines.size() % 2, 0u);
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
        records.push_back({std::stoi(lines[i]), lines[i + 1]});
    return records;
}

/// The entities of the ENTITIES section, each as its records from its "0".
std::vector<Records> entities(const Records& file)
{
    std::vector<Records> out;
    bool inside = false;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == Record{2, "ENTITIES"} && i > 0 && file[i - 1] == Record{0, "SECTION"}) {
            inside = true;
            continue;
        }
        if (!inside)
            continue;
        if (file[i] == Record{0, "ENDSEC"})
            break;
        if (file[i].code == 0)
            out.emplace_back();
        out.back().push_back(file[i]);
    }
    return out;
}

/// The values of `code` in `records`, in order.
std::vector<std::string> values(const Records& records, int code)
{
    std::vector<std::string> out;
    for (const Record& r : records)
        if (r.code == code)
            out.push_back(r.value);
    return out;
}

/// The names after each "0 SECTION" and "0 TABLE", in order.
std::vector<std::string> structure(const Records& file)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i].code == 0 && (file[i].value == "SECTION" || file[i].value == "TABLE"))
            out.push_back(file[i + 1].value);
    return out;
}

class DxfProfileTest : public test::ScratchDir {
protected:
    void SetUp() override
    {
        ScratchDir::SetUp();
        addLine(store, 1, {{1, 1}, {9, 1}, {9, 6}, {1, 1}}); // closed: ends where it starts
        addLine(store, 2, {{2, 3}, {4, 5}});
        addLine(store, 3, {});
        addLine(store, 4, {{7, 8}});
        addLine(store, 5, {{3, 3}, {3, 3}}); // too short to close
    }
    Records exported(DxfProfile profile, const OutputFrame& frame = {})
    {
        RecordingPort port;
        ExportOptions options{frame, profile};
        EXPECT_EQ(ExportVectorFile(store, 20, 10, dir / "p.DXF", port, options), 1);
        return parse(test::slurp(dir / "p.DXF"));
    }
    CLineStore store;
};

TEST_F(DxfProfileTest, R12HasTheTablesOldReadersLookUpAndClosesLoops)
{
    const Records file = exported(DxfProfile::R12);
    EXPECT_EQ(structure(file), (std::vector<std::string>{"HEADER", "TABLES", "VPORT", "LTYPE", "LAYER", "STYLE", "VIEW",
                                                         "UCS", "APPID", "DIMSTYLE", "BLOCKS", "ENTITIES"}));
    EXPECT_EQ(file[3], (Record{1, "AC1009"}));
    EXPECT_EQ(file.back(), (Record{0, "EOF"}));
    EXPECT_TRUE(values(file, 5).empty()) << "R12 needs no handles";

    const std::vector<Records> found = entities(file);
    std::vector<std::string> kinds;
    for (const Records& e : found)
        kinds.push_back(e[0].value);
    EXPECT_EQ(kinds, (std::vector<std::string>{"POLYLINE", "VERTEX", "VERTEX", "VERTEX", "SEQEND", "POLYLINE", "VERTEX",
                                               "VERTEX", "SEQEND", "POINT", "POLYLINE", "VERTEX", "VERTEX", "SEQEND"}));
    EXPECT_EQ(values(found[0], 70), std::vector<std::string>{"1"}) << "the loop is closed";
    EXPECT_EQ(values(found[5], 70), std::vector<std::string>{"0"});
    EXPECT_EQ(values(found[10], 70), std::vector<std::string>{"0"}) << "two equal vertices make no loop";
    EXPECT_EQ(values(found[3], 10), std::vector<std::string>{"9.000"});
    EXPECT_EQ(values(found[3], 20), std::vector<std::string>{"-6.000"}) << "unplaced, y is negated";
    EXPECT_EQ(values(found[9], 20), std::vector<std::string>{"-8.000"});
    for (const Records& e : found)
        EXPECT_EQ(values(e, 8), std::vector<std::string>{"0"}) << "layer 0";
}

TEST_F(DxfProfileTest, R2000HandlesAreUniqueOwnedAndBelowTheSeed)
{
    for (int i = 0; i < 300; ++i) // handles past two hexadecimal digits
        addLine(store, 100 + i, {{double(i % 20), 1}, {1, 2}});
    const Records file = exported(DxfProfile::R2000);
    EXPECT_EQ(structure(file),
              (std::vector<std::string>{"HEADER", "CLASSES", "TABLES", "VPORT", "LTYPE", "LAYER", "STYLE", "VIEW",
                                        "UCS", "APPID", "DIMSTYLE", "BLOCK_RECORD", "BLOCKS", "ENTITIES", "OBJECTS"}));
    EXPECT_EQ(file[3], (Record{1, "AC1015"}));

    std::set<unsigned long> handles;
    unsigned long seed = 0;
    for (std::size_t i = 0; i + 1 < file.size(); ++i) {
        if (file[i] == Record{9, "$HANDSEED"}) {
            seed = std::stoul(file[++i].value, nullptr, 16);
        } else if (file[i].code == 5 || file[i].code == 105) {
            EXPECT_TRUE(handles.insert(std::stoul(file[i].value, nullptr, 16)).second) << file[i].value;
        }
    }
    ASSERT_GT(seed, 0u);
    EXPECT_GT(seed, *handles.rbegin());
    for (const Record& r : file) {
        if (r.code != 330 && r.code != 340 && r.code != 350)
            continue;
        const unsigned long target = std::stoul(r.value, nullptr, 16);
        EXPECT_TRUE(target == 0 || handles.count(target)) << r.code << " refers to a missing " << r.value;
    }

    const std::vector<Records> found = entities(file);
    ASSERT_EQ(found.size(), 4u + 300);
    EXPECT_EQ(found[0][0].value, "LWPOLYLINE");
    EXPECT_EQ(values(found[0], 90), std::vector<std::string>{"3"}) << "the closing vertex is not repeated";
    EXPECT_EQ(values(found[0], 70), std::vector<std::string>{"1"});
    EXPECT_EQ(values(found[0], 20), (std::vector<std::string>{"-1.000", "-1.000", "-6.000"}));
    EXPECT_EQ(values(found[1], 70), std::vector<std::string>{"0"});
    EXPECT_EQ(found[2][0].value, "POINT");
    EXPECT_EQ(values(found[3], 90), std::vector<std::string>{"2"});
}

TEST_F(DxfProfileTest, EveryProfileStatesKnownUnitsAndR2000AlwaysSaysWhich)
{
    OutputFrame millimetres;
    millimetres.placed = true;
    millimetres.transform = {0, 0.5, 0, 5, 0, -0.5};
    millimetres.unit = OutputUnit::Millimetre;
    auto header = [](const Records& file, const std::string& name) {
        for (std::size_t i = 0; i + 1 < file.size(); ++i)
            if (file[i] == Record{9, name})
                return file[i + 1].value;
        return std::string("absent");
    };
    for (DxfProfile profile : {DxfProfile::Classic, DxfProfile::R12, DxfProfile::R2000}) {
        const Records placed = exported(profile, millimetres);
        EXPECT_EQ(header(placed, "$INSUNITS"), "4");
        EXPECT_EQ(header(placed, "$MEASUREMENT"), "1");
        EXPECT_EQ(header(placed, "$EXTMAX"), "10.000");
        const std::vector<Records> found = entities(placed);
        const std::string x = profile == DxfProfile::R2000 ? values(found[0], 10)[1] : values(found[2], 10)[0];
        EXPECT_EQ(x, "4.500") << "placed x of pixel 9";
        const Records unplaced = exported(profile);
        EXPECT_EQ(header(unplaced, "$INSUNITS"), profile == DxfProfile::R2000 ? "0" : "absent");
        EXPECT_EQ(header(unplaced, "$MEASUREMENT"), "absent");
    }
}

} // namespace
} // namespace orvane
