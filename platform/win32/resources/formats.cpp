// Bounds-checked readers of dialog, menu, accelerator and tool bar resources.
#include "win32/resources/formats.h"

namespace res {

namespace {

class Reader {
public:
    Reader(const BYTE* data, size_t size) : base_(data), size_(size) {}
    bool ok = true;

    WORD U16()
    {
        if (!Need(2))
            return 0;
        WORD v = WORD(base_[pos_] | base_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    DWORD U32()
    {
        DWORD lo = U16();
        return lo | DWORD(U16()) << 16;
    }
    BYTE U8()
    {
        if (!Need(1))
            return 0;
        return base_[pos_++];
    }
    std::u16string Str()
    {
        std::u16string s;
        while (ok) {
            WORD c = U16();
            if (!c)
                break;
            s += char16_t(c);
        }
        return s;
    }
    NameOrId NameOrOrdinal()
    {
        NameOrId n;
        if (!Need(2))
            return n;
        WORD first = WORD(base_[pos_] | base_[pos_ + 1] << 8);
        if (first == 0xFFFF) {
            U16();
            n.ordinal = U16();
        } else {
            n.name = Str();
        }
        return n;
    }
    void AlignDword() { pos_ = (pos_ + 3) & ~size_t(3); }
    std::vector<BYTE> Bytes(size_t n)
    {
        if (!Need(n))
            return {};
        std::vector<BYTE> v(base_ + pos_, base_ + pos_ + n);
        pos_ += n;
        return v;
    }
    bool AtEnd() const { return pos_ >= size_; }

private:
    bool Need(size_t n)
    {
        if (!ok || n > size_ || pos_ > size_ - n) {
            ok = false;
            return false;
        }
        return true;
    }
    const BYTE* base_;
    size_t size_;
    size_t pos_ = 0;
};

constexpr DWORD kSetFont = 0x40; // DS_SETFONT (DS_SHELLFONT includes it)

bool ParseMenuLevel(Reader& r, std::vector<MenuItem>& out, int depth)
{
    if (depth > 32)
        return false;
    while (r.ok) {
        MenuItem item;
        item.flags = r.U16();
        item.popup = item.flags & 0x10;
        if (!item.popup)
            item.id = r.U16();
        item.text = r.Str();
        bool last = item.flags & 0x80;
        item.flags &= ~0x80u;
        if (item.popup && !ParseMenuLevel(r, item.items, depth + 1))
            return false;
        out.push_back(std::move(item));
        if (last)
            return r.ok;
    }
    return false;
}

bool ParseMenuExLevel(Reader& r, std::vector<MenuItem>& out, int depth)
{
    if (depth > 32)
        return false;
    while (r.ok) {
        MenuItem item;
        item.type = r.U32();
        item.state = r.U32();
        item.id = r.U32();
        WORD res = r.U16();
        item.text = r.Str();
        r.AlignDword();
        item.popup = res & 0x01;
        if (item.popup) {
            r.U32(); // help id
            if (!ParseMenuExLevel(r, item.items, depth + 1))
                return false;
        }
        out.push_back(std::move(item));
        if (res & 0x80)
            return r.ok;
    }
    return false;
}

} // namespace

bool ParseDialog(const BYTE* data, size_t size, Dialog& d)
{
    Reader r(data, size);
    d = Dialog{};
    WORD first = r.U16(), second = r.U16();
    WORD count;
    if (first == 1 && second == 0xFFFF) {
        d.extended = true;
        d.helpId = r.U32();
        d.exStyle = r.U32();
        d.style = r.U32();
    } else {
        d.style = DWORD(first) | DWORD(second) << 16;
        d.exStyle = r.U32();
    }
    count = r.U16();
    d.x = short(r.U16());
    d.y = short(r.U16());
    d.cx = short(r.U16());
    d.cy = short(r.U16());
    d.menu = r.NameOrOrdinal();
    d.cls = r.NameOrOrdinal();
    d.title = r.Str();
    if (d.style & kSetFont) {
        d.hasFont = true;
        d.pointSize = r.U16();
        if (d.extended) {
            d.weight = r.U16();
            d.italic = r.U8();
            d.charset = r.U8();
        }
        d.font = r.Str();
    }
    for (WORD i = 0; i < count && r.ok; ++i) {
        r.AlignDword();
        DialogItem it;
        if (d.extended) {
            it.helpId = r.U32();
            it.exStyle = r.U32();
            it.style = r.U32();
        } else {
            it.style = r.U32();
            it.exStyle = r.U32();
        }
        it.x = short(r.U16());
        it.y = short(r.U16());
        it.cx = short(r.U16());
        it.cy = short(r.U16());
        it.id = d.extended ? r.U32() : r.U16();
        it.cls = r.NameOrOrdinal();
        it.title = r.NameOrOrdinal();
        WORD extra = r.U16();
        // The classic layout counts the size word itself in its extra data.
        size_t n = d.extended ? extra : (extra >= 2 ? extra - 2 : extra);
        it.creationData = r.Bytes(n);
        d.items.push_back(std::move(it));
    }
    return r.ok;
}

bool ParseMenu(const BYTE* data, size_t size, std::vector<MenuItem>& out)
{
    Reader r(data, size);
    out.clear();
    WORD version = r.U16(), offset = r.U16();
    if (!r.ok)
        return false;
    if (version > 1)
        return false;
    r.Bytes(offset);
    return version == 0 ? ParseMenuLevel(r, out, 0) : ParseMenuExLevel(r, out, 0);
}

bool ParseAccelerators(const BYTE* data, size_t size, std::vector<Accel>& out)
{
    Reader r(data, size);
    out.clear();
    while (!r.AtEnd()) {
        WORD flags = r.U16(), key = r.U16(), cmd = r.U16();
        r.U16();
        if (!r.ok)
            return false;
        out.push_back(Accel{BYTE(flags & 0x7F), key, cmd});
        if (flags & 0x80)
            return true;
    }
    return !out.empty();
}

bool ParseToolBar(const BYTE* data, size_t size, ToolBar& out)
{
    Reader r(data, size);
    out = ToolBar{};
    out.version = r.U16();
    out.width = r.U16();
    out.height = r.U16();
    WORD count = r.U16();
    for (WORD i = 0; i < count && r.ok; ++i)
        out.items.push_back(r.U16());
    return r.ok;
}

} // namespace res
