// The run's memory budget and the estimate of one job.
#include "cli/memory_budget.h"

#include "image/bitmap_image.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>

#include <sys/resource.h>

namespace orvane::cli {

std::uint64_t MemoryBudget::Available()
{
    // A limit set on this process (ulimit -v) counts as much as the machine.
    std::uint64_t limit = std::numeric_limits<std::uint64_t>::max();
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit r{};
        if (getrlimit(resource, &r) == 0 && r.rlim_cur != RLIM_INFINITY)
            limit = std::min<std::uint64_t>(limit, r.rlim_cur);
    }
    std::ifstream meminfo("/proc/meminfo");
    std::string line;
    while (std::getline(meminfo, line)) {
        std::istringstream fields(line);
        std::string name;
        std::uint64_t kilobytes = 0;
        if (fields >> name >> kilobytes && name == "MemAvailable:")
            return std::min(limit, kilobytes * 1024);
    }
    return limit;
}

bool MemoryBudget::Reserve(std::uint64_t bytes)
{
    std::unique_lock guard(m_lock);
    if (bytes > m_available)
        return false;
    m_freed.wait(guard, [&] { return m_reserved + bytes <= m_available; });
    m_reserved += bytes;
    return true;
}

void MemoryBudget::Release(std::uint64_t bytes)
{
    if (bytes == 0)
        return;
    {
        std::lock_guard guard(m_lock);
        m_reserved -= bytes;
    }
    m_freed.notify_all();
}

std::uint64_t EstimateJobBytes(int width, int height, int bitsPerPixel, Command command, bool cleanTopology)
{
    const double pixels = double(width) * double(height);
    const double image = double(RowStride(width, bitsPerPixel)) * double(height);
    // Measured working memory per pixel (bench/processing_memory_bench),
    // rounded up: thinning keeps a grid of two bits a pixel and lists of
    // the cells on the strokes' edges (0.55 to 0.75 in all), Canny a byte
    // grid and a magnitude grid, tracing a few rows. Traced lines take well
    // under a tenth of a byte per pixel on dense drawings.
    constexpr double kThinning = 0.8, kCanny = 2.5, kLines = 0.1;
    double bytes = image;
    switch (command) {
    case Command::OneTouch: bytes += std::max(kThinning, kCanny) * pixels + kLines * pixels; break;
    case Command::Thin: bytes += kThinning * pixels; break;
    case Command::Canny: bytes += kCanny * pixels; break;
    case Command::Vectorise: bytes += kLines * pixels; break;
    case Command::Grey: bytes += 0.1 * image; break;
    default: break;
    }
    // Clean tracing holds the ink's outline and three bit grids of the
    // lines (half a byte per pixel), then the pixels of every line.
    if (cleanTopology && (command == Command::OneTouch || command == Command::Vectorise))
        bytes += 0.5 * pixels + kLines * pixels;
    // Absurd sizes from a damaged header must not wrap round to little.
    if (!(bytes < 1e18))
        return std::numeric_limits<std::uint64_t>::max();
    return std::uint64_t(bytes) + (std::uint64_t(16) << 20); // and the program itself
}

std::string ReadableBytes(std::uint64_t bytes)
{
    char text[32];
    if (bytes >= (std::uint64_t(1) << 30))
        std::snprintf(text, sizeof text, "%.1f GB", double(bytes) / double(1 << 30));
    else
        std::snprintf(text, sizeof text, "%.0f MB", double(bytes) / double(1 << 20));
    return text;
}

} // namespace orvane::cli
