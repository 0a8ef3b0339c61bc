// The slide pictures: poppler draws each page of the converted presentation, scaled to the thumbnail cell.
#include "preview/slide_pictures.h"

#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

void Quiet(const std::string&, void*) {}

} // namespace

int ExportSlidePictures(const CString& pdf, const CString& folder, int width, int height)
{
    std::string source, target;
    if (!dovemark::MapPath(pdf, source) || !dovemark::MapPath(folder + u"\\", target) || width <= 0 || height <= 0)
        return -1;
    if (target.empty() || target.back() != '/')
        target += '/';
    poppler::set_debug_error_function(Quiet, nullptr);
    std::unique_ptr<poppler::document> document(poppler::document::load_from_file(source));
    if (!document || document->is_locked() || document->pages() <= 0)
        return -1;
    const int count = std::min(document->pages(), kMaxSlidePictures);
    poppler::page_renderer renderer;
    renderer.set_render_hints(poppler::page_renderer::antialiasing | poppler::page_renderer::text_antialiasing);
    renderer.set_image_format(poppler::image::format_argb32);
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<poppler::page> page(document->create_page(i));
        if (!page)
            return -1;
        const poppler::rectf box = page->page_rect(poppler::media_box);
        if (!(box.width() > 0 && box.height() > 0))
            return -1;
        // Points are 1/72 inch: the resolution that makes the page fit the cell.
        const double dpi = std::min(width * 72.0 / box.width(), height * 72.0 / box.height());
        poppler::image image = renderer.render_page(page.get(), dpi, dpi);
        char name[32];
        std::snprintf(name, sizeof name, "slide%03d.png", i + 1);
        if (!image.is_valid() || !image.save(target + name, "png"))
            return -1;
    }
    return count;
}
