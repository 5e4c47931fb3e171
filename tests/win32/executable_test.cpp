// Checks the shipped Tolmar.exe itself, read as a file: what kind of program it is,
// what it exports and imports, and that it carries the resources the other tests read.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// The bytes of a PE file and the headers the checks need.
class PeFile {
public:
    explicit PeFile(const char* path)
    {
        std::ifstream in(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), {});
        if (bytes_.size() < sizeof(IMAGE_DOS_HEADER) || Read<WORD>(0) != IMAGE_DOS_SIGNATURE)
            return;
        const size_t nt = Read<LONG>(offsetof(IMAGE_DOS_HEADER, e_lfanew));
        if (Read<DWORD>(nt) != IMAGE_NT_SIGNATURE)
            return;
        file = Read<IMAGE_FILE_HEADER>(nt + 4);
        const size_t optional = nt + 4 + sizeof(IMAGE_FILE_HEADER);
        if (Read<WORD>(optional) != IMAGE_NT_OPTIONAL_HDR32_MAGIC)  // 32-bit headers only
            return;
        opt = Read<IMAGE_OPTIONAL_HEADER32>(optional);
        for (WORD i = 0; i < file.NumberOfSections; ++i)
            sections.push_back(Read<IMAGE_SECTION_HEADER>(
                optional + file.SizeOfOptionalHeader + i * sizeof(IMAGE_SECTION_HEADER)));
        ok_ = true;
    }

    bool Ok() const { return ok_ && inBounds_; }

    template <class T>
    T Read(size_t offset)
    {
        T value{};
        if (offset + sizeof(T) > bytes_.size() || offset + sizeof(T) < offset)
            inBounds_ = false;
        else
            std::memcpy(&value, bytes_.data() + offset, sizeof(T));
        return value;
    }

    const IMAGE_SECTION_HEADER* SectionOf(DWORD rva) const
    {
        for (const IMAGE_SECTION_HEADER& s : sections)
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return &s;
        return nullptr;
    }

    // File offset of an address in the loaded image; marks the file bad when none holds it.
    size_t Offset(DWORD rva)
    {
        const IMAGE_SECTION_HEADER* s = SectionOf(rva);
        if (!s) {
            inBounds_ = false;
            return bytes_.size();
        }
        return rva - s->VirtualAddress + s->PointerToRawData;
    }

    template <class T>
    T ReadRva(DWORD rva) { return Read<T>(Offset(rva)); }

    std::string StringAt(DWORD rva)
    {
        std::string s;
        for (size_t at = Offset(rva); at < bytes_.size() && bytes_[at]; ++at)
            s += static_cast<char>(bytes_[at]);
        return s;
    }

    const IMAGE_DATA_DIRECTORY& Directory(int index) const { return opt.DataDirectory[index]; }

    IMAGE_FILE_HEADER file{};
    IMAGE_OPTIONAL_HEADER32 opt{};
    std::vector<IMAGE_SECTION_HEADER> sections;
    std::vector<BYTE> bytes_;

private:
    bool ok_ = false;
    bool inBounds_ = true;
};

struct FileResource {
    WORD type;
    WORD id;            // when the name is a number
    std::wstring name;  // otherwise
    WORD language;
    std::vector<BYTE> data;
};

// Walks the three levels of the resource directory: type, name, language.
std::vector<FileResource> ReadResources(PeFile& pe)
{
    std::vector<FileResource> found;
    const DWORD root = pe.Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE).VirtualAddress;
    if (!root)
        return found;
    auto entries = [&](DWORD dir) {
        auto header = pe.ReadRva<IMAGE_RESOURCE_DIRECTORY>(root + dir);
        std::vector<IMAGE_RESOURCE_DIRECTORY_ENTRY> list;
        for (int i = 0; i < header.NumberOfNamedEntries + header.NumberOfIdEntries && pe.Ok(); ++i)
            list.push_back(pe.ReadRva<IMAGE_RESOURCE_DIRECTORY_ENTRY>(
                root + dir + sizeof header + i * sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY)));
        return list;
    };
    for (const auto& type : entries(0)) {
        if (type.NameIsString || !type.DataIsDirectory) {
            found.push_back({0xFFFF, 0, L"(type given by name)", 0, {}});
            continue;
        }
        for (const auto& name : entries(type.OffsetToDirectory)) {
            FileResource res{type.Id, 0, {}, 0, {}};
            if (name.NameIsString) {
                const DWORD at = root + name.NameOffset;
                const WORD length = pe.ReadRva<WORD>(at);
                for (WORD i = 0; i < length; ++i)
                    res.name += static_cast<wchar_t>(pe.ReadRva<WORD>(at + 2 + 2 * i));
            } else {
                res.id = name.Id;
            }
            for (const auto& lang : entries(name.OffsetToDirectory)) {
                res.language = lang.Id;
                auto leaf = pe.ReadRva<IMAGE_RESOURCE_DATA_ENTRY>(root + lang.OffsetToData);
                const size_t at = pe.Offset(leaf.OffsetToData);
                res.data.clear();
                for (DWORD i = 0; i < leaf.Size && pe.Ok(); ++i)
                    res.data.push_back(pe.Read<BYTE>(at + i));
                found.push_back(res);
            }
        }
    }
    return found;
}

class Executable : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pe.Ok()) << "no PE32 headers in " << TOLMAR_EXE; }
    PeFile pe{TOLMAR_EXE};
};

TEST_F(Executable, IsA32BitGuiProgram)
{
    EXPECT_EQ(pe.file.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_TRUE(pe.file.Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE);
    EXPECT_FALSE(pe.file.Characteristics & IMAGE_FILE_DLL);
    EXPECT_EQ(pe.opt.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

// Read from the export directory, with its module name. The exact set of names rules out
// decorated ones such as "MainWndProc@16".
TEST_F(Executable, ExportsMainWndProcAndAboutByPlainNameAndOrdinal)
{
    const IMAGE_DATA_DIRECTORY& dir = pe.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    ASSERT_NE(dir.VirtualAddress, 0u) << "no export directory";
    auto exports = pe.ReadRva<IMAGE_EXPORT_DIRECTORY>(dir.VirtualAddress);
    EXPECT_EQ(pe.StringAt(exports.Name), "Tolmar.EXE");
    EXPECT_EQ(exports.NumberOfFunctions, 2u);
    std::map<std::string, DWORD> ordinalOf, rvaOf;
    for (DWORD i = 0; i < exports.NumberOfNames && pe.Ok(); ++i) {
        std::string name = pe.StringAt(pe.ReadRva<DWORD>(exports.AddressOfNames + 4 * i));
        WORD index = pe.ReadRva<WORD>(exports.AddressOfNameOrdinals + 2 * i);
        ordinalOf[name] = exports.Base + index;
        rvaOf[name] = pe.ReadRva<DWORD>(exports.AddressOfFunctions + 4 * index);
    }
    ASSERT_EQ(ordinalOf, (std::map<std::string, DWORD>{{"MainWndProc", 1}, {"About", 2}}));
    for (const auto& [name, rva] : rvaOf) {
        SCOPED_TRACE(name);
        const IMAGE_SECTION_HEADER* code = pe.SectionOf(rva);
        ASSERT_NE(code, nullptr);
        EXPECT_TRUE(code->Characteristics & IMAGE_SCN_MEM_EXECUTE) << "not in code";
        EXPECT_FALSE(rva >= dir.VirtualAddress && rva < dir.VirtualAddress + dir.Size) << "forwarded";
    }
    EXPECT_NE(rvaOf["MainWndProc"], rvaOf["About"]);
}

// Every function the program may import, one row per DLL. A function that a system's DLL
// does not export stops its loader before the program runs, and Wine cannot show that: a
// new import is added here once it has been looked up for Windows 95 and NT 4.0 (docs/SYSTEMS.md). The
// msvcrt.dll row is the C runtime's own start-up and the little it calls (see the README).
const std::map<std::string, std::set<std::string>> kImportable = {
    {"kernel32.dll",
     {"DeleteCriticalSection", "EnterCriticalSection", "FreeLibrary", "GetCurrentThreadId",
      "GetLastError", "GetModuleHandleA", "GetProcAddress", "GetStartupInfoA",
      "GetSystemDirectoryA", "GetTickCount", "GetVersion", "InitializeCriticalSection",
      "LeaveCriticalSection", "LoadLibraryA", "MultiByteToWideChar",
      "SetUnhandledExceptionFilter", "Sleep", "TlsGetValue", "VirtualProtect", "VirtualQuery",
      "lstrcpyA"}},
    {"user32.dll",
     {"BeginPaint", "CallNextHookEx", "CallWindowProcW", "CheckRadioButton",
      "CreateWindowExA", "DefWindowProcA", "DefWindowProcW", "DialogBoxParamA",
      "DialogBoxParamW", "DispatchMessageA", "EndDialog", "EndPaint", "GetActiveWindow",
      "GetCapture", "GetClientRect", "GetDC", "GetDlgItem", "GetFocus", "GetKeyState",
      "GetMessageA", "GetSystemMetrics", "GetWindow", "GetWindowRect", "InvalidateRect",
      "IsIconic", "IsWindowEnabled", "IsWindowVisible", "KillTimer", "LoadCursorA",
      "LoadIconA", "MapWindowPoints", "MessageBeep", "MessageBoxA", "PostMessageA",
      "PostQuitMessage", "RegisterClassA", "ReleaseDC", "SetCursor", "SetForegroundWindow",
      "SetScrollPos", "SetScrollRange", "SetTimer", "SetWindowLongA", "SetWindowLongW",
      "SetWindowPos", "SetWindowTextA", "SetWindowTextW", "SetWindowsHookExA", "ShowWindow",
      "SystemParametersInfoA", "TranslateMessage", "UpdateWindow", "wvsprintfA"}},
    {"gdi32.dll",
     {"BitBlt", "CreateCompatibleBitmap", "CreateCompatibleDC", "CreateFontA", "CreatePen",
      "CreateSolidBrush", "DeleteDC", "DeleteObject", "GetStockObject", "RoundRect",
      "SelectObject", "TextOutA"}},
    {"msvcrt.dll",
     {"__getmainargs", "__initenv", "__p__acmdln", "__p__commode", "__p__fmode",
      "__set_app_type", "__setusermatherr", "_amsg_exit", "_cexit", "_initterm", "_iob",
      "_onexit", "abort", "calloc", "exit", "fprintf", "fputs", "free", "malloc", "memcmp",
      "signal", "strlen", "strncmp", "vfprintf"}},
};

TEST_F(Executable, ImportsOnlyTheListedFunctionsOfSystemLibraries)
{
    const DWORD dir = pe.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress;
    ASSERT_NE(dir, 0u);
    std::map<std::string, std::set<std::string>> imported;
    for (DWORD at = dir;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        auto desc = pe.ReadRva<IMAGE_IMPORT_DESCRIPTOR>(at);
        ASSERT_TRUE(pe.Ok());
        if (!desc.Name)
            break;
        std::string dll = pe.StringAt(desc.Name);
        CharLowerA(dll.data());
        std::set<std::string>& names = imported[dll];
        const DWORD thunks = desc.OriginalFirstThunk ? desc.OriginalFirstThunk : desc.FirstThunk;
        for (DWORD t = thunks;; t += 4) {
            const DWORD entry = pe.ReadRva<DWORD>(t);
            ASSERT_TRUE(pe.Ok());
            if (!entry)
                break;
            // By name only: an ordinal means something else on each system.
            ASSERT_FALSE(entry & IMAGE_ORDINAL_FLAG32) << dll << " ordinal " << (entry & 0xFFFF);
            names.insert(pe.StringAt(entry + 2));  // after the two bytes of the hint
        }
    }
    for (const auto& [dll, names] : imported) {
        auto row = kImportable.find(dll);
        if (row == kImportable.end()) {
            ADD_FAILURE() << "imports from " << dll;
            continue;
        }
        for (const std::string& name : names)
            EXPECT_TRUE(row->second.count(name)) << dll << " " << name << ": not in the table";
        for (const std::string& name : row->second)
            EXPECT_TRUE(names.count(name)) << dll << " " << name << ": in the table, not imported";
    }
    EXPECT_TRUE(imported.count("user32.dll"));
    EXPECT_TRUE(imported.count("kernel32.dll"));
    EXPECT_EQ(pe.Directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT).VirtualAddress, 0u);
}

TEST_F(Executable, CarriesExactlyTheResourcesOfTheTestedScript)
{
    std::vector<FileResource> resources = ReadResources(pe);
    ASSERT_TRUE(pe.Ok());
    std::set<WORD> types;
    for (const FileResource& r : resources) {
        types.insert(r.type);
        EXPECT_EQ(r.language, 0x0C07) << "type " << r.type;
    }
    // Icon, menu, dialog, icon group, version: in particular no manifest (24).
    EXPECT_EQ(types, (std::set<WORD>{3, 4, 5, 14, 16}));
    EXPECT_EQ(resources.size(), 10u);

    // Byte for byte the resources that this test program links, which the resource tests read.
    HMODULE self = GetModuleHandleA(nullptr);
    for (const FileResource& r : resources) {
        LPCWSTR name = r.name.empty() ? MAKEINTRESOURCEW(r.id) : r.name.c_str();
        SCOPED_TRACE("type " + std::to_string(r.type) + " id " + std::to_string(r.id) + " name length " +
                     std::to_string(r.name.size()));
        HRSRC found = FindResourceExW(self, MAKEINTRESOURCEW(r.type), name, r.language);
        ASSERT_NE(found, nullptr);
        ASSERT_EQ(SizeofResource(self, found), r.data.size());
        const BYTE* mine = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
        EXPECT_TRUE(std::equal(r.data.begin(), r.data.end(), mine));
    }
}

}  // namespace
