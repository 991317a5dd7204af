// Veskar.exe's resources read back, against the core's tables of the menu, the accelerators,
// the strings, the About box and the icons' art, and against the resource script's own texts.
#ifndef UNICODE
#  define UNICODE  // the RT_ types as wide-character names
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "app/core/icon_art.h"
#include "app/core/resources.h"

namespace veskar {
namespace {

constexpr WORD kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::string narrow(const wchar_t* text)
{
    std::string out;
    for (; *text != L'\0'; ++text)
        out += static_cast<char>(*text);  // the resources' texts are ASCII
    return out;
}

class VeskarResources : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
#ifdef VESKAR_EXE
        module_ = LoadLibraryExW(L"" VESKAR_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
#else
        module_ = GetModuleHandleW(nullptr);  // the resources are linked into the test
#endif
        ASSERT_NE(module_, nullptr);
    }

    // The bytes of resource `id` of `type` in US English.
    static std::vector<uint8_t> data(LPCWSTR type, int id)
    {
        HRSRC found = FindResourceExW(module_, type, MAKEINTRESOURCEW(id), kUsEnglish);
        if (found == nullptr)
            return {};
        const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module_, found)));
        return std::vector<uint8_t>(bytes, bytes + SizeofResource(module_, found));
    }

    static std::string menuText(HMENU menu, int position)
    {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
        return narrow(text);
    }

    static inline HMODULE module_ = nullptr;
};

TEST_F(VeskarResources, AreAllInUsEnglishAtTheirIds)
{
    // clang-format off
    const struct {
        LPCWSTR type;
        int id;
    } resources[] = {
        {RT_MENU, IDR_MAINMENU},    {RT_ACCELERATOR, IDR_ACCELERATORS}, {RT_DIALOG, IDD_ABOUTBOX},
        {RT_GROUP_ICON, IDI_MAIN},  {RT_GROUP_ICON, IDI_PLAY},          {RT_GROUP_ICON, IDI_STOP},
        {RT_GROUP_ICON, IDI_PLAY_OFF}, {RT_GROUP_ICON, IDI_STOP_OFF},   {RT_GROUP_ICON, IDI_ABOUT},
        {RT_STRING, 1},  // strings 1 to 15
        {RT_VERSION, 1},
    };
    // clang-format on
    for (const auto& resource : resources)
        EXPECT_FALSE(data(resource.type, resource.id).empty()) << resource.id;
}

TEST_F(VeskarResources, MenuHasTheCoresItemsTextsIdsAndStates)
{
    HMENU bar = LoadMenuW(module_, MAKEINTRESOURCEW(IDR_MAINMENU));
    ASSERT_NE(bar, nullptr);
    const auto popups = mainMenu();
    ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(popups.size()));
    for (size_t p = 0; p < popups.size(); ++p) {
        const int position = static_cast<int>(p);
        EXPECT_EQ(menuText(bar, position), popups[p].text);
        EXPECT_EQ((GetMenuState(bar, position, MF_BYPOSITION) & MF_GRAYED) != 0, !popups[p].enabled) << popups[p].text;
        HMENU popup = GetSubMenu(bar, position);
        ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(popups[p].items.size()));
        for (size_t i = 0; i < popups[p].items.size(); ++i) {
            const MenuItem& item = popups[p].items[i];
            const int at = static_cast<int>(i);
            const UINT state = GetMenuState(popup, at, MF_BYPOSITION);
            EXPECT_EQ((state & MF_SEPARATOR) != 0, item.separator()) << p << "/" << i;
            if (item.separator())
                continue;
            EXPECT_EQ(menuText(popup, at), item.text);
            EXPECT_EQ(static_cast<int>(GetMenuItemID(popup, at)), item.command) << item.text;
            EXPECT_EQ((state & MF_GRAYED) != 0, !item.enabled) << item.text;
        }
    }
    // The texts as they were first written, slips and all.
    EXPECT_EQ(menuText(GetSubMenu(bar, 0), 0), "Open Sam&ples \tCrtl+P");
    EXPECT_EQ(menuText(GetSubMenu(bar, 0), 6), "&Log Ouput (*.WAV)\tCtrl+S");
    DestroyMenu(bar);
}

TEST_F(VeskarResources, AcceleratorsAreTheCoresVirtualKeys)
{
    HACCEL table = LoadAcceleratorsW(module_, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    ACCEL entries[32];
    const int count = CopyAcceleratorTableW(table, entries, 32);
    const auto expected = accelerators();
    ASSERT_EQ(count, static_cast<int>(expected.size()));
    for (int i = 0; i < count; ++i) {
        const Accelerator& want = expected[static_cast<size_t>(i)];
        EXPECT_EQ(entries[i].fVirt, FVIRTKEY | FNOINVERT | (want.control ? FCONTROL : 0)) << i;
        EXPECT_EQ(entries[i].key, want.key == ' ' ? VK_SPACE : want.key) << i;
        EXPECT_EQ(entries[i].cmd, want.command) << i;
    }
    DestroyAcceleratorTable(table);
}

TEST_F(VeskarResources, StringTableHoldsTheCoresTexts)
{
    for (int id = 1; id <= 16; ++id) {
        const wchar_t* text = nullptr;
        const int length = LoadStringW(module_, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
        const char* want = stringText(id);
        if (want == nullptr) {
            EXPECT_EQ(length, 0) << id;
            continue;
        }
        ASSERT_GT(length, 0) << id;
        EXPECT_EQ(narrow(std::wstring(text, static_cast<size_t>(length)).c_str()), want) << id;
    }
    EXPECT_STREQ(stringText(IDS_DLL_MISMATCH), "Brimsel and Halvex DLLs mismatch.");
}

std::string ordinal(int number)
{
    std::string text = std::to_string(number);
    return text.insert(0, 1, '#');
}

// Reads the About box's template: the dialog, then its controls.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    template <typename T>
    T read()
    {
        T value{};
        if (at_ + sizeof(T) <= bytes_.size())
            std::memcpy(&value, bytes_.data() + at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }
    // A string, or an ordinal (0xFFFF then a number) as "#number".
    std::string text()
    {
        if (read<uint16_t>() == 0xFFFF)
            return ordinal(read<uint16_t>());
        at_ -= 2;
        std::string out;
        for (uint16_t c; (c = read<uint16_t>()) != 0;)
            out += static_cast<char>(c);
        return out;
    }
    void alignToDword() { at_ = (at_ + 3) & ~size_t{3}; }

private:
    const std::vector<uint8_t>& bytes_;
    size_t at_ = 0;
};

// A control's class, by name or by the system's atom for it.
std::string className(const std::string& name)
{
    if (name == "#128")
        return "BUTTON";
    if (name == "#130")
        return "STATIC";
    std::string upper = name;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

TEST_F(VeskarResources, AboutBoxTemplateIsTheCoresLayout)
{
    const std::vector<uint8_t> bytes = data(RT_DIALOG, IDD_ABOUTBOX);
    ASSERT_FALSE(bytes.empty());
    TemplateReader reader(bytes);
    const AboutBox& about = aboutBox();
    const DWORD style = reader.read<DWORD>();
    EXPECT_EQ(style & ~DWORD{DS_SETFONT}, DWORD{DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU});
    EXPECT_EQ(reader.read<DWORD>(), 0u);  // extended style
    const int controls = reader.read<uint16_t>();
    EXPECT_EQ(reader.read<int16_t>(), 0);
    EXPECT_EQ(reader.read<int16_t>(), 0);
    EXPECT_EQ(reader.read<int16_t>(), about.width);
    EXPECT_EQ(reader.read<int16_t>(), about.height);
    EXPECT_EQ(reader.text(), "");  // no menu
    EXPECT_EQ(reader.text(), "");  // the dialog class
    EXPECT_EQ(reader.text(), about.title);
    EXPECT_EQ(reader.read<uint16_t>(), 8);
    EXPECT_EQ(reader.text(), "MS Sans Serif");

    const struct {
        Rect rect;
        int id;
        std::string className;
        std::string text;
        DWORD style;
    } expected[] = {
        {about.iconRect, -1, "STATIC", ordinal(IDI_ABOUT), SS_ICON},
        {about.textRect, -1, "STATIC", about.text, SS_LEFT},
        {about.versionRect, IDC_ABOUT_VERSION, "BUTTON", about.versionCaption, BS_GROUPBOX},
        {about.buttonRect, IDOK, "BUTTON", about.button, BS_DEFPUSHBUTTON},
    };
    ASSERT_EQ(controls, 4);
    for (const auto& control : expected) {
        reader.alignToDword();
        const DWORD controlStyle = reader.read<DWORD>();
        EXPECT_EQ(controlStyle & 0xF, control.style) << control.text;
        EXPECT_TRUE(controlStyle & WS_CHILD) << control.text;
        reader.read<DWORD>();
        const int16_t x = reader.read<int16_t>(), y = reader.read<int16_t>();
        const int16_t cx = reader.read<int16_t>(), cy = reader.read<int16_t>();
        EXPECT_EQ(Rect::sized(x, y, cx, cy), control.rect) << control.text;
        EXPECT_EQ(static_cast<int16_t>(reader.read<uint16_t>()), control.id) << control.text;
        EXPECT_EQ(className(reader.text()), control.className);
        EXPECT_EQ(reader.text(), control.text);
        reader.read<uint16_t>();  // no creation data
    }
}

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

// Each icon's images: 16 colours, the sizes the art has, and the art's pixels.
TEST_F(VeskarResources, IconsAreTheCoresArtInSixteenColours)
{
    for (int icon : {IDI_MAIN, IDI_PLAY, IDI_STOP, IDI_PLAY_OFF, IDI_STOP_OFF, IDI_ABOUT}) {
        const std::vector<uint8_t> group = data(RT_GROUP_ICON, icon);
        ASSERT_GE(group.size(), 6u) << icon;
        const int count = group[4] | (group[5] << 8);
        ASSERT_EQ(count, iconHasSmallSize(icon) ? 2 : 1) << icon;
        for (int i = 0; i < count; ++i) {
            GroupEntry entry;
            std::memcpy(&entry, group.data() + 6 + i * sizeof(GroupEntry), sizeof(entry));
            const int size = entry.width;
            EXPECT_EQ(size, i == 0 ? 32 : 16) << icon;
            EXPECT_EQ(entry.colours, 16) << icon;
            EXPECT_EQ(entry.bitCount, 4) << icon;

            const std::vector<uint8_t> image = data(RT_ICON, entry.id);
            BITMAPINFOHEADER header;
            ASSERT_GE(image.size(), sizeof(header));
            std::memcpy(&header, image.data(), sizeof(header));
            const uint8_t* palette = image.data() + header.biSize;
            const uint8_t* colours = palette + 16 * 4;
            const size_t colourStride = static_cast<size_t>((size / 2 + 3) / 4 * 4);
            const uint8_t* mask = colours + colourStride * static_cast<size_t>(size);
            const size_t maskStride = static_cast<size_t>((size / 8 + 3) / 4 * 4);
            ASSERT_EQ(image.size(), header.biSize + 64 + (colourStride + maskStride) * static_cast<size_t>(size));
            const std::vector<uint32_t> art = iconPixels(icon, size);
            int wrong = 0;
            for (int y = 0; y < size; ++y) {
                const size_t row = static_cast<size_t>(size - 1 - y);  // bottom-up
                for (int x = 0; x < size; ++x) {
                    const bool clear = mask[row * maskStride + static_cast<size_t>(x / 8)] & (0x80 >> (x % 8));
                    const int index = (colours[row * colourStride + static_cast<size_t>(x / 2)] >> (x % 2 ? 0 : 4)) & 0xF;
                    const uint8_t* bgr = palette + 4 * index;
                    const uint32_t pixel = clear ? 0 : 0xFF000000u | (bgr[2] << 16) | (bgr[1] << 8) | bgr[0];
                    wrong += pixel != art[static_cast<size_t>(y * size + x)];
                }
            }
            EXPECT_EQ(wrong, 0) << "icon " << icon << " at " << size;
        }
    }
}

TEST_F(VeskarResources, VersionInformationNamesVeskar)
{
    std::vector<uint8_t> version = data(RT_VERSION, 1);
    ASSERT_FALSE(version.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    // clang-format off
    const struct {
        const wchar_t* name;
        const char* value;
    } strings[] = {
        {L"FileVersion", "1, 0, 0, 1"},     {L"ProductVersion", "1, 0, 0, 1"}, {L"FileDescription", "Veskar"},
        {L"InternalName", "Veskar"},        {L"ProductName", "Veskar"},        {L"OriginalFilename", "Veskar.exe"},
        {L"Comments", "Auditioning suite for Brimsel music and sound effects"},
    };
    // clang-format on
    for (const auto& string : strings) {
        wchar_t* value = nullptr;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + string.name;
        ASSERT_TRUE(VerQueryValueW(version.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
            << string.value;
        EXPECT_EQ(narrow(value), string.value);
    }
}

}  // namespace
}  // namespace veskar
