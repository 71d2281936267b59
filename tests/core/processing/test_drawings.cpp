// Generated pictures and a stroke check for the processing tests.
#include "test_drawings.h"

namespace orvane::test {

CBitmapImage RandomGreyShapes(int width, int height, unsigned seed)
{
    CBitmapImage image;
    image.Create(width, height, 24);
    std::mt19937 random(seed);
    auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (random() / 4294967296.0); };
    struct Disc { double x, y, r; int level; };
    std::vector<Disc> discs;
    for (int k = 0; k < 6; ++k)
        discs.push_back({uniform(0, width), uniform(0, height), uniform(2, std::max(3, width / 3)),
                         int(random() % 200)});
    for (int y = 1; y <= height; ++y)
        for (int x = 1; x <= width; ++x) {
            double v = 230 + int(random() % 9);
            for (const Disc& d : discs) {
                const double t = std::clamp(d.r - std::hypot(x - d.x, y - d.y), 0.0, 1.0);
                v = v * (1 - t) + d.level * t;
            }
            image.SetPixelColor(x, y, std::uint8_t(v), std::uint8_t(255 - std::uint8_t(v)), std::uint8_t(v));
        }
    return image;
}

std::vector<std::vector<int>> LabelStrokes(const Text& map, int& count)
{
    const int h = int(map.size()), w = int(map[0].size());
    std::vector<std::vector<int>> labels(h, std::vector<int>(w, 0));
    count = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (map[y][x] != '#' || labels[y][x])
                continue;
            labels[y][x] = ++count;
            for (std::vector<std::pair<int, int>> stack{{y, x}}; !stack.empty();) {
                auto [cy, cx] = stack.back();
                stack.pop_back();
                for (int ny = cy - 1; ny <= cy + 1; ++ny)
                    for (int nx = cx - 1; nx <= cx + 1; ++nx)
                        if (ny >= 0 && ny < h && nx >= 0 && nx < w && map[ny][nx] == '#' && !labels[ny][nx]) {
                            labels[ny][nx] = count;
                            stack.push_back({ny, nx});
                        }
            }
        }
    return labels;
}

bool KeepsEveryStroke(const CBitmapImage& before, const CBitmapImage& after)
{
    const auto in = ToText(before), out = ToText(after);
    int inCount = 0, outCount = 0;
    const auto inLabels = LabelStrokes(in, inCount), outLabels = LabelStrokes(out, outCount);
    // Each output group lies in one input group; each input group holds exactly one.
    std::vector<int> groupsIn(inCount + 1, 0), seen(outCount + 1, 0);
    for (std::size_t y = 0; y < out.size(); ++y)
        for (std::size_t x = 0; x < out[y].size(); ++x) {
            if (out[y][x] != '#')
                continue;
            const int i = inLabels[y][x], o = outLabels[y][x];
            if (!i || (seen[o] && seen[o] != i))
                return false;
            if (!seen[o])
                ++groupsIn[seen[o] = i];
        }
    return std::count(groupsIn.begin() + 1, groupsIn.end(), 1) == inCount;
}

} // namespace orvane::test
