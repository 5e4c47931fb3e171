// Painting into a 32-bpp top-down DIB section at 640 x 288, pixels read from its bits.
// The expected geometry is written out from the board's numbers at that size, not taken
// from the layout code under test.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "logic/board.h"
#include "logic/game.h"
#include "view/drag.h"
#include "view/layout.h"
#include "view/paint.h"
#include "support.h"

namespace {

constexpr int W = 640;
constexpr int H = 288;
constexpr COLORREF BaseFill = RGB(128, 64, 0);
constexpr COLORREF BaseLine = RGB(0, 64, 128);

// At 640 x 288: column width 213, disc unit 20, slot j fills rows 226 - 16j .. 240 - 16j.
int Centre(int t) { return 106 + 213 * t; }
int SlotTop(int slot) { return 226 - 16 * slot; }
int SlotBottom(int slot) { return 240 - 16 * slot; }
int DiscLeft(int t, int size) { return Centre(t) - 10 * (size + 1); }
int DiscRight(int t, int size) { return Centre(t) + 10 * (size + 1) - 1; }
constexpr int BaseTop = 243;
constexpr int BaseBottom = 251;

struct Area {
    int left, top, right, bottom;  // inclusive
    bool Holds(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// Where texts may leave ink: the tower numbers start at the column centres, the caption
// and the counter share the top band of the right-hand column.
const Area TextAreas[] = {
    {Centre(0), 258, Centre(0) + 23, 281},
    {Centre(1), 258, Centre(1) + 23, 281},
    {Centre(2), 258, Centre(2) + 23, 281},
    {426, 12, 531, 35},
    {532, 12, W - 1, 35},
};
const Area CounterArea = TextAreas[4];

Area DiscArea(int t, int slot, int size)
{
    return {DiscLeft(t, size), SlotTop(slot), DiscRight(t, size), SlotBottom(slot)};
}

Area BaseArea(int t)
{
    return {Centre(t) - 100, BaseTop, Centre(t) + 99, BaseBottom};
}

struct Canvas : Dib {
    Canvas() : Dib(W, H) { Clear(); }

    // What BeginPaint does with the class background before the board is painted.
    void Clear()
    {
        GdiFlush();
        std::fill(bits, bits + W * H, 0x00FFFFFFu);
    }
    // Painted pixels in a row or column, as inclusive runs.
    std::vector<std::pair<int, int>> RunsInColumn(int x, int from, int to) const
    {
        std::vector<std::pair<int, int>> runs;
        for (int y = from; y <= to; ++y) {
            if (At(x, y) == White)
                continue;
            if (!runs.empty() && runs.back().second == y - 1)
                runs.back().second = y;
            else
                runs.push_back({y, y});
        }
        return runs;
    }
    std::pair<int, int> RunInRowAround(int y, int x) const
    {
        int l = x, r = x;
        while (l > 0 && At(l - 1, y) != White)
            --l;
        while (r < W - 1 && At(r + 1, y) != White)
            ++r;
        return {l, r};
    }
    int InkIn(const Area& a) const
    {
        int n = 0;
        for (int y = a.top; y <= a.bottom; ++y)
            for (int x = a.left; x <= a.right; ++x)
                n += At(x, y) != White;
        return n;
    }
};

class Paint : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClientRect = {0, 0, W, H};
        if (!BrushBrown)
            CreateBrushes();
        SourceTower = NoTower;
        MoveCount = 0;
    }
    void TearDown() override { SourceTower = NoTower; }

    std::vector<uint32_t> Painted()
    {
        canvas.Clear();
        PaintBoard(canvas.dc);
        return canvas.Pixels();
    }

    Canvas canvas;
};

TEST_F(Paint, StartBoardsStandWhereTheGeometrySays)
{
    for (int8_t n : {3, 9}) {
        SCOPED_TRACE(n);
        SetBoard("", "", "");
        FillStartTower(n);
        DiscCount = n;
        Painted();

        // Down the middle column: one run per disc, one blank row between discs,
        // two blank rows above the base, then the base.
        std::vector<std::pair<int, int>> expected;
        for (int slot = n - 1; slot >= 0; --slot)
            expected.push_back({SlotTop(slot), SlotBottom(slot)});
        expected.push_back({BaseTop, BaseBottom});
        EXPECT_EQ(canvas.RunsInColumn(Centre(1), 40, 256), expected);

        for (int slot = 0; slot < n; ++slot) {
            SCOPED_TRACE(slot);
            int size = n - slot;
            int mid = (SlotTop(slot) + SlotBottom(slot)) / 2;
            EXPECT_EQ(canvas.RunInRowAround(mid, Centre(1)),
                      std::make_pair(DiscLeft(1, size), DiscRight(1, size)));
            for (int x : {DiscLeft(1, size), Centre(1), DiscRight(1, size)})
                EXPECT_EQ(canvas.At(x, mid), Green) << x;
            EXPECT_EQ(canvas.At(Centre(1), SlotTop(slot)), Green);
            EXPECT_EQ(canvas.At(Centre(1), SlotBottom(slot)), Green);
            // Rounded corners leave the corner pixels white.
            EXPECT_EQ(canvas.At(DiscLeft(1, size), SlotTop(slot)), White);
            EXPECT_EQ(canvas.At(DiscRight(1, size), SlotBottom(slot)), White);
        }

        for (int t = 0; t < 3; ++t) {
            SCOPED_TRACE(t);
            Area b = BaseArea(t);
            int mid = (BaseTop + BaseBottom) / 2;
            EXPECT_EQ(canvas.RunInRowAround(mid, Centre(t)), std::make_pair(b.left, b.right));
            EXPECT_EQ(canvas.At(Centre(t), mid), BaseFill);
            for (auto [x, y] : std::initializer_list<std::pair<int, int>>{
                     {b.left, mid}, {b.right, mid}, {Centre(t), BaseTop}, {Centre(t), BaseBottom}})
                EXPECT_EQ(canvas.At(x, y), BaseLine) << x << "," << y;
            EXPECT_EQ(canvas.At(b.left, BaseTop), White);
        }

        // Ink nowhere but in the figures and the text cells; every text cell has some.
        std::vector<Area> figures(std::begin(TextAreas), std::end(TextAreas));
        for (int t = 0; t < 3; ++t)
            figures.push_back(BaseArea(t));
        for (int slot = 0; slot < n; ++slot)
            figures.push_back(DiscArea(1, slot, n - slot));
        int stray = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (canvas.At(x, y) != White &&
                    std::none_of(figures.begin(), figures.end(),
                                 [&](const Area& a) { return a.Holds(x, y); }))
                    ++stray;
        EXPECT_EQ(stray, 0);
        for (const Area& a : TextAreas)
            EXPECT_GT(canvas.InkIn(a), 0) << a.left << "," << a.top;
    }
}

TEST_F(Paint, NineDiscsFollowTheWorkedExample)
{
    SetBoard("", "987654321", "");
    Painted();
    // Size 9 in slot 0 fills rows 226..240, size 8 in slot 1 rows 210..224, row 225
    // between them stays blank, and so do rows 241 and 242 above the base.
    EXPECT_EQ(canvas.RunsInColumn(319, 194, 256),
              (std::vector<std::pair<int, int>>{{194, 208}, {210, 224}, {226, 240}, {243, 251}}));
    EXPECT_EQ(canvas.RunInRowAround(233, 319), std::make_pair(219, 418));
    EXPECT_EQ(canvas.RunInRowAround(217, 319), std::make_pair(229, 408));
    for (int x = 200; x < 440; ++x)
        for (int y : {225, 241, 242})
            EXPECT_EQ(canvas.At(x, y), White) << x << "," << y;
    // Size 1 in slot 8: rows 98..112, columns 299..338.
    EXPECT_EQ(canvas.RunsInColumn(319, 80, 113),
              (std::vector<std::pair<int, int>>{{98, 112}}));
    EXPECT_EQ(canvas.RunInRowAround(105, 319), std::make_pair(299, 338));
}

struct BoardCase {
    const char* name;
    const char* towers[3];
};

const BoardCase Boards[] = {
    {"start", {"", "321", ""}},
    {"all three occupied", {"941", "8765", "32"}},
    {"middle empty", {"5", "", "4321"}},
};

TEST_F(Paint, TopDiscOperationsActOnTheTopSlotOnly)
{
    for (const BoardCase& c : Boards) {
        for (int8_t t = 0; t < 3; ++t) {
            SCOPED_TRACE(std::string(c.name) + ", tower " + std::to_string(t));
            SetBoard(c.towers[0], c.towers[1], c.towers[2]);
            std::vector<uint32_t> full = Painted();
            if (Height(t) == 0) {
                EraseTopDisc(canvas.dc, t);
                DrawTopDisc(canvas.dc, t);
                EXPECT_EQ(canvas.Pixels(), full);
                SourceTower = t;
                EXPECT_EQ(Painted(), full);
                SourceTower = NoTower;
                continue;
            }
            int top = Height(t) - 1;
            int8_t disc = Towers[t][top];
            Towers[t][top] = 0;
            std::vector<uint32_t> without = Painted();
            Towers[t][top] = disc;

            Painted();
            EraseTopDisc(canvas.dc, t);
            EXPECT_EQ(canvas.Pixels(), without);
            DrawTopDisc(canvas.dc, t);
            EXPECT_EQ(canvas.Pixels(), full);

            // A repaint during a drag leaves out the lifted disc and nothing else.
            SourceTower = t;
            EXPECT_EQ(Painted(), without);
            DrawTopDisc(canvas.dc, t);
            EXPECT_EQ(canvas.Pixels(), full);
            SourceTower = NoTower;

            // On a blank surface only the top disc appears, as the full paint has it.
            canvas.Clear();
            DrawTopDisc(canvas.dc, t);
            Area a = DiscArea(t, top, disc);
            int mismatches = 0;
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) {
                    uint32_t want = a.Holds(x, y) ? full[y * W + x] : 0x00FFFFFFu;
                    mismatches += (canvas.bits[y * W + x] & 0xFFFFFF) != (want & 0xFFFFFF);
                }
            EXPECT_EQ(mismatches, 0);
            EXPECT_EQ(canvas.At(Centre(t), SlotTop(top) + 7), Green);
        }
    }
}

TEST_F(Paint, CounterIsRedrawnInPlace)
{
    SetBoard("", "321", "");
    struct {
        int32_t drawn;
        int32_t painted;  // a full repaint that must look the same
    } const cases[] = {{123, 123}, {0, 0}, {99999, 99999}, {100000, 10000}, {123456, 12345}};
    MoveCount = 0;
    std::vector<uint32_t> zero = Painted();
    for (auto c : cases) {
        SCOPED_TRACE(c.drawn);
        MoveCount = c.painted;
        std::vector<uint32_t> repainted = Painted();
        // Draw over whatever the counter showed before.
        MoveCount = 0;
        Painted();
        MoveCount = 77777;
        DrawMoveCounter(canvas.dc);
        MoveCount = c.drawn;
        DrawMoveCounter(canvas.dc);
        EXPECT_EQ(canvas.Pixels(), repainted);
        int changed = 0, outside = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (repainted[y * W + x] != zero[y * W + x]) {
                    ++changed;
                    outside += !CounterArea.Holds(x, y);
                }
        EXPECT_EQ(changed > 0, c.painted != 0);
        EXPECT_EQ(outside, 0);
    }
}

void DrawMany(HDC dc, int rounds)
{
    for (int i = 0; i < rounds; ++i) {
        PaintBoard(dc);
        EraseTopDisc(dc, static_cast<int8_t>(i % 3));
        DrawTopDisc(dc, static_cast<int8_t>(i % 3));
        MoveCount = i;
        DrawMoveCounter(dc);
    }
}

// Whatever the drawing calls create, they delete: brushes and DCs as well as the pens
// and fonts counted below.
TEST_F(Paint, GdiObjectCountStaysFlat)
{
    ASSERT_EQ(GdiCountFault(), "");
    SetBoard("941", "8765", "32");
    Painted();
    int before = LiveGdiObjects();
    DrawMany(canvas.dc, 300);
    EXPECT_EQ(LiveGdiObjects(), before);
}

// Pens and fonts live for one drawing call. Counted through this program's own
// imports of gdi32, which the drawing code linked into it calls.
std::set<HGDIOBJ> Alive;
int Created;
HPEN(WINAPI* RealCreatePen)(int, int, COLORREF);
HFONT(WINAPI* RealCreateFontA)(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD,
                               DWORD, DWORD, DWORD, LPCSTR);
BOOL(WINAPI* RealDeleteObject)(HGDIOBJ);

HPEN WINAPI CountingCreatePen(int style, int width, COLORREF color)
{
    HPEN pen = RealCreatePen(style, width, color);
    Alive.insert(pen);
    ++Created;
    return pen;
}

HFONT WINAPI CountingCreateFontA(int h, int w, int esc, int orient, int weight, DWORD italic,
                                 DWORD underline, DWORD strike, DWORD charset, DWORD precision,
                                 DWORD clip, DWORD quality, DWORD family, LPCSTR face)
{
    HFONT font = RealCreateFontA(h, w, esc, orient, weight, italic, underline, strike, charset,
                                 precision, clip, quality, family, face);
    Alive.insert(font);
    ++Created;
    return font;
}

BOOL WINAPI CountingDeleteObject(HGDIOBJ object)
{
    Alive.erase(object);
    return RealDeleteObject(object);
}

template <typename F>
F Patch(const char* name, F replacement)
{
    return reinterpret_cast<F>(PatchImport("gdi32.dll", name, reinterpret_cast<void*>(replacement)));
}

TEST_F(Paint, EveryPenAndFontCreatedIsDeleted)
{
    SetBoard("941", "8765", "32");
    RealCreatePen = Patch("CreatePen", CountingCreatePen);
    RealCreateFontA = Patch("CreateFontA", CountingCreateFontA);
    RealDeleteObject = Patch("DeleteObject", CountingDeleteObject);
    ASSERT_TRUE(RealCreatePen && RealCreateFontA && RealDeleteObject);
    HGDIOBJ pen = GetCurrentObject(canvas.dc, OBJ_PEN);
    HGDIOBJ brush = GetCurrentObject(canvas.dc, OBJ_BRUSH);
    HGDIOBJ font = GetCurrentObject(canvas.dc, OBJ_FONT);
    DrawMany(canvas.dc, 50);
    Patch("CreatePen", RealCreatePen);
    Patch("CreateFontA", RealCreateFontA);
    Patch("DeleteObject", RealDeleteObject);
    // Per round: base and disc pens and two fonts in the repaint, two pens, one font.
    EXPECT_EQ(Created, 50 * 7);
    EXPECT_TRUE(Alive.empty()) << Alive.size() << " left";
    // The surface gets its own objects back.
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_FONT), font);
}

}  // namespace
