// BMP reading and writing of a 4000 x 3000 24-bit image, in memory and
// through a file in the page cache. Reports bytes per second.
#include "image/bitmap_image.h"
#include "image/bmp_file.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <vector>

namespace {

using orvane::CBitmapImage;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

CBitmapImage makeImage()
{
    CBitmapImage image;
    image.Create(kWidth, kHeight, 24);
    std::uint8_t* bits = image.GetBits();
    for (std::uint32_t i = 0; i < image.GetBitsSize(); ++i)
        bits[i] = std::uint8_t(i * 2654435761u >> 24);
    return image;
}

/// A seekable read-only stream buffer over bytes held elsewhere.
class MemoryReadBuffer : public std::streambuf {
public:
    explicit MemoryReadBuffer(const std::vector<char>& bytes)
    {
        char* p = const_cast<char*>(bytes.data());
        setg(p, p, p + bytes.size());
    }

protected:
    pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode) override
    {
        char* base = dir == std::ios::beg ? eback() : dir == std::ios::cur ? gptr() : egptr();
        if (base + off < eback() || base + off > egptr())
            return pos_type(off_type(-1));
        setg(eback(), base + off, egptr());
        return pos_type(gptr() - eback());
    }
    pos_type seekpos(pos_type pos, std::ios::openmode mode) override { return seekoff(off_type(pos), std::ios::beg, mode); }
};

/// A write stream buffer into a preallocated block.
class MemoryWriteBuffer : public std::streambuf {
public:
    explicit MemoryWriteBuffer(std::vector<char>& bytes) { setp(bytes.data(), bytes.data() + bytes.size()); }
};

std::vector<char> encoded(const CBitmapImage& image)
{
    std::ostringstream out;
    image.Write(out);
    const std::string s = out.str();
    return {s.begin(), s.end()};
}

void BM_ReadMemory(benchmark::State& state)
{
    const std::vector<char> file = encoded(makeImage());
    for (auto _ : state) {
        MemoryReadBuffer buffer(file);
        std::istream in(&buffer);
        CBitmapImage image;
        if (!image.Read(in))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(image.GetBits());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}

void BM_WriteMemory(benchmark::State& state)
{
    const CBitmapImage image = makeImage();
    std::vector<char> file(encoded(image).size());
    for (auto _ : state) {
        MemoryWriteBuffer buffer(file);
        std::ostream out(&buffer);
        if (!image.Write(out))
            state.SkipWithError("write failed");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}

const std::filesystem::path kFile = std::filesystem::temp_directory_path() / "orvane-bench-4000x3000.bmp";

void BM_ReadFile(benchmark::State& state)
{
    const CBitmapImage source = makeImage();
    orvane::WriteBmpFile(source, kFile);
    const auto size = std::filesystem::file_size(kFile);
    for (auto _ : state) {
        CBitmapImage image;
        if (!orvane::ReadBmpFile(image, kFile))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(image.GetBits());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(size));
}

void BM_WriteFile(benchmark::State& state)
{
    const CBitmapImage image = makeImage();
    for (auto _ : state) {
        if (!orvane::WriteBmpFile(image, kFile))
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(std::filesystem::file_size(kFile)));
    std::filesystem::remove(kFile);
}

} // namespace

BENCHMARK(BM_ReadMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
