// libFuzzer target: a page through preparation, element building and layout, with a measuring owner.
#include <cstddef>
#include <cstdint>

#include "preview/html/html_document.h"

namespace {

class FuzzOwner : public IHtmlOwner {
public:
    void MeasureText(HtmlView, int size, bool, bool, HtmlView text, int& cx, int& cy) override
    {
        cx = int(text.size()) * (size / 2 + 1);
        cy = size;
    }
    int AddImage(const HtmlText&, int) override { return m_images++; }
    int AddForm(const HtmlText&, const HtmlText&) override { return m_forms++; }
    int m_images = 0, m_forms = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses the window width; the rest is the page as single-byte text.
    const int width = data[0] * 8;
    HtmlText page(data + 1, data + size);
    FuzzOwner owner;
    HtmlDocument document(&owner);
    document.LoadHtml(page, u"Arial", 15, 0, u"file:///tmp/page.html");
    auto [w, h] = document.Layout(width);
    if (w < 0 || h < 0)
        __builtin_trap();
    return 0;
}
