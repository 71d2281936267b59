// Writing 100 000 lines of 20 vertices in each vector format, to a file in
// the page cache. Reports bytes written per second.
#include "formats/export_driver.h"
#include "formats/vector_writer.h"
#include "port/port.h"
#include "vector/line_store.h"

#include <benchmark/benchmark.h>

#include <cctype>
#include <cmath>
#include <filesystem>

namespace {

using namespace orvane;

const CLineStore& store()
{
    static CLineStore lines;
    if (lines.GetLineCount() == 0)
        for (int i = 0; i < 100000; ++i) {
            PointList points;
            for (int k = 0; k < 20; ++k)
                points.append(std::fmod(i * 0.37 + k * 1.5, 4000.0), std::fmod(i * 0.11 + k * 0.75, 3000.0));
            lines.AddLine(points);
        }
    return lines;
}

void BM_Export(benchmark::State& state, const VectorWriter* writer)
{
    const CLineStore& lines = store();
    std::string ext(writer->extension);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::filesystem::path path = std::filesystem::temp_directory_path() / ("orvane-export-bench" + ext);
    SilentPort port;
    for (auto _ : state)
        if (!ExportVectorFile(lines, 4000, 3000, path, port))
            state.SkipWithError("export failed");
    std::uintmax_t bytes = std::filesystem::file_size(path);
    std::filesystem::path companion = path;
    companion.replace_extension(".mid");
    if (std::filesystem::exists(companion))
        bytes += std::filesystem::file_size(companion);
    state.SetBytesProcessed(std::int64_t(state.iterations() * bytes));
    state.counters["MB"] = double(bytes) / 1e6;
    std::filesystem::remove(path);
    std::filesystem::remove(companion);
}

} // namespace

int main(int argc, char** argv)
{
    for (const VectorWriter* writer : VectorWriters())
        benchmark::RegisterBenchmark(("BM_Export" + std::string(writer->extension)).c_str(), BM_Export, writer)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
