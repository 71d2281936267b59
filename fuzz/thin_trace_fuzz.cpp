// Thinning and tracing on small drawings. The first three bytes choose the
// width (1..48), the height (1..48) and the method (Zhang-Suen or
// Stentiford, by the lowest bit); the bits of the remaining bytes, first
// byte's highest bit first, row by row from the top, are the pixels (1 ink,
// 0 paper; missing bits are paper). The image is thinned and traced; the
// tracer must never report one of its internal errors, and every line it
// stores must lie on the image.
//
// A pixel with seven or eight ink neighbours stops the tracer with
// "Crowded pixel": thinning can leave such a pixel, a known limitation that
// is not counted as a fault here.
//
// The thinned image is then traced clean (one line per stroke, with the ink
// before thinning for widths and ends): it must finish, store only lines
// near the image with finite lengths, and keep each line within its
// tolerance of the pixels it was traced from.
#include "image/bitmap_image.h"
#include "image/ink_mask.h"
#include "port/port.h"
#include "processing/thinning.h"
#include "settings/app_settings.h"
#include "vector/line_quality.h"
#include "vector/line_store.h"
#include "vector/vectoriser.h"

#include "fuzz_check.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

/// A port that keeps nothing but the texts of the messages shown and never
/// cancels.
class MessageRecorder final : public orvane::Port {
public:
    orvane::MessageAnswer showMessage(std::string_view text, orvane::MessageButtons buttons) override
    {
        messages.emplace_back(text);
        return orvane::firstButtonAnswer(buttons);
    }
    void showStatus(orvane::StatusPane, std::string_view) override {}
    void progressOpen(std::string_view) override {}
    void progressStatus(std::string_view) override {}
    void progressRange(std::uint16_t) override {}
    void progressPos(int) override {}
    bool CheckCancel() override { return false; }
    bool CheckCancelRepeatedly(long) override { return false; }
    void progressClose() override {}

    std::vector<std::string> messages;
};

/// The tracer's reports of a broken chain of nodes: "Warning! ..." when a
/// column slot it needs is empty, "WARNING! ..." or "... pointer not NULL!"
/// when two chains cannot be linked, "half a loop" when a line cannot be
/// written. None may ever happen.
bool isInternalError(const std::string& text)
{
    return text.find("half a loop") != std::string::npos || text.find("Warning!") != std::string::npos ||
           text.find("WARNING!") != std::string::npos || text.find("pointer not NULL") != std::string::npos;
}

constexpr int kMaxSide = 48;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const int width = 1 + data[0] % kMaxSide;
    const int height = 1 + data[1] % kMaxSide;
    const std::uint16_t method = data[2] & 1 ? orvane::kThinStentiford : orvane::kThinZhangSuen;
    const std::uint8_t* bits = data + 3;
    const std::size_t bitCount = (size - 3) * 8;

    orvane::CBitmapImage image;
    FUZZ_CHECK(image.Create(width, height, 24) == 1);
    for (int y = 1; y <= height; ++y)
        for (int x = 1; x <= width; ++x) {
            const std::size_t bit = std::size_t(y - 1) * std::size_t(width) + std::size_t(x - 1);
            const bool ink = bit < bitCount && (bits[bit / 8] >> (7 - bit % 8)) & 1;
            const std::uint8_t level = ink ? 0 : 255;
            FUZZ_CHECK(image.SetPixelColor(x, y, level, level, level) == 1);
        }

    const orvane::InkMask ink = orvane::InkMask::FromImage(image);
    MessageRecorder port;
    FUZZ_CHECK(orvane::Thin(image, port, method) == 1);
    FUZZ_CHECK(image.GetWidth() == width && image.GetHeight() == height);

    orvane::CLineStore store;
    const orvane::AppSettings settings{};
    {
        orvane::CVectoriser vectoriser(port, store, settings);
        vectoriser.Run(image);
    }
    for (const std::string& text : port.messages)
        if (isInternalError(text)) {
            std::fprintf(stderr, "tracer error: %s\n", text.c_str());
            FUZZ_CHECK(!isInternalError(text));
        }
    for (int i = 0; i < store.GetLineCount(); ++i) {
        const orvane::CVectorLine& line = store.line(i);
        FUZZ_CHECK(std::isfinite(line.m_dLength));
        for (const orvane::VectorNode& node : line.m_nodes) {
            FUZZ_CHECK(node.m_dX >= 0.0 && node.m_dX <= width + 1.0);
            FUZZ_CHECK(node.m_dY >= 0.0 && node.m_dY <= height + 1.0);
        }
    }

    orvane::AppSettings clean;
    clean.m_nTopology = orvane::kTopologyClean;
    orvane::CLineStore cleanStore;
    std::vector<orvane::LineQuality> quality;
    {
        orvane::CVectoriser vectoriser(port, cleanStore, clean);
        vectoriser.setInkMask(&ink);
        vectoriser.setQualityReport(&quality);
        FUZZ_CHECK(vectoriser.Run(image) == 1);
    }
    FUZZ_CHECK(int(quality.size()) == cleanStore.GetLineCount());
    for (int i = 0; i < cleanStore.GetLineCount(); ++i) {
        const orvane::CVectorLine& line = cleanStore.line(i);
        FUZZ_CHECK(std::isfinite(line.m_dLength) && !line.m_nodes.empty());
        for (const orvane::VectorNode& node : line.m_nodes) {
            FUZZ_CHECK(node.m_dX >= -1.0 && node.m_dX <= width);
            FUZZ_CHECK(node.m_dY >= -1.0 && node.m_dY <= height);
        }
        FUZZ_CHECK(quality[std::size_t(i)].maxDistance <= clean.m_dCleanTolerance + 1e-6);
    }
    return 0;
}
