// GetPixelColor over every pixel of a 4000 x 3000 image of each depth, and
// the histogram the desktop shows of such an image. Reports pixels per
// second.
#include "image/bitmap_image.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using orvane::CBitmapImage;

/// A 4000 x 3000 image of `bits` bits with pixels of every value.
CBitmapImage noise(int bits)
{
    std::vector<orvane::RGBQUAD> table(bits <= 8 ? 1u << bits : 0);
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = orvane::RGBQUAD{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0};
    CBitmapImage image;
    image.Create(4000, 3000, bits, table);
    std::uint8_t* p = image.GetBits();
    for (std::uint32_t i = 0; i < image.GetBitsSize(); ++i)
        p[i] = std::uint8_t(i * 2654435761u >> 24);
    return image;
}

void BM_GetPixelColor(benchmark::State& state)
{
    const CBitmapImage image = noise(int(state.range(0)));
    for (auto _ : state) {
        unsigned sum = 0;
        for (int y = 1; y <= image.GetHeight(); ++y)
            for (int x = 1; x <= image.GetWidth(); ++x) {
                std::uint8_t r = 0, g = 0, b = 0;
                image.GetPixelColor(x, y, r, g, b);
                sum += r + g + b;
            }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["Mpx/s"] = benchmark::Counter(double(state.iterations()) * 12.0, benchmark::Counter::kIsRate);
}

void BM_Histogram(benchmark::State& state)
{
    const CBitmapImage image = noise(int(state.range(0)));
    std::vector<std::uint32_t> red(256), green(256), blue(256);
    for (auto _ : state) {
        image.ComputeHistogram(red, green, blue);
        benchmark::DoNotOptimize(red.data());
    }
    state.counters["Mpx/s"] = benchmark::Counter(double(state.iterations()) * 12.0, benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_GetPixelColor)->Arg(24)->Arg(8)->Arg(4)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Histogram)->Arg(24)->Arg(8)->Arg(4)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
