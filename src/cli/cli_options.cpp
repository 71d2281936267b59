// Reading orvane-cli's arguments.
#include "cli/cli_options.h"

#include "formats/vector_writer.h"
#include "processing/threshold.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>

namespace orvane::cli {
namespace {

const std::map<std::string, Command>& commandNames()
{
    static const std::map<std::string, Command> names = {
        {"onetouch", Command::OneTouch}, {"grey", Command::Grey},           {"gray", Command::Grey},
        {"threshold", Command::Threshold}, {"thin", Command::Thin},         {"canny", Command::Canny},
        {"vectorise", Command::Vectorise}, {"vectorize", Command::Vectorise}, {"convert", Command::Convert},
    };
    return names;
}

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

bool formatList(const std::string& text, std::vector<std::string>& formats)
{
    if (text == "all") {
        for (const VectorWriter* writer : VectorWriters()) {
            std::string ext(writer->extension);
            for (char& c : ext)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            formats.push_back(ext);
        }
        return true;
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        std::string ext = text.substr(start, comma - start);
        if (ext.empty())
            return false;
        formats.push_back(ext[0] == '.' ? ext : "." + ext);
        start = comma + 1;
    }
    return true;
}

ParsedArguments failure(std::string error)
{
    ParsedArguments result;
    result.status = ParsedArguments::Status::Error;
    result.error = std::move(error);
    return result;
}

} // namespace

std::string UsageText()
{
    return R"(Usage: orvane-cli COMMAND [OPTIONS] INPUT... -o OUTPUT

Turns scanned line drawings (BMP files) into vector lines, or runs one image
step of the chain. Every file is written under a temporary name and renamed
into place when complete: a failure never leaves a half-written file.

Commands:
  onetouch IN.bmp -o OUT.ext   thin (or find edges) and trace in one step
        --method zhang-suen|stentiford|canny   (default: stentiford)
        --save-image OUT.bmp   also save the processed image (one input only)
  vectorise IN.bmp -o OUT.ext  trace an already thinned image
        --no-smooth            do not smooth traced lines
        --no-reduce            do not drop vertices within the tolerance
        --tolerance PX         reduction tolerance in pixels (default: 1.2)
  convert IN.arc -o OUT.ext --size WxH
                               read an ARC file and write another format; the
                               image size bounds DXF and MIF drawings
  grey IN.bmp -o OUT.bmp       convert to grey scale (8 or 24 bits)
  threshold IN.bmp -o OUT.bmp --lower R,G,B --upper R,G,B
                               turn every colour outside the range white
  thin IN.bmp -o OUT.bmp [--method zhang-suen|stentiford]
                               thin strokes to one-pixel centre lines
  canny IN.bmp -o OUT.bmp [--sigma S] [--high H] [--low L]
                               Canny edges (defaults: sigma 4, high 5, low 3)

Vector formats, chosen by the output's extension: .dxf (DXF), .mif (MIF, with
its .mid), .txt (line report), .arc (ARC), .di (DI), .asc (ASCII X,Y,Z).

Options:
  -o, --output PATH   the output file; a folder with several inputs or with
                      --format (outputs are named after the inputs)
  --format LIST       output formats for a folder: dxf,mif,... or all
  -j, --jobs N        inputs processed at once (default: one per core)
  -q, --quiet         print nothing but errors
  -v, --verbose       also print each step's status texts
  -h, --help          show this text
  --version           show the version

Exit status: 0 when every input succeeded, 1 when any input failed (the
others are still processed), 2 for a usage error. Questions the program would
ask in its desktop form take their first answer (OK, or Yes). Ctrl-C stops
the running steps; files being written are discarded.
)";
}

/// "--name=value" and "-jN" / "-oPATH" as two arguments each.
static std::vector<std::string> splitAttachedValues(const std::vector<std::string>& given)
{
    std::vector<std::string> args;
    for (const std::string& a : given) {
        const std::size_t equals = a.find('=');
        if (a.starts_with("--") && equals != std::string::npos) {
            args.push_back(a.substr(0, equals));
            args.push_back(a.substr(equals + 1));
        } else if (a.size() > 2 && (a.starts_with("-j") || a.starts_with("-o"))) {
            args.push_back(a.substr(0, 2));
            args.push_back(a.substr(2));
        } else {
            args.push_back(a);
        }
    }
    return args;
}

ParsedArguments ParseArguments(const std::vector<std::string>& givenArgs)
{
    const std::vector<std::string> args = splitAttachedValues(givenArgs);
    ParsedArguments result;
    Options& o = result.options;
    if (args.empty())
        return failure("no command given");
    std::size_t i = 0;
    const std::string& first = args[0];
    if (first == "-h" || first == "--help" || first == "help") {
        result.status = ParsedArguments::Status::Help;
        return result;
    }
    if (first == "--version") {
        result.status = ParsedArguments::Status::Version;
        return result;
    }
    auto found = commandNames().find(first);
    if (found == commandNames().end())
        return failure("unknown command '" + first + "'");
    o.command = found->second;
    ++i;

    bool haveLower = false, haveUpper = false, haveSize = false;
    // The value of the option at i, taken from the next argument.
    auto value = [&](const std::string&) -> std::optional<std::string> {
        if (i + 1 >= args.size())
            return std::nullopt;
        return args[++i];
    };
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto needs = [&](const char* what) { return failure("option " + a + " needs " + what); };
        if (a == "-h" || a == "--help") {
            result.status = ParsedArguments::Status::Help;
            return result;
        } else if (a == "-o" || a == "--output") {
            auto v = value(a);
            if (!v)
                return needs("a path");
            o.output = *v;
        } else if (a == "--format") {
            auto v = value(a);
            if (!v || !formatList(*v, o.formats))
                return needs("a list of extensions such as dxf,mif or all");
        } else if (a == "-j" || a == "--jobs") {
            auto v = value(a);
            auto n = v ? number<int>(*v) : std::nullopt;
            if (!n || *n < 1)
                return needs("a number of at least 1");
            o.jobs = *n;
        } else if (a == "-q" || a == "--quiet") {
            o.quiet = true;
        } else if (a == "-v" || a == "--verbose") {
            o.verbose = true;
        } else if (a == "--method" && (o.command == Command::OneTouch || o.command == Command::Thin)) {
            auto v = value(a);
            auto m = v ? methodNumber(*v, o.command == Command::OneTouch) : std::nullopt;
            if (!m)
                return needs(o.command == Command::OneTouch ? "zhang-suen, stentiford or canny"
                                                            : "zhang-suen or stentiford");
            o.method = *m;
        } else if (a == "--save-image" && o.command == Command::OneTouch) {
            auto v = value(a);
            if (!v)
                return needs("a path");
            o.saveImage = *v;
        } else if ((a == "--lower" || a == "--upper") && o.command == Command::Threshold) {
            auto v = value(a);
            auto c = v ? colour(*v) : std::nullopt;
            if (!c)
                return needs("a colour R,G,B with each part 0 to 255");
            (a == "--lower" ? o.lower : o.upper) = *c;
            (a == "--lower" ? haveLower : haveUpper) = true;
        } else if (a == "--sigma" && o.command == Command::Canny) {
            auto v = value(a);
            auto s = v ? number<float>(*v) : std::nullopt;
            if (!s || !(*s > 0.0f) || *s > 100.0f)
                return needs("a number above 0 and at most 100");
            o.sigma = *s;
        } else if ((a == "--high" || a == "--low") && o.command == Command::Canny) {
            auto v = value(a);
            auto n = v ? number<int>(*v) : std::nullopt;
            if (!n || *n < 0 || *n > 255)
                return needs("a whole number from 0 to 255");
            (a == "--high" ? o.high : o.low) = *n;
        } else if ((a == "--no-smooth" || a == "--no-reduce") && o.command == Command::Vectorise) {
            (a == "--no-smooth" ? o.smooth : o.reduce) = false;
        } else if (a == "--tolerance" && o.command == Command::Vectorise) {
            auto v = value(a);
            auto t = v ? number<double>(*v) : std::nullopt;
            if (!t || !(*t >= 0.0) || *t > 1000.0)
                return needs("a number of pixels from 0 to 1000");
            o.tolerance = *t;
        } else if (a == "--size" && o.command == Command::Convert) {
            auto v = value(a);
            const std::size_t x = v ? v->find_first_of("xX") : std::string::npos;
            auto w = x != std::string::npos ? number<int>(v->substr(0, x)) : std::nullopt;
            auto h = x != std::string::npos ? number<int>(v->substr(x + 1)) : std::nullopt;
            if (!w || !h || *w <= 0 || *h <= 0)
                return needs("a size WIDTHxHEIGHT in pixels, such as 4000x3000");
            o.width = *w;
            o.height = *h;
            haveSize = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return failure("unknown option '" + a + "' for " + first);
        } else {
            o.inputs.push_back(a);
        }
    }

    if (o.inputs.empty())
        return failure("no input file given");
    if (o.output.empty())
        return failure("no output given (-o PATH)");
    if (o.command == Command::Threshold && !(haveLower && haveUpper))
        return failure("threshold needs --lower R,G,B and --upper R,G,B");
    if (o.command == Command::Convert && !haveSize)
        return failure("convert needs --size WIDTHxHEIGHT");
    if (!o.saveImage.empty() && o.inputs.size() > 1)
        return failure("--save-image takes one input only");
    if (!o.formats.empty() && !o.producesVectors())
        return failure("--format is for the vector commands; image commands write BMP");
    return result;
}

} // namespace orvane::cli
