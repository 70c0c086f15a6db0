// The split modes of the play area's grid, by the index the grid layout takes and stores
// (`CWndSplitLayout::SetSplitMode(int)`). Each is named after its layout in the window-grid
// template: rows x columns, then the cells shown (or "EX" for the wide-screen family).
#pragma once

enum class SplitMode : int {
    None = -1,  // no mode yet: the first mode set always builds
    Grid1x1_1 = 0,
    Grid2x2_4 = 1,
    Grid3x3_6 = 2,
    Grid3x3_9 = 3,
    Grid4x4_8 = 4,
    Grid4x4_10 = 5,
    Grid4x4_13 = 6,
    Grid4x4_16 = 7,
    Grid5x5_10 = 8,
    Grid5x5_13 = 9,
    Grid5x5_14 = 10,
    Grid5x5_17 = 11,
    Grid5x5_19 = 12,
    Grid5x5_22 = 13,
    Grid5x5_25 = 14,
    Grid7x7_32 = 15,
    Grid8x8_64 = 16,
    Grid1x1_EX = 17,  // the wide-screen family: 1, 4, 9 and 16 windows
    Grid2x2_EX = 18,
    Grid3x3_EX = 19,
    Grid4x4_EX = 20,
};
