// Painting into a 32-bpp top-down DIB section, pixels read from its bits, at the client
// sizes of the hand-worked geometry table: even ones and ones where no division is even.
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
#include "support.h"
#include "tests/unit/geometry_table.h"
#include "view/drag.h"
#include "view/layout.h"
#include "view/paint.h"

namespace {

constexpr COLORREF BaseFill = RGB(128, 64, 0);
constexpr COLORREF BaseLine = RGB(0, 64, 128);

struct Area {
    int left, top, right, bottom;  // inclusive
    bool Holds(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// The pixels a rounded rectangle covers: its right and bottom edges stay outside.
Area Covered(BoardRect r)
{
    return {r.left, std::min(r.top, r.bottom), r.right - 1, std::max(r.top, r.bottom) - 1};
}

// Where texts may leave ink: the tower numbers start at their positions, the caption and
// the counter share the top band of the right-hand column; each is one text line high.
std::vector<Area> TextAreas(const ExpectedGeometry& g)
{
    std::vector<Area> areas;
    for (BoardPoint p : g.towerLabels)
        areas.push_back({p.x, p.y, p.x + g.label - 1, p.y + g.label - 1});
    areas.push_back({g.caption.x, g.caption.y, g.counter.x - 1, g.caption.y + g.label - 1});
    areas.push_back({g.counter.x, g.counter.y, g.w - 1, g.counter.y + g.label - 1});
    return areas;
}

struct Canvas : Dib {
    explicit Canvas(const ExpectedGeometry& g) : Dib(g.w, g.h) { Clear(); }

    // What BeginPaint does with the class background before the board is painted.
    void Clear()
    {
        GdiFlush();
        std::fill(bits, bits + width * height, 0x00FFFFFFu);
    }
    std::vector<uint32_t> Painted()
    {
        Clear();
        PaintBoard(dc);
        return Pixels();
    }
    // Painted pixels in a column, as inclusive runs.
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
        while (r < width - 1 && At(r + 1, y) != White)
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
        if (!BrushBrown)
            CreateBrushes();
        SourceTower = NoTower;
        MoveCount = 0;
    }
    void TearDown() override { SourceTower = NoTower; }
    static void Client(const ExpectedGeometry& g) { ClientRect = {0, 0, g.w, g.h}; }
};

TEST_F(Paint, StartBoardsStandWhereTheGeometryTableSays)
{
    for (const ExpectedGeometry& g : Geometries) {
        for (int8_t n : {3, 9}) {
            SCOPED_TRACE(testing::Message() << g.w << " x " << g.h << ", " << int{n} << " discs");
            Client(g);
            SetBoard("", "", "");
            FillStartTower(n);
            DiscCount = n;
            Canvas canvas(g);
            canvas.Painted();
            const Area base = Covered(g.bases[1]);
            const int centre = (g.bases[1].left + g.bases[1].right) / 2;

            // Down the middle column: one run per disc, a blank row between discs, then
            // the base.
            std::vector<std::pair<int, int>> expected;
            for (int slot = n - 1; slot >= 0; --slot)
                expected.push_back({g.slotRows[slot][0], g.slotRows[slot][1]});
            expected.push_back({base.top, base.bottom});
            EXPECT_EQ(canvas.RunsInColumn(centre, 0, g.h - 1 - g.label * 5 / 4), expected);

            if (n == 9) {
                for (int i = 0; i < 3; ++i) {  // the table's discs on the middle tower
                    Area d = Covered(g.discs[i]);
                    int mid = (d.top + d.bottom) / 2;
                    EXPECT_EQ(canvas.RunInRowAround(mid, centre), std::make_pair(d.left, d.right));
                    EXPECT_EQ(canvas.At(centre, mid), Green);
                    EXPECT_EQ(canvas.At(d.left, mid), Green);
                    // Rounded corners leave the corner pixels white.
                    EXPECT_EQ(canvas.At(d.left, d.top), White);
                    EXPECT_EQ(canvas.At(d.right, d.bottom), White);
                }
            }
            for (int t = 0; t < 3; ++t) {
                SCOPED_TRACE(t);
                Area b = Covered(g.bases[t]);
                int x = (b.left + b.right + 1) / 2, mid = (b.top + b.bottom) / 2;
                EXPECT_EQ(canvas.RunInRowAround(mid, x), std::make_pair(b.left, b.right));
                EXPECT_EQ(canvas.At(x, mid), BaseFill);
                for (auto [px, py] : std::initializer_list<std::pair<int, int>>{
                         {b.left, mid}, {b.right, mid}, {x, b.top}, {x, b.bottom}})
                    EXPECT_EQ(canvas.At(px, py), BaseLine) << px << "," << py;
                EXPECT_EQ(canvas.At(b.left, b.top), White);
            }

            // Ink nowhere but in the figures and the text cells; every text cell has some.
            std::vector<Area> figures = TextAreas(g);
            for (int t = 0; t < 3; ++t)
                figures.push_back(Covered(g.bases[t]));
            for (int slot = 0; slot < n; ++slot)  // no disc is wider than the base
                figures.push_back({base.left, g.slotRows[slot][0], base.right, g.slotRows[slot][1]});
            int stray = 0;
            for (int y = 0; y < g.h; ++y)
                for (int x = 0; x < g.w; ++x)
                    if (canvas.At(x, y) != White &&
                        std::none_of(figures.begin(), figures.end(),
                                     [&](const Area& a) { return a.Holds(x, y); }))
                        ++stray;
            EXPECT_EQ(stray, 0);
            for (const Area& a : TextAreas(g))
                EXPECT_GT(canvas.InkIn(a), 0) << a.left << "," << a.top;
        }
    }
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
    const ExpectedGeometry& g = Geometries[2];
    Client(g);
    Canvas canvas(g);
    for (const BoardCase& c : Boards) {
        for (int8_t t = 0; t < 3; ++t) {
            SCOPED_TRACE(std::string(c.name) + ", tower " + std::to_string(t));
            SetBoard(c.towers[0], c.towers[1], c.towers[2]);
            std::vector<uint32_t> full = canvas.Painted(), without = full;
            const int top = Height(t) - 1;  // -1: an empty tower, where nothing changes
            if (top >= 0) {
                int8_t disc = Towers[t][top];
                Towers[t][top] = 0;
                without = canvas.Painted();
                Towers[t][top] = disc;
            }

            canvas.Painted();
            EraseTopDisc(canvas.dc, t);
            EXPECT_EQ(canvas.Pixels(), without);
            DrawTopDisc(canvas.dc, t);
            EXPECT_EQ(canvas.Pixels(), full);

            // A repaint during a drag leaves out the lifted disc and nothing else.
            SourceTower = t;
            EXPECT_EQ(canvas.Painted(), without);
            DrawTopDisc(canvas.dc, t);
            EXPECT_EQ(canvas.Pixels(), full);
            SourceTower = NoTower;

            // On a blank surface only the top disc appears, in its slot's rows.
            canvas.Clear();
            DrawTopDisc(canvas.dc, t);
            std::vector<uint32_t> alone(full.size(), 0x00FFFFFFu);  // no tower: no ink at all
            if (top >= 0) {
                Area column = Covered(g.bases[t]);
                for (int y = g.slotRows[top][0]; y <= g.slotRows[top][1]; ++y)
                    for (int x = column.left; x <= column.right; ++x)
                        alone[y * g.w + x] = full[y * g.w + x];
            }
            EXPECT_EQ(canvas.Pixels(), alone);
        }
    }
}

// Pens and fonts live for one drawing call, and the board's font is the one its texts
// are meant to have; no other object (a brush, a DC) is left behind either. Watched
// through this program's own imports of gdi32, which the drawing code linked into it calls.
std::set<HGDIOBJ> Alive;
int Created;
std::set<std::string> Fonts;
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
    char args[200];
    wsprintfA(args, "%d %d %d %d %d %lu %lu %lu %lu %lu %lu %lu 0x%lx %s", h, w, esc, orient,
              weight, italic, underline, strike, charset, precision, clip, quality, family, face);
    Fonts.insert(args);
    Alive.insert(font);
    ++Created;
    return font;
}

BOOL WINAPI CountingDeleteObject(HGDIOBJ object)
{
    Alive.erase(object);
    return RealDeleteObject(object);
}

TEST_F(Paint, PensAndFontsLiveForOneCallAndTheFontIsTheBoards)
{
    ASSERT_EQ(GdiCountFault(), "");
    SetBoard("941", "8765", "32");
    ImportPatch pens("gdi32.dll", "CreatePen", RealCreatePen, CountingCreatePen);
    ImportPatch fonts("gdi32.dll", "CreateFontA", RealCreateFontA, CountingCreateFontA);
    ImportPatch deletion("gdi32.dll", "DeleteObject", RealDeleteObject, CountingDeleteObject);
    ASSERT_TRUE(RealCreatePen && RealCreateFontA && RealDeleteObject);
    for (const ExpectedGeometry& g : Geometries) {
        SCOPED_TRACE(testing::Message() << g.w << " x " << g.h);
        Client(g);
        Canvas canvas(g);
        HGDIOBJ pen = GetCurrentObject(canvas.dc, OBJ_PEN);
        HGDIOBJ brush = GetCurrentObject(canvas.dc, OBJ_BRUSH);
        HGDIOBJ font = GetCurrentObject(canvas.dc, OBJ_FONT);
        Created = 0;
        Fonts.clear();
        const int before = LiveGdiObjects();
        for (int i = 0; i < 50; ++i) {
            PaintBoard(canvas.dc);
            EraseTopDisc(canvas.dc, static_cast<int8_t>(i % 3));
            DrawTopDisc(canvas.dc, static_cast<int8_t>(i % 3));
            MoveCount = i;
            DrawMoveCounter(canvas.dc);
        }
        EXPECT_EQ(LiveGdiObjects(), before);
        // Per round: base and disc pens and two fonts in the repaint, two pens, one font.
        EXPECT_EQ(Created, 50 * 7);
        EXPECT_TRUE(Alive.empty()) << Alive.size() << " left";
        // Height and width from the client size; semi-bold, ANSI, character precision,
        // proof quality, Swiss family, Arial.
        char want[100];
        wsprintfA(want, "%d %d 0 0 600 0 0 0 0 2 1 2 0x20 Arial", g.label, g.fontWidth);
        EXPECT_EQ(Fonts, std::set<std::string>{want});
        // The surface gets its own objects back.
        EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_PEN), pen);
        EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_BRUSH), brush);
        EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_FONT), font);
    }
}

}  // namespace
