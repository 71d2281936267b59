// Reading orvane-cli's arguments: CLI11 takes the command line apart, and
// every value is then checked here, so that each mistake gets a message
// that says what to type instead.
#include "cli/cli_options.h"

#include "formats/vector_writer.h"
#include "cli/output_formats.h"
#include "processing/threshold.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <optional>
#include <set>

namespace orvane::cli {
namespace {

struct CommandName {
    const char* name;
    const char* alias;
    Command command;
};

constexpr CommandName kCommands[] = {
    {"onetouch", nullptr, Command::OneTouch}, {"vectorise", "vectorize", Command::Vectorise},
    {"convert", nullptr, Command::Convert},   {"grey", "gray", Command::Grey},
    {"threshold", nullptr, Command::Threshold}, {"thin", nullptr, Command::Thin},
    {"canny", nullptr, Command::Canny},
};

template <typename T>
std::optional<T> number(const std::string& text)
{
    T value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

/// "R,G,B" with each part 0..255, packed.
std::optional<std::uint32_t> colour(const std::string& text)
{
    int parts[3];
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = i < 2 ? text.find(',', start) : text.size();
        if (comma == std::string::npos)
            return std::nullopt;
        auto value = number<int>(text.substr(start, comma - start));
        if (!value || *value < 0 || *value > 255)
            return std::nullopt;
        parts[i] = *value;
        start = comma + 1;
    }
    return PackColor(std::uint8_t(parts[0]), std::uint8_t(parts[1]), std::uint8_t(parts[2]));
}

std::optional<int> methodNumber(const std::string& name, bool allowCanny)
{
    if (name == "zhang-suen" || name == "zs")
        return 0;
    if (name == "stentiford" || name == "st")
        return 1;
    if (allowCanny && name == "canny")
        return 2;
    return std::nullopt;
}

std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

/// The formats of --format as extensions with the dot, or an error.
std::optional<std::string> formatList(const std::string& text, std::vector<std::string>& formats)
{
    if (text == "all") {
        formats = AllVectorOutputExtensions();
        return std::nullopt;
    }
    std::set<std::string> seen;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        std::string ext = text.substr(start, comma - start);
        if (ext.empty())
            return "option --format needs a list of extensions such as dxf,mif or all";
        if (ext[0] != '.')
            ext = "." + ext;
        if (!IsVectorOutputExtension(ext))
            return "unknown format '" + ext.substr(1) + "' in --format: use " + FormatNames() + " or all";
        if (!seen.insert(lowerCase(ext)).second)
            return "--format names " + ext.substr(1) + " twice";
        formats.push_back(ext);
        start = comma + 1;
    }
    return std::nullopt;
}

ParsedArguments failure(std::string error)
{
    ParsedArguments result;
    result.status = ParsedArguments::Status::Error;
    result.error = std::move(error);
    return result;
}

/// The values as given on the command line, before they are checked.
struct Given {
    std::vector<std::string> inputs, outputs;
    std::string format, jobs, method, saveImage, lower, upper, sigma, high, low, tolerance, size;
    std::string georef, units, dpi, dxf, topology, despeckle, report;
    bool help = false, quiet = false, verbose = false, keepTree = false, noSmooth = false, noReduce = false;
    bool withoutCrs = false;
};

/// The options of one command, as CLI11 is to read them. Everything is
/// taken as text so that this file says what is wrong with a value.
CLI::App* addCommand(CLI::App& app, const CommandName& name, Given& given)
{
    CLI::App* sub = app.add_subcommand(name.name);
    if (name.alias)
        sub->alias(name.alias);
    sub->set_help_flag();
    sub->add_flag("-h,--help", given.help);
    sub->add_option("inputs", given.inputs);
    sub->add_option("-o,--output", given.outputs)->allow_extra_args(false);
    sub->add_option("-j,--jobs", given.jobs);
    sub->add_flag("-q,--quiet", given.quiet);
    sub->add_flag("-v,--verbose", given.verbose);
    sub->add_option("--format", given.format);
    sub->add_flag("--keep-tree", given.keepTree);
    const Command c = name.command;
    if (c == Command::OneTouch || c == Command::Thin)
        sub->add_option("--method", given.method);
    if (c == Command::OneTouch)
        sub->add_option("--save-image", given.saveImage);
    if (c == Command::OneTouch || c == Command::Vectorise) {
        sub->add_flag("--no-smooth", given.noSmooth);
        sub->add_flag("--no-reduce", given.noReduce);
        sub->add_option("--tolerance", given.tolerance);
        sub->add_option("--topology", given.topology);
        sub->add_option("--report", given.report);
    }
    if (c == Command::OneTouch)
        sub->add_option("--despeckle", given.despeckle);
    if (c == Command::Threshold) {
        sub->add_option("--lower", given.lower);
        sub->add_option("--upper", given.upper);
    }
    if (c == Command::Canny) {
        sub->add_option("--sigma", given.sigma);
        sub->add_option("--high", given.high);
        sub->add_option("--low", given.low);
    }
    if (c == Command::Convert)
        sub->add_option("--size", given.size);
    if (c == Command::OneTouch || c == Command::Vectorise || c == Command::Convert) {
        if (c != Command::Convert)
            sub->add_option("--georef", given.georef);
        sub->add_option("--units", given.units);
        sub->add_option("--dpi", given.dpi);
        sub->add_option("--dxf", given.dxf);
        sub->add_flag("--without-crs", given.withoutCrs);
    }
    return sub;
}

/// CLI11's complaint in the words of this program.
std::string explain(const CLI::ParseError& error, const std::string& command)
{
    const std::string what = error.what();
    if (dynamic_cast<const CLI::ExtrasError*>(&error)) {
        const std::size_t colon = what.find(':');
        std::string extra = colon == std::string::npos ? what : what.substr(colon + 2);
        if (!extra.empty() && extra[0] == '-')
            return "unknown option '" + extra + "' for " + command + " (a file name starting with '-' goes after --)";
        return "unexpected argument '" + extra + "'";
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error)) {
        const std::size_t colon = what.find(':');
        return "option " + what.substr(0, colon) + " needs a value";
    }
    return what;
}

/// Checks the values given and fills the options; an error says what is
/// wrong and what to type instead.
std::optional<std::string> check(const Given& g, Options& o)
{
    auto needs = [](const char* option, const char* what) { return std::string("option ") + option + " needs " + what; };
    o.inputs = g.inputs;
    o.quiet = g.quiet;
    o.verbose = g.verbose;
    o.keepTree = g.keepTree;
    if (g.outputs.size() > 1)
        return std::string("-o is given more than once: give one output (a folder for several inputs)");
    if (!g.outputs.empty())
        o.output = g.outputs[0];
    if (!g.format.empty() && !o.producesVectors())
        return std::string("--format is for the vector commands; image commands write BMP");
    if (!g.format.empty())
        if (auto error = formatList(g.format, o.formats))
            return error;
    if (!g.jobs.empty()) {
        auto n = number<int>(g.jobs);
        if (!n || *n < 1)
            return needs("-j", "a number of at least 1");
        o.jobs = *n;
    }
    if (!g.method.empty()) {
        auto m = methodNumber(g.method, o.command == Command::OneTouch);
        if (!m)
            return needs("--method", o.command == Command::OneTouch ? "zhang-suen, stentiford or canny"
                                                                    : "zhang-suen or stentiford");
        o.method = *m;
    }
    o.saveImage = g.saveImage;
    o.smooth = !g.noSmooth;
    o.reduce = !g.noReduce;
    if (!g.tolerance.empty()) {
        auto t = number<double>(g.tolerance);
        if (!t || !(*t >= 0.0) || *t > 1000.0)
            return needs("--tolerance", "a number of pixels from 0 to 1000");
        o.tolerance = *t;
        o.toleranceGiven = true;
    }
    if (!g.topology.empty()) {
        if (g.topology != "split" && g.topology != "clean")
            return needs("--topology", "split or clean");
        o.cleanTopology = g.topology == "clean";
    }
    if (!g.despeckle.empty()) {
        auto d = number<int>(g.despeckle);
        if (!d || *d < 0 || *d > 1000)
            return needs("--despeckle", "a size in pixels from 0 (keep every speck) to 1000");
        if (!o.cleanTopology)
            return std::string("--despeckle is for --topology clean");
        o.despeckle = *d;
    }
    o.report = g.report;
    for (const auto& [text, target, name] : {std::tuple{&g.lower, &o.lower, "--lower"}, std::tuple{&g.upper, &o.upper, "--upper"}}) {
        if (text->empty())
            continue;
        auto c = colour(*text);
        if (!c)
            return needs(name, "a colour R,G,B with each part 0 to 255");
        *target = *c;
    }
    if (!g.sigma.empty()) {
        auto s = number<float>(g.sigma);
        if (!s || !(*s > 0.0f) || *s > 100.0f)
            return needs("--sigma", "a number above 0 and at most 100");
        o.sigma = *s;
    }
    for (const auto& [text, target, name] : {std::tuple{&g.high, &o.high, "--high"}, std::tuple{&g.low, &o.low, "--low"}}) {
        if (text->empty())
            continue;
        auto n = number<int>(*text);
        if (!n || *n < 0 || *n > 255)
            return needs(name, "a whole number from 0 to 255");
        *target = *n;
    }
    if (!g.size.empty()) {
        const std::size_t x = g.size.find_first_of("xX");
        auto w = x != std::string::npos ? number<int>(g.size.substr(0, x)) : std::nullopt;
        auto h = x != std::string::npos ? number<int>(g.size.substr(x + 1)) : std::nullopt;
        if (!w || !h || *w <= 0 || *h <= 0)
            return needs("--size", "a size WIDTHxHEIGHT in pixels, such as 4000x3000");
        o.width = *w;
        o.height = *h;
    }

    if (!g.georef.empty()) {
        if (g.georef != "auto" && g.georef != "none")
            return needs("--georef", "auto or none");
        o.georef = g.georef == "auto";
    }
    if (!g.units.empty()) {
        if (g.units != "mm" && g.units != "in")
            return needs("--units", "mm or in");
        o.unit = g.units == "mm" ? OutputUnit::Millimetre : OutputUnit::Inch;
    }
    if (!g.dpi.empty()) {
        auto d = number<double>(g.dpi);
        if (!d || !(*d > 0.0) || *d > 1e6)
            return needs("--dpi", "a resolution in pixels per inch, above 0");
        o.dpi = *d;
    }
    if (!g.dxf.empty()) {
        if (g.dxf != "classic" && g.dxf != "r12" && g.dxf != "r2000")
            return needs("--dxf", "classic, r12 or r2000");
        o.dxf = g.dxf == "r12" ? DxfProfile::R12 : g.dxf == "r2000" ? DxfProfile::R2000 : DxfProfile::Classic;
    }
    o.withoutCrs = g.withoutCrs;
    if (o.command == Command::Convert && o.unit != OutputUnit::Pixel && o.dpi == 0)
        return std::string("convert has no scan to take the resolution from: give --dpi N with --units");

    if (o.inputs.empty())
        return std::string("no input file given");
    if (std::find(o.inputs.begin(), o.inputs.end(), std::string()) != o.inputs.end())
        return std::string("an input name is empty: give the name of a file");
    if (o.output.empty())
        return std::string("no output given (-o PATH)");
    if (o.command == Command::Threshold && (g.lower.empty() || g.upper.empty()))
        return std::string("threshold needs --lower R,G,B and --upper R,G,B");
    if (o.command == Command::Threshold && o.lower > o.upper)
        return std::string("--lower is above --upper, so no colour would be kept: give the darker colour as "
                           "--lower (colours compare blue first, then green, then red)");
    if (o.command == Command::Convert && g.size.empty())
        return std::string("convert needs --size WIDTHxHEIGHT");
    if (!o.saveImage.empty() && o.inputs.size() > 1)
        return std::string("--save-image takes one input only");
    if (!o.report.empty() && o.inputs.size() > 1)
        return std::string("--report takes one input only");
    return std::nullopt;
}

} // namespace

std::string UsageText()
{
    return R"(Usage: orvane-cli COMMAND [OPTIONS] INPUT... -o OUTPUT

Turns scanned line drawings into vector lines, or runs one image step of the
chain. Scans may be BMP, TIFF (1-bit G4 included), PNG, JPEG or anything else
GDAL reads. Every file is written under a temporary name, synced to disk and
renamed into place when complete: a failure never leaves a half-written file.

Commands:
  onetouch IN -o OUT.ext       thin (or find edges) and trace in one step
        --method zhang-suen|stentiford|canny   (default: stentiford)
        --save-image OUT.bmp   also save the processed image (one input only)
        --no-smooth, --no-reduce, --tolerance PX, --topology, --report
                               as for vectorise
        --despeckle PX         with --topology clean: drop specks of ink that
                               fit in a PX square before thinning (default:
                               sized from the strokes; 0 keeps them all)
  vectorise IN -o OUT.ext      trace an already thinned image
        --no-smooth            do not smooth traced lines
        --no-reduce            do not drop vertices within the tolerance
        --tolerance PX         reduction tolerance in pixels (default: 1.2;
                               0.5 with --topology clean, where it is the
                               most a line may move from its centre pixels)
        --topology split|clean split: a line ends at every junction pixel
                               (default); clean: one line per drawn stroke,
                               joined through crossings and T-junctions,
                               without spurs, closed shapes closed
        --report FILE.csv      also write the line quality report: per line
                               its id, vertices, length, open or closed,
                               free ends, and the largest and mean distance
                               from the pixels it was traced from
  convert IN.arc -o OUT.ext --size WxH
                               read an ARC file and write another format; the
                               image size bounds DXF and MIF drawings
  grey IN -o OUT.bmp           convert to grey scale (8 or 24 bits)
  threshold IN -o OUT.bmp --lower R,G,B --upper R,G,B
                               turn every colour outside the range white
  thin IN -o OUT.bmp [--method zhang-suen|stentiford]
                               thin strokes to one-pixel centre lines
  canny IN -o OUT.bmp [--sigma S] [--high H] [--low L]
                               Canny edges (defaults: sigma 4, high 5, low 3)

Vector formats, chosen by the output's extension: .dxf (DXF), .mif (MIF, with
its .mid), .txt (line report), .arc (ARC), .di (DI), .asc (ASCII X,Y,Z), .svg
(SVG), and through GDAL .gpkg (GeoPackage), .shp (Shapefile, with .shx, .dbf
and .prj), .geojson (GeoJSON) and .fgb (FlatGeobuf).

Placement (onetouch, vectorise, convert):
  --georef auto|none  a scan with georeferencing (GeoTIFF tags, or a world
                      file beside it: .tfw, .pgw, .jgw, .bpw, .wld) gives
                      map coordinates in every format but ARC and SVG
                      (default: auto); none keeps pixel coordinates
  --units mm|in       a drawing in millimetres or inches instead of pixels,
                      from the scan's resolution or --dpi
  --dpi N             the scan's resolution in pixels per inch
  --dxf classic|r12|r2000
                      the DXF written: classic (default), a minimal R12 file
                      of POLYLINEs, or an R2000 file of LWPOLYLINEs
  --without-crs       write map coordinates to formats that cannot hold the
                      coordinate system (DXF, text, DI, ASC) all the same

Options:
  -o, --output PATH   the output file; a folder with several inputs or with
                      --format (outputs are named after the inputs)
  --format LIST       output formats for a folder: dxf,gpkg,... or all
  --keep-tree         in the output folder, keep the inputs' folders apart
                      (scans/a/p.bmp and scans/b/p.bmp give OUT/a/p.dxf and
                      OUT/b/p.dxf); without it, two inputs of one name are a
                      usage error, as nothing may be written twice
  -j, --jobs N        inputs processed at once (default: one per core, as
                      far as the memory they need allows)
  -q, --quiet         print nothing but errors
  -v, --verbose       also print each step's status texts
  -h, --help          show this text
  --version           show the version
  --                  everything after it is an input, even if it starts
                      with '-'

Exit status: 0 when every input succeeded, 1 when any input failed (the
others are still processed), 2 for a usage error (nothing is done). Questions
the program would ask in its desktop form take their first answer (OK, or
Yes). An input whose job needs more memory than the machine has free is
refused before it starts. Ctrl-C stops the running steps; files being
written are discarded.
)";
}

ParsedArguments ParseArguments(const std::vector<std::string>& args)
{
    ParsedArguments result;
    if (args.empty())
        return failure("no command given");
    const std::string& first = args[0];
    if (first == "-h" || first == "--help" || first == "help") {
        result.status = ParsedArguments::Status::Help;
        return result;
    }
    if (first == "--version") {
        result.status = ParsedArguments::Status::Version;
        return result;
    }
    const auto* named = std::find_if(std::begin(kCommands), std::end(kCommands), [&](const CommandName& c) {
        return first == c.name || (c.alias && first == c.alias);
    });
    if (named == std::end(kCommands))
        return failure("unknown command '" + first + "'");

    CLI::App app("orvane-cli", "orvane-cli");
    app.set_help_flag();
    app.require_subcommand(1, 1);
    Given given;
    addCommand(app, *named, given);
    std::vector<std::string> reversed(args.rbegin(), args.rend()); // CLI11 takes the arguments last first
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        return failure(explain(error, named->name));
    } catch (const std::exception& error) {
        return failure(error.what());
    }
    if (given.help) {
        result.status = ParsedArguments::Status::Help;
        return result;
    }
    result.options.command = named->command;
    if (auto error = check(given, result.options))
        return failure(*error);
    return result;
}

} // namespace orvane::cli
