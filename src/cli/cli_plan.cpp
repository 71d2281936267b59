// Planning a run's outputs.
#include "cli/cli_plan.h"

#include "formats/export_driver.h"
#include "cli/output_formats.h"

#include <map>
#include <system_error>

namespace orvane::cli {
namespace fs = std::filesystem;
namespace {

bool isFolderOutput(const Options& options)
{
    std::error_code ec;
    return options.inputs.size() > 1 || !options.formats.empty() || options.keepTree ||
           options.output.ends_with('/') || fs::is_directory(options.output, ec);
}

bool isBmp(const fs::path& path)
{
    std::string ext = FileExtension(path);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".bmp";
}

/// Why one output file cannot be what the command writes, or "".
std::string checkFileOutput(const Options& options)
{
    const fs::path out(options.output);
    if (!options.producesVectors())
        return isBmp(out) ? "" : "the output of an image command is a BMP file: " + options.output;
    const std::string ext = FileExtension(out);
    if (ext.empty())
        return "the output '" + options.output + "' has no extension: name a file such as " + options.output +
               ".dxf, or a folder with -o " + options.output + "/ and --format";
    if (!IsVectorOutputExtension(ext))
        return "unknown vector file extension '" + ext + "' in " + options.output + ": use " + ExtensionList();
    return "";
}

/// A path made absolute without throwing (an unusable path stays as it is).
fs::path absolutePath(const fs::path& path)
{
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute;
}

/// The folder under which every input lies (their nearest common folder).
fs::path commonFolder(const std::vector<std::string>& inputs)
{
    fs::path common;
    for (const std::string& input : inputs) {
        const fs::path folder = absolutePath(input).lexically_normal().parent_path();
        if (common.empty()) {
            common = folder;
            continue;
        }
        fs::path shared;
        for (auto a = common.begin(), b = folder.begin(); a != common.end() && b != folder.end() && *a == *b; ++a, ++b)
            shared /= *a;
        common = shared;
    }
    return common;
}

/// A file's identity for comparing outputs: its absolute, normal path.
std::string identity(const fs::path& path)
{
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(absolutePath(path), ec);
    return (ec ? absolutePath(path).lexically_normal() : canonical).string();
}

} // namespace

/// Why the plan would write over an input, or over one of its own files
/// twice; "" when it would not.
std::string checkOverwrites(const Options& options, const std::vector<Job>& jobs)
{
    std::map<std::string, std::string> written; // file -> what writes it
    for (const Job& job : jobs)
        for (const fs::path& out : job.outputs)
            written.emplace(identity(out), job.input);
    for (const std::string& input : options.inputs)
        if (written.count(identity(input)))
            return "the output " + input + " is an input: the scan would be replaced by what is made of it; "
                   "give another output";
    if (!options.saveImage.empty()) {
        if (!isBmp(options.saveImage))
            return "--save-image writes a BMP file: give a name ending in .bmp";
        if (written.count(identity(options.saveImage)) || identity(options.saveImage) == identity(options.inputs[0]))
            return "--save-image " + options.saveImage + " is the input or an output: give another name";
    }
    return "";
}

std::optional<std::vector<Job>> MakePlan(const Options& options, std::string& error)
{
    if (options.command == Command::Convert)
        for (const std::string& input : options.inputs) {
            std::string ext = FileExtension(input);
            for (char& c : ext)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            if (ext != ".arc") {
                error = "convert reads ARC files: " + input + " does not end in .arc";
                return std::nullopt;
            }
        }
    std::vector<Job> jobs;
    if (!isFolderOutput(options)) {
        error = checkFileOutput(options);
        if (!error.empty())
            return std::nullopt;
        jobs.push_back({options.inputs[0], {fs::path(options.output)}, {}});
        error = checkOverwrites(options, jobs);
        if (!error.empty())
            return std::nullopt;
        return jobs;
    }
    std::error_code ec;
    if (options.inputs.size() > 1 && !options.output.ends_with('/') && !fs::is_directory(options.output, ec) &&
        !FileExtension(options.output).empty()) {
        error = std::to_string(options.inputs.size()) + " inputs cannot all be written to the one file " +
                options.output + ": give a folder with -o (and the formats with --format)";
        return std::nullopt;
    }
    if (!fs::is_directory(options.output, ec) && !options.output.ends_with('/') &&
        IsVectorOutputExtension(FileExtension(options.output))) {
        error = "the output '" + options.output + "' is named like a file, but with --format or several inputs " +
                "it is a folder: give a folder name, or leave out --format";
        return std::nullopt;
    }
    std::vector<std::string> formats = options.formats;
    if (!options.producesVectors())
        formats = {".bmp"};
    if (formats.empty()) {
        error = "with an output folder, say which formats to write with --format (a list such as dxf,gpkg, or all)";
        return std::nullopt;
    }

    const fs::path common = options.keepTree ? commonFolder(options.inputs) : fs::path();
    std::map<std::string, std::string> writer; // output file -> the input that writes it
    for (const std::string& input : options.inputs) {
        fs::path folder(options.output);
        if (options.keepTree)
            folder /= absolutePath(input).lexically_normal().parent_path().lexically_relative(common);
        Job job{input, {}, folder.lexically_normal()};
        for (const std::string& ext : formats) {
            const fs::path out = (folder / (fs::path(input).stem().string() + ext)).lexically_normal();
            const auto [at, added] = writer.emplace(identity(out), input);
            if (!added) {
                error = identity(at->second) == identity(input)
                            ? "'" + input + "' is given twice: each input is written once"
                            : "'" + at->second + "' and '" + input + "' would both be written to " + out.string() +
                                  ": add --keep-tree to keep their folders apart, or rename one";
                return std::nullopt;
            }
            job.outputs.push_back(out);
        }
        jobs.push_back(std::move(job));
    }
    error = checkOverwrites(options, jobs);
    if (!error.empty())
        return std::nullopt;
    return jobs;
}

} // namespace orvane::cli
