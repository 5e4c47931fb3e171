// The board's geometry at three client sizes, worked out by hand from the layout rules:
// the worked example, the client area that Wine gives the 640 x 316 window, and a size
// where no division comes out even. The unit tests hold the layout code to it; the Win32
// tests hold the painted pixels to it.
#pragma once

#include "view/layout.h"

struct ExpectedGeometry {
    int w, h;
    int label, column, firstCentre, baseOffset, foot, unit, fontWidth;
    BoardPoint towerLabels[3], caption, counter;
    BoardRect bases[3];
    BoardPoint baseCorner;
    // Disc rectangles as handed to RoundRect (bottom edge first): tower 1 slot 0 size 9,
    // tower 1 slot 4 size 5, tower 1 slot 8 size 1, tower 0 slot 3 size 5.
    BoardRect discs[4];
    BoardPoint discCorner;
    BoardRect floating;  // a size-4 disc floating at (300, 100)
    int slotRows[9][2];  // first and last row that slot j fills
};

const ExpectedGeometry Geometries[] = {
    {640, 288, 24, 213, 106, 63, 225, 20, 16,
     {{106, 258}, {319, 258}, {532, 258}}, {426, 12}, {532, 12},
     {{6, 243, 206, 252}, {219, 243, 419, 252}, {432, 243, 632, 252}}, {17, 8},
     {{219, 241, 419, 226}, {259, 177, 379, 162}, {299, 113, 339, 98}, {46, 193, 166, 178}}, {26, 12},
     {250, 92, 350, 108},
     {{226, 240}, {210, 224}, {194, 208}, {178, 192}, {162, 176}, {146, 160}, {130, 144}, {114, 128}, {98, 112}}},
    {632, 270, 22, 210, 105, 58, 212, 19, 15,
     {{105, 243}, {315, 243}, {525, 243}}, {420, 11}, {525, 11},
     {{10, 229, 200, 237}, {220, 229, 410, 237}, {430, 229, 620, 237}}, {17, 7},
     {{220, 227, 410, 213}, {258, 167, 372, 153}, {296, 107, 334, 93}, {48, 182, 162, 168}}, {26, 11},
     {253, 93, 347, 107},
     {{213, 226}, {198, 211}, {183, 196}, {168, 181}, {153, 166}, {138, 151}, {123, 136}, {108, 121}, {93, 106}}},
    {501, 337, 28, 167, 83, 73, 264, 15, 12,
     {{83, 302}, {250, 302}, {417, 302}}, {334, 14}, {417, 14},
     {{8, 285, 158, 295}, {175, 285, 325, 295}, {342, 285, 492, 295}}, {13, 9},
     {{175, 282, 325, 265}, {205, 208, 295, 191}, {235, 133, 265, 116}, {38, 227, 128, 209}}, {20, 14},
     {263, 91, 337, 109},
     {{265, 281}, {247, 263}, {228, 245}, {209, 226}, {191, 207}, {172, 189}, {153, 170}, {134, 151}, {116, 132}}},
};
