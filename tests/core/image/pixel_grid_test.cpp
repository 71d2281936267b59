// Allocation of pixel grids and their failure messages.
#include "image/pixel_grid.h"

#include "port/recording_port.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(PixelGrid, MakesEveryCellAddressable)
{
    RecordingPort port;
    const int w = 5, h = 3;
    PixelGridPtr grid = NewPixelGrid(port, h + 2, w + 2);
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->info->rows, h + 2);
    EXPECT_EQ(grid->info->cols, w + 2);
    EXPECT_EQ(grid->info->spare1, 0);
    EXPECT_EQ(grid->info->spare2, 0);
    for (int r = 0; r < h + 2; ++r)
        for (int c = 0; c < w + 2; ++c)
            grid->data[r][c] = std::uint8_t(r * 10 + c);
    EXPECT_EQ(grid->data[h + 1][w + 1], (h + 1) * 10 + w + 1);
    FreePixelGrid(grid);
    EXPECT_FALSE(grid);
    EXPECT_TRUE(port.messages().empty());
}

TEST(PixelGrid, EmptyGridsAreLegal)
{
    RecordingPort port;
    PixelGridPtr none = NewPixelGrid(port, 0, 0);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->info->rows, 0);
    EXPECT_EQ(none->info->cols, 0);
    PixelGridPtr thin = NewPixelGrid(port, 4, 0);
    ASSERT_TRUE(thin);
    EXPECT_EQ(thin->info->rows, 4);
    EXPECT_TRUE(port.messages().empty());
}

TEST(PixelGrid, TellsTheUserWhyAGridCannotBeMade)
{
    RecordingPort port;
    EXPECT_FALSE(NewPixelGrid(port, -1, 5));
    EXPECT_FALSE(NewPixelGrid(port, 5, -2));
    EXPECT_FALSE(NewPixelGrid(port, 10, 10, [](int part) { return part == -2; }));
    EXPECT_FALSE(NewPixelGrid(port, 10, 10, [](int part) { return part == -1; }));
    // Rows 0 to 6 are made and must be freed again (the sanitizer build checks).
    EXPECT_FALSE(NewPixelGrid(port, 10, 10, [](int part) { return part == 7; }));
    EXPECT_EQ(port.messages(), (std::vector<std::string>{
                                   "Error: Bad image size (-1,5)\n",
                                   "Error: Bad image size (5,-2)\n",
                                   "Out of storage in new image.\n",
                                   "Out of storage in new image.\n",
                                   "Out of storage. New image - row 7\n",
                               }));
    for (const PortEvent& e : port.events())
        EXPECT_EQ(e.buttons, MessageButtons::Ok);
}

} // namespace
} // namespace orvane
