// The command line's arguments.
#pragma once

#include "formats/output_frame.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::cli {

enum class Command { OneTouch, Grey, Threshold, Thin, Canny, Vectorise, Convert };

/// Everything one run of orvane-cli was asked to do.
struct Options {
    Command command = Command::OneTouch;
    std::vector<std::string> inputs;
    std::string output;               ///< -o: a file, or a folder
    std::vector<std::string> formats; ///< --format: extensions with the dot (".dxf")
    int jobs = 0;                     ///< -j: 0 means one per core
    bool keepTree = false;            ///< --keep-tree: mirror the inputs' folders under the output folder
    bool quiet = false;
    bool verbose = false;

    int method = -1;        ///< --method: 0 Zhang-Suen, 1 Stentiford, 2 Canny; -1 the default
    std::string saveImage;  ///< onetouch --save-image
    std::uint32_t lower = 0, upper = 0xFFFFFF; ///< threshold bounds, packed colours
    float sigma = 4.0f;     ///< canny
    int high = 5, low = 3;
    bool smooth = true, reduce = true; ///< vectorise
    double tolerance = 1.2;
    bool toleranceGiven = false;
    bool cleanTopology = false; ///< --topology clean
    int despeckle = -1;         ///< --despeckle: -1 sized from the strokes
    std::string report;         ///< --report FILE.csv
    int width = 0, height = 0; ///< convert --size

    bool georef = true;                   ///< --georef auto (true) or none
    OutputUnit unit = OutputUnit::Pixel;  ///< --units mm|in
    double dpi = 0;                       ///< --dpi: 0 for the scan's own
    DxfProfile dxf = DxfProfile::Classic; ///< --dxf classic|r12|r2000
    bool withoutCrs = false;              ///< --without-crs: write formats that cannot hold the CRS

    bool producesVectors() const
    {
        return command == Command::OneTouch || command == Command::Vectorise || command == Command::Convert;
    }
};

/// The outcome of reading the arguments.
struct ParsedArguments {
    enum class Status { Run, Help, Version, Error } status = Status::Run;
    std::string error; ///< for Error: what was wrong, in one line
    Options options;
};

/// Reads the arguments (argv[0] excluded) and checks them against each
/// other; what the file system holds is checked later (see MakePlan).
/// Never exits and never throws.
ParsedArguments ParseArguments(const std::vector<std::string>& args);

/// The --help text.
std::string UsageText();

} // namespace orvane::cli
