// Reads the dialogs, menu, icon and version block back out of the module, the way
// the system sees them, and holds them field by field against the intended layout.
// The test program links the same resource script as Tolmar.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr WORD GermanAustria = 0x0C07;

struct Blob {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

Blob LoadGerman(LPCSTR type, LPCSTR name)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceExA(module, type, name, GermanAustria);
    if (!found)
        return {};
    return {static_cast<const BYTE*>(LockResource(LoadResource(module, found))),
            SizeofResource(module, found)};
}

// Little-endian reader that never runs past the end; a short read clears ok.
class Reader {
public:
    Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}
    template <typename T>
    T Get()
    {
        T v{};
        ok_ = ok_ && pos_ + sizeof v <= size_;
        if (ok_) {
            std::memcpy(&v, data_ + pos_, sizeof v);
            pos_ += sizeof v;
        }
        return v;
    }
    BYTE Byte() { return Get<BYTE>(); }
    WORD Word() { return Get<WORD>(); }
    DWORD Dword() { return Get<DWORD>(); }
    std::wstring Sz()
    {
        std::wstring s;
        for (WORD c = Word(); c != 0; c = Word())
            s += static_cast<wchar_t>(c);
        return s;
    }
    void AlignDword() { pos_ = (pos_ + 3) & ~size_t{3}; }
    void Seek(size_t pos) { pos_ = pos; }
    size_t Pos() const { return pos_; }
    bool Ok() const { return ok_ && pos_ <= size_; }

private:
    const BYTE* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// ---- dialog templates -------------------------------------------------------

struct NameOrOrdinal {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::wstring text;
};

NameOrOrdinal ReadNameOrOrdinal(Reader& r)
{
    NameOrOrdinal n;
    WORD first = r.Word();
    if (first == 0xFFFF) {
        n.isOrdinal = true;
        n.ordinal = r.Word();
    } else if (first != 0) {
        n.text = static_cast<wchar_t>(first) + r.Sz();
    }
    return n;
}

struct DialogItem {
    DLGITEMTEMPLATE head;
    NameOrOrdinal cls, text;
    WORD creationBytes;
};

struct Dialog {
    DLGTEMPLATE head;
    NameOrOrdinal menu, cls;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring face;
    std::vector<DialogItem> items;
    bool ok;
};

Dialog ReadDialog(const Blob& blob)
{
    Reader r(blob.data, blob.size);
    Dialog d{};
    d.head = r.Get<DLGTEMPLATE>();  // a DLGTEMPLATEEX would give 0xFFFF0001 as the style
    d.menu = ReadNameOrOrdinal(r);
    d.cls = ReadNameOrOrdinal(r);
    d.caption = r.Sz();
    if (d.head.style & DS_SETFONT) {
        d.pointSize = r.Word();
        d.face = r.Sz();
    }
    for (WORD i = 0; i < d.head.cdit && r.Ok(); ++i) {
        r.AlignDword();
        DialogItem item{};
        item.head = r.Get<DLGITEMTEMPLATE>();
        item.cls = ReadNameOrOrdinal(r);
        item.text = ReadNameOrOrdinal(r);
        item.creationBytes = r.Word();
        r.Seek(r.Pos() + item.creationBytes);
        d.items.push_back(item);
    }
    d.ok = r.Ok();
    return d;
}

constexpr WORD ButtonClass = 0x80, StaticClass = 0x82, ScrollBarClass = 0x84;
constexpr WORD NoId = 0xFFFF;

// Text markers that are not strings.
const wchar_t AppIcon[] = L"(icon 101)";
// Our own wording: the text is checked by its own test, the rest of the row here.
const wchar_t OwnText[] = L"(own text)";

struct ExpectedControl {
    WORD cls;
    WORD id;
    short x, y, cx, cy;
    DWORD style;
    const wchar_t* text;
};

struct ExpectedDialog {
    const char* name;
    const wchar_t* caption;
    short cx, cy;
    std::vector<ExpectedControl> controls;
};

const std::vector<ExpectedDialog>& Dialogs()
{
    static const std::vector<ExpectedDialog> dialogs = {
        {"ABOUTBOX", L"Über die Türme von Tolmar", 137, 99, {
            {StaticClass, NoId, 4, 2, 81, 8, 0x50020000, L"Kelvatrix präsentiert"},
            {StaticClass, NoId, 25, 13, 72, 8, 0x50020000, L"Die Türme von Tolmar"},
            {StaticClass, NoId, 26, 22, 57, 8, 0x50020000, L"Version 1.0"},
            {ButtonClass, IDOK, 103, 81, 32, 14, 0x50030001, L"OK"},
            {StaticClass, NoId, 5, 13, 18, 20, 0x50000003, AppIcon},
            {StaticClass, NoId, 4, 55, 131, 16, 0x50020000, OwnText},  // between the rules
            {StaticClass, NoId, 4, 48, 131, 1, 0x50000007, L""},
            {StaticClass, NoId, 3, 77, 131, 1, 0x50000007, L""},
            {StaticClass, NoId, 4, 38, 132, 8, 0x50020000, OwnText},
        }},
        {"FINISH", L"Geschafft !!!", 174, 78, {
            {ButtonClass, IDOK, 139, 60, 32, 14, 0x50030001, L"OK"},
            {StaticClass, NoId, 24, 4, 146, 17, 0x50020000,
             L"Die Aufgabe ist gelöst, nun, schauen wir mal wie die Leistung war ..."},
            {StaticClass, NoId, 4, 4, 18, 20, 0x50000003, AppIcon},
            {StaticClass, NoId, 4, 25, 167, 1, 0x50000007, L""},
            {StaticClass, 1011, 5, 30, 167, 25, 0x50000000,
             L"The computer needed %d moves, nesscessary were %d. Well that isn\u00B4t bad, is it ?"},
            {StaticClass, NoId, 3, 56, 167, 1, 0x50000007, L""},
        }},
        {"OPTIONS", L"Optionen", 162, 138, {
            {ButtonClass, IDOK, 127, 120, 32, 14, 0x50030001, L"&OK"},
            {ButtonClass, IDCANCEL, 91, 120, 32, 14, 0x50030000, L"&Cancel"},
            {ButtonClass, 1021, 11, 43, 36, 10, 0x50000004, L"&Manuel"},
            {ButtonClass, 1020, 11, 54, 145, 8, 0x50000004, L"&Automatische Geschwindigkeit"},
            {ScrollBarClass, 1012, 36, 65, 85, 8, 0x50000000, L""},
            {ButtonClass, 1000, 11, 99, 15, 10, 0x50000004, L"&1"},
            {ButtonClass, 1001, 25, 99, 15, 10, 0x50000004, L"&2"},
            {ButtonClass, 1002, 39, 99, 15, 10, 0x50000004, L"&3"},
            {ButtonClass, 1003, 60, 99, 15, 10, 0x50000004, L"&4"},
            {ButtonClass, 1004, 74, 99, 15, 10, 0x50000004, L"&5"},
            {ButtonClass, 1005, 88, 99, 15, 10, 0x50000004, L"&6"},
            {ButtonClass, 1006, 110, 99, 15, 10, 0x50000004, L"&7"},
            {ButtonClass, 1007, 124, 99, 15, 10, 0x50000004, L"&8"},
            {ButtonClass, 1008, 138, 99, 15, 10, 0x50000004, L"&9"},
            {ButtonClass, NoId, 6, 33, 152, 44, 0x50000007, L"Manuel oder Automatisch"},
            {ButtonClass, NoId, 6, 79, 153, 37, 0x50000007,
             L"Mit wievielen Platten möchten Sie spielen ?"},
            {StaticClass, NoId, 24, 4, 133, 17, 0x50020000,
             L"Selektieren Sie die Anzahl der Platten && den Ausführungsmodus hier:"},
            {StaticClass, NoId, 4, 4, 18, 20, 0x50000003, AppIcon},
            {StaticClass, NoId, 4, 25, 153, 1, 0x50000007, L""},
            {StaticClass, NoId, 11, 90, 42, 8, 0x50020000, L"Sehr einfach"},
            {StaticClass, NoId, 60, 90, 44, 8, 0x50020000, L"Mittelschwer"},
            {StaticClass, NoId, 110, 90, 47, 8, 0x50020000, L"Harte Aufgabe"},
            {StaticClass, NoId, 10, 65, 25, 7, 0x50020000, L"schnell"},
            {StaticClass, NoId, 124, 65, 30, 8, 0x50020000, L"langsam"},
        }},
        {"REGISTER", L"Registrierung", 187, 99, {
            {ButtonClass, IDOK, 150, 80, 32, 14, 0x50030001, L"OK"},
            {StaticClass, NoId, 24, 4, 146, 17, 0x50020000,
             L"Dieses Programm ist Freeware, warum also sollte ich mich registrieren ?"},
            {StaticClass, NoId, 4, 4, 18, 20, 0x50000003, AppIcon},
            {StaticClass, NoId, 4, 25, 178, 1, 0x50000007, L""},
            {StaticClass, NoId, 4, 28, 114, 8, 0x50020000, L"Hierfür gibt es einen guten Grund:"},
            {StaticClass, NoId, 5, 39, 177, 34, 0x50020000, OwnText},
            {StaticClass, NoId, 3, 75, 179, 1, 0x50000007, L""},
        }},
        {"RULES", L"Spielregeln", 199, 89, {
            {ButtonClass, IDOK, 162, 72, 32, 14, 0x50030001, L"OK"},
            {StaticClass, NoId, 24, 4, 170, 17, 0x50020000,
             L"Das Ziel des Spiels ist es alle Platten vom mittleren Turm auf einen der "
             L"anderen Türme zu verschieben."},
            {StaticClass, NoId, 4, 4, 18, 20, 0x50000003, AppIcon},
            {StaticClass, NoId, 4, 25, 188, 1, 0x50000007, L""},
            {StaticClass, NoId, 4, 28, 151, 8, 0x50020000, L"Nur zwei Regeln müssen befolgt werden:"},
            {StaticClass, NoId, 5, 40, 189, 25, 0x50020000,
             L"* Es kann nur eine Platte zur gleichen Zeit bewegt werden.\n"
             L"* Keine größere Platte kann auf eine kleinere Platte gelegt\t   werden."},
            {StaticClass, NoId, 3, 68, 190, 1, 0x50000007, L""},
        }},
    };
    return dialogs;
}

void PrintTo(const ExpectedDialog& d, std::ostream* os) { *os << d.name; }

// A missing template reads as not ok.
Dialog LoadDialog(const char* name)
{
    return ReadDialog(LoadGerman(MAKEINTRESOURCEA(5), name));  // RT_DIALOG
}

class DialogTemplate : public testing::TestWithParam<ExpectedDialog> {};

TEST_P(DialogTemplate, MatchesItsLayoutFieldByField)
{
    const ExpectedDialog& want = GetParam();
    Dialog d = LoadDialog(want.name);
    ASSERT_TRUE(d.ok) << want.name << " is missing in language 0x0C07 or runs past its end";
    EXPECT_EQ(d.head.style, 0x00C800C0u);
    EXPECT_EQ(d.head.dwExtendedStyle, 0u);
    EXPECT_EQ(d.head.x, 22);
    EXPECT_EQ(d.head.y, 17);
    EXPECT_EQ(d.head.cx, want.cx);
    EXPECT_EQ(d.head.cy, want.cy);
    EXPECT_TRUE(!d.menu.isOrdinal && d.menu.text.empty()) << "no menu";
    EXPECT_TRUE(!d.cls.isOrdinal && d.cls.text.empty()) << "the standard dialog class";
    EXPECT_EQ(d.caption, want.caption);
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(d.face, L"System");
    ASSERT_EQ(d.head.cdit, want.controls.size());

    for (size_t i = 0; i < want.controls.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i));
        const ExpectedControl& w = want.controls[i];
        const DialogItem& got = d.items[i];
        EXPECT_TRUE(got.cls.isOrdinal);
        EXPECT_EQ(got.cls.ordinal, w.cls);
        EXPECT_EQ(got.head.id, w.id);
        EXPECT_EQ(got.head.dwExtendedStyle, 0u);
        EXPECT_EQ(got.creationBytes, 0);
        EXPECT_EQ(got.head.style, w.style);
        EXPECT_EQ(got.head.x, w.x);
        EXPECT_EQ(got.head.y, w.y);
        EXPECT_EQ(got.head.cx, w.cx);
        EXPECT_EQ(got.head.cy, w.cy);
        if (w.text == AppIcon) {
            EXPECT_TRUE(got.text.isOrdinal);
            EXPECT_EQ(got.text.ordinal, 101);
        } else {
            EXPECT_FALSE(got.text.isOrdinal);
            if (w.text != OwnText) {
                EXPECT_EQ(got.text.text, w.text);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllDialogs, DialogTemplate, testing::ValuesIn(Dialogs()),
                         [](const testing::TestParamInfo<ExpectedDialog>& info) {
                             return std::string(info.param.name);
                         });

TEST(DialogTexts, CreditAndNoticeKeepTheirFixedWording)
{
    Dialog about = LoadDialog("ABOUTBOX");
    ASSERT_EQ(about.items.size(), 9u);
    const std::wstring& credit = about.items[8].text.text;
    const std::wstring by = L"programmiert von ";
    ASSERT_GT(credit.size(), by.size()) << "no name after the words";
    EXPECT_EQ(credit.substr(0, by.size()), by);

    Dialog reg = LoadDialog("REGISTER");
    ASSERT_EQ(reg.items.size(), 7u);
    const std::wstring& notice = reg.items[5].text.text;
    const std::wstring head =
        L"Wenn Sie ein Email (\"Betreff : Informieren Sie mich\" genügt) an Kelvatrix <";
    const std::wstring tail =
        L"> senden, werden wir Sie über neue Produkte und Aktionen informieren !";
    ASSERT_GT(notice.size(), head.size() + tail.size()) << "no address between the brackets";
    EXPECT_EQ(notice.substr(0, head.size()), head);
    EXPECT_EQ(notice.substr(notice.size() - tail.size()), tail);
    std::wstring address = notice.substr(head.size(), notice.size() - head.size() - tail.size());
    EXPECT_NE(address.find(L'@'), std::wstring::npos);
    EXPECT_EQ(address.find_first_of(L"<> \""), std::wstring::npos);
}

// ---- menu -------------------------------------------------------------------

// Each item as "level flags id text", the flags in hex; a pop-up has no id.
void ReadMenuItems(Reader& r, int level, std::vector<std::wstring>& out)
{
    for (;;) {
        WORD flags = r.Word();
        WORD id = flags & MF_POPUP ? 0 : r.Word();
        std::wstring text = r.Sz();
        if (!r.Ok())
            return;
        wchar_t head[32];
        wsprintfW(head, L"%d %04x %u ", level, flags, id);
        out.push_back(head + text);
        if (flags & MF_POPUP)
            ReadMenuItems(r, level + 1, out);
        if (flags & MF_END)
            return;
    }
}

TEST(MainMenu, IsTheTwoPopUpMenuBar)
{
    Blob blob = LoadGerman(MAKEINTRESOURCEA(4), "TOLMARMENU");  // RT_MENU
    ASSERT_NE(blob.data, nullptr);
    Reader r(blob.data, blob.size);
    EXPECT_EQ(r.Word(), 0) << "template version";
    EXPECT_EQ(r.Word(), 0) << "header size";
    std::vector<std::wstring> items;
    ReadMenuItems(r, 0, items);
    ASSERT_TRUE(r.Ok());

    const std::vector<std::wstring> want = {
        L"0 0010 0 &Spiel",
        L"1 0000 101 &Neues Spiel",
        L"1 0000 104 &Optionen",
        L"1 0000 0 ",
        L"1 0080 103 E&xit",
        L"0 0090 0 &Hilfe",
        L"1 0000 102 &Regeln",
        L"1 0000 100 &Über Tolmar",
        L"1 0000 0 ",
        L"1 0080 105 Re&gistrierung",
    };
    EXPECT_EQ(items, want);
    EXPECT_LE(blob.size - r.Pos(), 3u) << "data after the last item";
}

// ---- icon -------------------------------------------------------------------

struct ExpectedIcon {
    BYTE size;
    DWORD bytes;
    WORD id;
    std::vector<int> discs;  // fill colours from the top
};

enum Vga { Black = 0, DarkRed = 1, DarkBlue = 4, Red = 9, Green = 10, Yellow = 11, Blue = 12, White = 15 };

const std::vector<ExpectedIcon>& Icons()
{
    static const std::vector<ExpectedIcon> icons = {
        {32, 744, 1, {White, Green, Yellow, Red, DarkBlue}},
        {16, 296, 2, {Yellow, Red, Blue}},
    };
    return icons;
}

void PrintTo(const ExpectedIcon& icon, std::ostream* os) { *os << int{icon.size} << " x " << int{icon.size}; }

TEST(AppIcon, GroupListsTheTwoSixteenColourImages)
{
    Blob blob = LoadGerman(MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(101));  // RT_GROUP_ICON
    ASSERT_NE(blob.data, nullptr);
    Reader r(blob.data, blob.size);
    EXPECT_EQ(r.Word(), 0);
    EXPECT_EQ(r.Word(), 1) << "resource type: icon";
    ASSERT_EQ(r.Word(), Icons().size());
    for (const ExpectedIcon& want : Icons()) {
        SCOPED_TRACE(int{want.size});
        EXPECT_EQ(r.Byte(), want.size);
        EXPECT_EQ(r.Byte(), want.size);
        EXPECT_EQ(r.Byte(), 16) << "colours";
        EXPECT_EQ(r.Byte(), 0);
        EXPECT_EQ(r.Word(), 1) << "planes";
        EXPECT_EQ(r.Word(), 4) << "bits per pixel";
        EXPECT_EQ(r.Dword(), want.bytes);
        EXPECT_EQ(r.Word(), want.id);
    }
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.Pos(), blob.size);
}

struct IconImage {
    int size = 0;
    std::vector<int> colour;        // palette index per pixel, top row first
    std::vector<bool> transparent;  // AND-mask bit per pixel
    int Colour(int x, int y) const { return colour[y * size + x]; }
    bool Clear(int x, int y) const { return transparent[y * size + x]; }
    // The palette index, or -1 where the picture is transparent.
    int Seen(int x, int y) const { return Clear(x, y) ? -1 : Colour(x, y); }
};

// Checks the header and palette, then decodes the colour and mask planes.
void ReadIconImage(const ExpectedIcon& want, IconImage& img)
{
    Blob blob = LoadGerman(MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(want.id));  // RT_ICON
    ASSERT_NE(blob.data, nullptr);
    ASSERT_EQ(blob.size, want.bytes);
    Reader r(blob.data, blob.size);
    const int n = want.size;
    EXPECT_EQ(r.Dword(), 40u) << "header size";
    EXPECT_EQ(static_cast<LONG>(r.Dword()), n);
    EXPECT_EQ(static_cast<LONG>(r.Dword()), 2 * n) << "height counts colour and mask";
    EXPECT_EQ(r.Word(), 1);
    EXPECT_EQ(r.Word(), 4);
    EXPECT_EQ(r.Dword(), DWORD{BI_RGB});
    r.Seek(40);
    static const BYTE vga[16][3] = {
        {0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0},
        {0, 0, 128}, {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
        {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
        {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
    };
    for (const auto& rgb : vga) {
        BYTE b = r.Byte(), g = r.Byte(), red = r.Byte(), reserved = r.Byte();
        EXPECT_EQ(red, rgb[0]);
        EXPECT_EQ(g, rgb[1]);
        EXPECT_EQ(b, rgb[2]);
        EXPECT_EQ(reserved, 0);
    }
    const size_t colourStride = (n * 4 + 31) / 32 * 4, maskStride = (n + 31) / 32 * 4;
    const size_t colourStart = r.Pos(), maskStart = colourStart + n * colourStride;
    ASSERT_EQ(maskStart + n * maskStride, blob.size);
    img.size = n;
    img.colour.assign(n * n, 0);
    img.transparent.assign(n * n, false);
    for (int y = 0; y < n; ++y) {
        const int stored = n - 1 - y;  // bottom-up
        for (int x = 0; x < n; ++x) {
            BYTE c = blob.data[colourStart + stored * colourStride + x / 2];
            img.colour[y * n + x] = x % 2 ? c & 0x0F : c >> 4;
            BYTE m = blob.data[maskStart + stored * maskStride + x / 8];
            img.transparent[y * n + x] = (m >> (7 - x % 8)) & 1;
        }
    }
}

class IconPicture : public testing::TestWithParam<ExpectedIcon> {};

TEST_P(IconPicture, ShowsTheTowerOnAClearBackground)
{
    const ExpectedIcon& want = GetParam();
    IconImage img;
    ASSERT_NO_FATAL_FAILURE(ReadIconImage(want, img));
    const int n = img.size, peg = n / 2 - 1;  // the peg: columns peg and peg + 1

    // Transparent pixels must be black in the colour plane, or they would invert the screen.
    for (int i = 0; i < n * n; ++i) {
        if (img.transparent[i]) {
            ASSERT_EQ(img.colour[i], Black) << "pixel " << i % n << "," << i / n;
        }
    }

    EXPECT_TRUE(img.Clear(0, 0));
    EXPECT_TRUE(img.Clear(n - 1, 0));
    EXPECT_TRUE(img.Clear(0, n - 3));
    EXPECT_TRUE(img.Clear(n - 1, n - 3));
    EXPECT_TRUE(img.Clear(peg, 0)) << "above the peg";
    EXPECT_TRUE(img.Clear(peg + 1, 0)) << "above the peg";

    for (int y = n - 2; y < n; ++y)
        for (int x = 0; x < n; ++x)
            ASSERT_EQ(img.Seen(x, y), DarkRed) << "base bar at " << x << "," << y;

    // The peg shows above the top disc and runs down to the base without a gap.
    for (int x = peg; x <= peg + 1; ++x) {
        int y = 0;
        while (y < n && img.Clear(x, y))
            ++y;
        ASSERT_LT(y, n - 2);
        EXPECT_EQ(img.Colour(x, y), DarkRed) << "top of the peg, column " << x;
        for (; y < n; ++y)
            ASSERT_FALSE(img.Clear(x, y)) << "peg broken at " << x << "," << y;
    }

    // Just left of the peg the discs stack up: outline, fill, outline, ..., then the base.
    std::vector<int> runs;
    for (int y = 0; y < n; ++y) {
        int seen = img.Seen(peg - 1, y);
        if ((runs.empty() && seen == -1) || (!runs.empty() && runs.back() == seen))
            continue;
        runs.push_back(seen);
    }
    std::vector<int> expected = {Black};
    for (int fill : want.discs) {
        expected.push_back(fill);
        expected.push_back(Black);
    }
    expected.push_back(DarkRed);
    EXPECT_EQ(runs, expected);

    // Every disc row ends in its black outline on both sides, and the discs widen downward.
    int lastWidth = 0;
    for (int y = 0; y < n - 2; ++y) {
        int left = 0, right = n - 1;
        while (left < n && img.Clear(left, y))
            ++left;
        while (right >= 0 && img.Clear(right, y))
            --right;
        if (left > right)
            continue;
        bool pegOnly = true;
        for (int x = left; x <= right; ++x)
            pegOnly = pegOnly && img.Seen(x, y) == DarkRed;
        if (!pegOnly) {
            EXPECT_EQ(img.Colour(left, y), Black) << "row " << y;
            EXPECT_EQ(img.Colour(right, y), Black) << "row " << y;
        }
        EXPECT_GE(right - left + 1, lastWidth) << "row " << y;
        lastWidth = right - left + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(BothSizes, IconPicture, testing::ValuesIn(Icons()),
                         [](const testing::TestParamInfo<ExpectedIcon>& info) {
                             return "Size" + std::to_string(info.param.size);
                         });

// ---- version block ----------------------------------------------------------

struct VersionNode {
    std::wstring key;
    WORD type = 0;  // 1: text value
    std::vector<BYTE> value;
    std::vector<VersionNode> children;
    std::wstring Text() const  // up to its NUL
    {
        std::wstring s(value.size() / 2, L'\0');
        std::memcpy(s.data(), value.data(), s.size() * sizeof(wchar_t));
        return s.c_str();
    }
};

// Reads the node at `start`; false when its lengths do not fit inside `limit`.
bool ReadVersionNode(const Blob& blob, size_t start, size_t limit, VersionNode& node)
{
    Reader r(blob.data, limit);
    r.Seek(start);
    WORD length = r.Word();
    WORD valueLength = r.Word();
    node.type = r.Word();
    node.key = r.Sz();
    r.AlignDword();
    const size_t end = start + length;
    if (length < 6 || end > limit || !r.Ok())
        return false;
    size_t valueBytes = node.type == 1 ? valueLength * 2u : valueLength;
    if (r.Pos() + valueBytes > end)
        return false;
    node.value.assign(blob.data + r.Pos(), blob.data + r.Pos() + valueBytes);
    size_t pos = (r.Pos() + valueBytes + 3) & ~size_t{3};
    while (pos < end) {
        VersionNode child;
        if (!ReadVersionNode(blob, pos, end, child))
            return false;
        pos = (pos + *reinterpret_cast<const WORD*>(blob.data + pos) + 3) & ~size_t{3};
        node.children.push_back(child);
    }
    return true;
}

class VersionBlock : public testing::Test {
protected:
    void SetUp() override
    {
        Blob blob = LoadGerman(MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1));  // RT_VERSION
        ASSERT_NE(blob.data, nullptr);
        ASSERT_TRUE(ReadVersionNode(blob, 0, blob.size, root));
        EXPECT_EQ(root.key, L"VS_VERSION_INFO");
    }
    // The tests ask for as many different keys as the parent has children.
    const VersionNode* Child(const VersionNode& parent, const std::wstring& key)
    {
        for (const VersionNode& c : parent.children)
            if (c.key == key)
                return &c;
        return nullptr;
    }
    VersionNode root;
};

TEST_F(VersionBlock, FixedPartHoldsTheReleaseNumbers)
{
    ASSERT_EQ(root.type, 0);
    ASSERT_EQ(root.value.size(), 52u) << "VS_FIXEDFILEINFO";
    DWORD fixed[13];
    std::memcpy(fixed, root.value.data(), sizeof fixed);
    const struct { const char* field; DWORD value; } want[13] = {
        {"signature", 0xFEEF04BD}, {"structure version", 0x00010000},
        {"file version MS", 0x00010000}, {"file version LS", 0},
        {"product version MS", 0x00010000}, {"product version LS", 0},
        {"flags mask", 0x3F}, {"flags", 0}, {"OS", 0x00010001}, {"type", 1},
        {"subtype", 0}, {"date MS", 0}, {"date LS", 0},
    };
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(fixed[i], want[i].value) << want[i].field;
}

// One string table, its keys in order, and the translation that names the same table.
TEST_F(VersionBlock, OneStringTableWithTheKeysInOrderAndItsTranslation)
{
    ASSERT_EQ(root.children.size(), 2u);
    const VersionNode* vars = Child(root, L"VarFileInfo");
    ASSERT_NE(vars, nullptr);
    ASSERT_EQ(vars->children.size(), 1u);
    EXPECT_EQ(vars->children[0].key, L"Translation");
    EXPECT_EQ(vars->children[0].type, 0);
    EXPECT_EQ(vars->children[0].value, (std::vector<BYTE>{0x09, 0x04, 0xE4, 0x04}));
    const VersionNode* strings = Child(root, L"StringFileInfo");
    ASSERT_NE(strings, nullptr);
    ASSERT_EQ(strings->children.size(), 1u);
    const VersionNode& table = strings->children[0];
    EXPECT_EQ(table.key, L"040904E4");

    const wchar_t* const ours = nullptr;  // our own value: only required to be there
    const struct { const wchar_t* key; const wchar_t* value; } want[] = {
        {L"CompanyName", L"Kelvatrix"},
        {L"FileDescription", L"Kelvatrix\u00B4s Türme von Tolmar"},
        {L"FileVersion", L"1.0"},
        {L"InternalName", L"Tolmar"},
        {L"LegalCopyright", ours},
        {L"LegalTrademarks", ours},
        {L"OriginalFilename", L"TOLMAR.EXE"},
        {L"ProductName", L"Kelvatrix\u00B4s Türme von Tolmar"},
        {L"ProductVersion", L"1.0"},
        {L"RevisionDate", L"April 14, 1997"},
        {L"Internet Email", ours},
        {L"Internet WebSite", ours},
        {L"Internet FTPSite", ours},
        {L"Author", ours},
    };
    ASSERT_EQ(table.children.size(), std::size(want));
    for (size_t i = 0; i < std::size(want); ++i) {
        const VersionNode& entry = table.children[i];
        EXPECT_EQ(entry.key, want[i].key) << "key " << i;
        EXPECT_EQ(entry.type, 1) << "key " << i;
        if (want[i].value) {
            EXPECT_EQ(entry.Text(), want[i].value) << "key " << i;
        } else {
            EXPECT_FALSE(entry.Text().empty()) << "key " << i;
        }
    }
}

}  // namespace
