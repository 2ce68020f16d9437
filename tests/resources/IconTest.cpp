// Icon 128: its group directory and the nine images it points at, as the loader finds them.
#include "resources/resource.h"
#include "tests/resources/ModuleResource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

// Entry of an icon group resource (GRPICONDIRENTRY); the SDK headers do not declare it.
#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14, "packed like the resource");

struct ImageFormat {
    int size;
    int bitCount;
    bool operator<(const ImageFormat& other) const
    {
        return std::tie(size, bitCount) < std::tie(other.size, other.bitCount);
    }
    bool operator==(const ImageFormat& other) const
    {
        return size == other.size && bitCount == other.bitCount;
    }
};

void PrintTo(const ImageFormat& format, std::ostream* out)
{
    *out << format.size << "x" << format.size << "@" << format.bitCount;
}

std::vector<GroupIconEntry> LoadGroupEntries()
{
    resourcetest::ResourceBytes group =
        resourcetest::FindModuleResource(RT_GROUP_ICON, MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (group.data == nullptr || group.size < sizeof(GroupIconHeader)) {
        ADD_FAILURE() << "icon group missing";
        return {};
    }
    GroupIconHeader header;
    std::memcpy(&header, group.data, sizeof header);
    EXPECT_EQ(0, header.reserved);
    EXPECT_EQ(1, header.type);
    if (group.size < sizeof header + header.count * sizeof(GroupIconEntry)) {
        ADD_FAILURE() << "icon group shorter than its " << header.count << " entries";
        return {};
    }
    std::vector<GroupIconEntry> entries(header.count);
    std::memcpy(entries.data(), group.data + sizeof header, header.count * sizeof(GroupIconEntry));
    return entries;
}

// A transparency-mask bit of a 1-bit-per-pixel mask stored bottom-up in 32-bit aligned rows.
bool MaskBit(const BYTE* mask, int size, int x, int y)
{
    int stride = (size + 31) / 32 * 4;
    const BYTE* row = mask + (size - 1 - y) * stride;
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

TEST(ApplicationIcon, GroupHasThreeSizesAtThreeColourDepths)
{
    std::vector<ImageFormat> formats;
    for (const GroupIconEntry& entry : LoadGroupEntries()) {
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_EQ(1, entry.planes);
        EXPECT_EQ(entry.bitCount == 4 ? 16 : 0, entry.colorCount);
        formats.push_back({entry.width, entry.bitCount});
    }
    std::sort(formats.begin(), formats.end());
    const std::vector<ImageFormat> expected = {
        {16, 4}, {16, 8}, {16, 24}, {32, 4}, {32, 8}, {32, 24}, {48, 4}, {48, 8}, {48, 24},
    };
    EXPECT_EQ(expected, formats);
}

TEST(ApplicationIcon, EveryEntryNamesAMatchingImageWithTransparentCorners)
{
    std::vector<GroupIconEntry> entries = LoadGroupEntries();
    ASSERT_FALSE(entries.empty());
    for (const GroupIconEntry& entry : entries) {
        SCOPED_TRACE(testing::Message() << "image " << entry.id << ", " << int(entry.width) << "x"
                                        << int(entry.height) << "@" << entry.bitCount);
        resourcetest::ResourceBytes image = resourcetest::FindModuleResource(RT_ICON, MAKEINTRESOURCEW(entry.id));
        ASSERT_NE(nullptr, image.data);
        ASSERT_EQ(entry.bytesInRes, image.size);
        ASSERT_GE(image.size, sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header;
        std::memcpy(&header, image.data, sizeof header);
        EXPECT_EQ(entry.width, header.biWidth);
        EXPECT_EQ(2 * entry.height, header.biHeight); // colour image and mask
        EXPECT_EQ(entry.bitCount, header.biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);

        int size = entry.width;
        DWORD paletteBytes = entry.bitCount <= 8 ? (1u << entry.bitCount) * sizeof(RGBQUAD) : 0;
        DWORD colourBytes = (size * entry.bitCount + 31) / 32 * 4 * size;
        DWORD maskBytes = (size + 31) / 32 * 4 * size;
        ASSERT_EQ(header.biSize + paletteBytes + colourBytes + maskBytes, image.size);
        const BYTE* mask = image.data + image.size - maskBytes;
        EXPECT_TRUE(MaskBit(mask, size, 0, 0)) << "top-left corner should be transparent";
        EXPECT_TRUE(MaskBit(mask, size, size - 1, size - 1)) << "bottom-right corner should be transparent";
        EXPECT_FALSE(MaskBit(mask, size, size / 2, size / 2)) << "centre should be opaque";

        HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image.data), image.size, TRUE, 0x00030000,
                                              size, size, LR_DEFAULTCOLOR);
        EXPECT_NE(nullptr, icon);
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
}

TEST(ApplicationIcon, LoaderPicksTheImageOfEachSize)
{
    resourcetest::ResourceBytes group =
        resourcetest::FindModuleResource(RT_GROUP_ICON, MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(nullptr, group.data);
    std::vector<GroupIconEntry> entries = LoadGroupEntries();
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        int id = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group.data), TRUE, size, size, LR_DEFAULTCOLOR);
        auto chosen = std::find_if(entries.begin(), entries.end(),
                                   [id](const GroupIconEntry& entry) { return entry.id == id; });
        ASSERT_NE(entries.end(), chosen) << "id " << id;
        EXPECT_EQ(size, chosen->width);
    }
    SetLastError(0xdeadbeef);
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    EXPECT_NE(nullptr, icon) << "error " << GetLastError();
}

} // namespace
