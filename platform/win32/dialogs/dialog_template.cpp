// In-memory dialog templates for the layer's own common dialogs, and the dialogs' error state.
#include "win32/dialogs.h"
#include "win32/dialogs/dialog_template.h"

namespace dialogs {

namespace {
thread_local DWORD t_error = 0;
}

TemplateBuilder::TemplateBuilder(const std::u16string& caption, DWORD style, short cx, short cy)
{
    Dword(style | DS_SETFONT);
    Dword(0);
    Word(0); // item count, patched as items come
    Word(0);
    Word(0);
    Word(WORD(cx));
    Word(WORD(cy));
    Word(0); // no menu
    Word(0); // the dialog class
    Text(caption);
    Word(9);
    Text(u"\u5b8b\u4f53");
}

void TemplateBuilder::Text(const std::u16string& s)
{
    for (char16_t c : s)
        Word(c);
    Word(0);
}

void TemplateBuilder::Add(const char16_t* cls, const std::u16string& text, int id, DWORD style, short x, short y,
                          short cx, short cy, DWORD exStyle)
{
    Align();
    Dword(style | WS_CHILD);
    Dword(exStyle);
    Word(WORD(x));
    Word(WORD(y));
    Word(WORD(cx));
    Word(WORD(cy));
    Word(WORD(id));
    Text(cls);
    Text(text);
    Word(0); // no creation data
    data_[4] = ++count_;
}

LPCDLGTEMPLATEW TemplateBuilder::Get()
{
    return reinterpret_cast<LPCDLGTEMPLATEW>(data_.data());
}

void SetExtendedError(DWORD error)
{
    t_error = error;
}

bool HasClass(const char16_t* name)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    return GetClassInfoExW(nullptr, name, &wc) != 0;
}

} // namespace dialogs

DWORD CommDlgExtendedError()
{
    return dialogs::t_error;
}
