#include "tests/resources/DialogTemplate.h"

#include <cstring>

namespace resourcetest {

namespace {

// Reads little-endian fields in order and remembers when a read ran past the end, so that a
// truncated template yields no result instead of reading outside the resource.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, DWORD size) : m_data(data), m_size(size) {}

    bool Ok() const { return m_ok; }

    template <typename T>
    T Read()
    {
        T value{};
        if (m_ok && sizeof(T) <= m_size - m_offset) {
            std::memcpy(&value, m_data + m_offset, sizeof(T));
            m_offset += sizeof(T);
        } else {
            m_ok = false;
        }
        return value;
    }

    std::wstring ReadString()
    {
        std::wstring text;
        for (WCHAR c = Read<WCHAR>(); m_ok && c != 0; c = Read<WCHAR>()) {
            text += c;
        }
        return text;
    }

    NameOrOrdinal ReadNameOrOrdinal()
    {
        WORD first = Read<WORD>();
        if (first == 0xFFFF) {
            return NameOrOrdinal::Ordinal(Read<WORD>());
        }
        if (first == 0) {
            return {};
        }
        return NameOrOrdinal::Name(static_cast<WCHAR>(first) + ReadString());
    }

    void Skip(DWORD count)
    {
        if (count <= m_size - m_offset) {
            m_offset += count;
        } else {
            m_ok = false;
        }
    }

    // Items start on a 32-bit boundary from the start of the template.
    void AlignToDword() { Skip(static_cast<DWORD>((4 - m_offset % 4) % 4)); }

private:
    const BYTE* m_data;
    DWORD m_size;
    DWORD m_offset = 0;
    bool m_ok = true;
};

DialogItem ReadItem(TemplateReader& reader)
{
    DialogItem item;
    reader.AlignToDword();
    item.helpId = reader.Read<DWORD>();
    item.exStyle = reader.Read<DWORD>();
    item.style = reader.Read<DWORD>();
    item.x = reader.Read<short>();
    item.y = reader.Read<short>();
    item.cx = reader.Read<short>();
    item.cy = reader.Read<short>();
    item.id = reader.Read<LONG>();
    item.windowClass = reader.ReadNameOrOrdinal();
    item.title = reader.ReadNameOrOrdinal();
    item.extraCount = reader.Read<WORD>();
    reader.Skip(item.extraCount);
    return item;
}

} // namespace

bool operator==(const NameOrOrdinal& left, const NameOrOrdinal& right)
{
    return left.isOrdinal == right.isOrdinal && left.ordinal == right.ordinal && left.name == right.name;
}

std::ostream& operator<<(std::ostream& out, const NameOrOrdinal& value)
{
    if (value.isOrdinal) {
        return out << "ordinal " << value.ordinal;
    }
    out << "name \"";
    for (wchar_t c : value.name) {
        if (c >= 0x20 && c < 0x7F) {
            out << static_cast<char>(c);
        } else {
            out << "\\u" << std::hex << static_cast<unsigned>(c) << std::dec;
        }
    }
    return out << '"';
}

std::optional<DialogTemplate> ParseDialogTemplateEx(const BYTE* data, DWORD size)
{
    if (data == nullptr) {
        return std::nullopt;
    }
    TemplateReader reader(data, size);
    WORD version = reader.Read<WORD>();
    WORD signature = reader.Read<WORD>();
    if (version != 1 || signature != 0xFFFF) {
        return std::nullopt;
    }
    DialogTemplate dialog;
    dialog.helpId = reader.Read<DWORD>();
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
    WORD itemCount = reader.Read<WORD>();
    dialog.x = reader.Read<short>();
    dialog.y = reader.Read<short>();
    dialog.cx = reader.Read<short>();
    dialog.cy = reader.Read<short>();
    dialog.menu = reader.ReadNameOrOrdinal();
    dialog.windowClass = reader.ReadNameOrOrdinal();
    dialog.title = reader.ReadString();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = reader.Read<WORD>();
        dialog.weight = reader.Read<WORD>();
        dialog.italic = reader.Read<BYTE>();
        dialog.charset = reader.Read<BYTE>();
        dialog.typeface = reader.ReadString();
    }
    for (WORD i = 0; i < itemCount && reader.Ok(); ++i) {
        dialog.items.push_back(ReadItem(reader));
    }
    if (!reader.Ok()) {
        return std::nullopt;
    }
    return dialog;
}

} // namespace resourcetest
