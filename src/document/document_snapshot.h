// What undo keeps of a document: the parts a change touched, as they were.
#pragma once

#include "image/bitmap_image.h"
#include "vector/line_store.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvane {

/// Which parts of a document a snapshot copies.
enum SnapshotParts : unsigned { kSnapshotImage = 1, kSnapshotLines = 2 };

/// Bytes of the image's pixel block at an offset: what the pen changes.
struct PixelPatch {
    std::size_t offset = 0;
    std::vector<std::uint8_t> bytes;
};

/// A document's state, or the parts of it one change touched. The flags and
/// the histograms with their maxima are always held.
struct DocumentSnapshot {
    using Histogram = std::array<std::int32_t, 256>;

    std::optional<CBitmapImage> image; ///< the whole image with its colour table
    std::vector<PixelPatch> pixels;    ///< or single pixels' bytes
    std::optional<CLineStore> lines;
    bool imageModified = false;
    bool vectorsChanged = false;
    Histogram histRed{}, histGreen{}, histBlue{};
    std::int32_t maxRed = -1, maxGreen = -1, maxBlue = -1, maxCount = -1;
    /// False when memory ran out while copying: such a snapshot cannot put
    /// the document back and must not be kept.
    bool complete = true;

    /// Bytes the snapshot holds.
    std::size_t MemoryBytes() const
    {
        std::size_t bytes = sizeof(DocumentSnapshot);
        if (image)
            bytes += image->MemoryBytes();
        if (lines)
            bytes += lines->MemoryBytes();
        for (const PixelPatch& patch : pixels)
            bytes += sizeof(PixelPatch) + patch.bytes.size();
        return bytes;
    }
};

} // namespace orvane
