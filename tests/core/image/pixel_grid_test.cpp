// Allocation of pixel grids and their failure messages.
#include "image/pixel_grid.h"

#include "support/recording_port.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(PixelGrid, MakesEveryCellAddressableAndAllowsEmptyGrids)
{
    RecordingPort port;
    for (auto [rows, cols] : {std::pair{5, 7}, {0, 0}, {4, 0}}) {
        PixelGridPtr grid = NewPixelGrid(port, rows, cols);
        ASSERT_TRUE(grid);
        EXPECT_EQ(std::tuple(grid->info->rows, grid->info->cols, grid->info->spare1, grid->info->spare2),
                  std::tuple(rows, cols, 0, 0));
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                grid->data[r][c] = std::uint8_t(r * 10 + c); // the sanitizer build checks every cell
        FreePixelGrid(grid);
        EXPECT_FALSE(grid);
    }
    EXPECT_TRUE(port.messages().empty());
}

TEST(PixelGrid, TellsTheUserWhyAGridCannotBeMade)
{
    RecordingPort port;
    EXPECT_FALSE(NewPixelGrid(port, -1, 5));
    EXPECT_FALSE(NewPixelGrid(port, 5, -2));
    // Failing the record, the row pointers, then the rows (what was taken
    // must be freed again, which the sanitizer build checks).
    for (int part : {-2, -1, 0})
        EXPECT_FALSE(NewPixelGrid(port, 10, 10, [part](int p) { return p == part; }));
    EXPECT_EQ(port.messages(), (std::vector<std::string>{
                                   "Error: Bad image size (-1,5)\n",
                                   "Error: Bad image size (5,-2)\n",
                                   "Out of storage in new image.\n",
                                   "Out of storage in new image.\n",
                                   "Out of storage. New image - row 0\n",
                               }));
    for (const PortEvent& e : port.events())
        EXPECT_EQ(e.buttons, MessageButtons::Ok);
}

} // namespace
} // namespace orvane
