// The list view's row texts: an item's own text and its sub-items' texts and images in one block.
#include "win32/controls/listview_internal.h"

#include <algorithm>
#include <cstring>

namespace controls::lv {

// What one slot of a block being written takes from somewhere.
struct RowTexts::Parts {
    std::u16string_view text;
    bool callback = false;
    int image = 0;
};

namespace {

constexpr uint32_t kCountMask = 0xFFFF;
constexpr uint32_t kHasImages = 1u << 16;
constexpr uint32_t kCallback = 1u << 31;
constexpr uint32_t kEndMask = ~kCallback;

size_t Slots(const uint32_t* block) { return block ? block[0] & kCountMask : 0; }
bool HasImages(const uint32_t* block) { return block && (block[0] & kHasImages); }
const char16_t* Chars(const uint32_t* block)
{
    return reinterpret_cast<const char16_t*>(block + 1 + Slots(block) * (HasImages(block) ? 2 : 1));
}

// A new block of `slots` slots, each filled from `source(i)`; null when it cannot be allocated.
template <class Source>
uint32_t* Build(size_t slots, bool images, Source source)
{
    size_t chars = 0;
    for (size_t i = 0; i < slots; ++i)
        chars += source(i).text.size();
    if (slots > kCountMask || chars > kEndMask)
        return nullptr;
    const size_t words = 1 + slots * (images ? 2 : 1);
    auto* block = static_cast<uint32_t*>(std::malloc(words * sizeof(uint32_t) + chars * sizeof(char16_t)));
    if (!block)
        return nullptr;
    block[0] = uint32_t(slots) | (images ? kHasImages : 0);
    auto* out = reinterpret_cast<char16_t*>(block + words);
    uint32_t end = 0;
    for (size_t i = 0; i < slots; ++i) {
        const auto part = source(i);
        if (!part.text.empty())
            std::memcpy(out + end, part.text.data(), part.text.size() * sizeof(char16_t));
        end += uint32_t(part.text.size());
        block[1 + i] = end | (part.callback ? kCallback : 0);
        if (images)
            block[1 + slots + i] = uint32_t(part.image);
    }
    return block;
}

} // namespace

std::u16string_view RowTexts::Text(int slot) const
{
    if (slot < 0 || size_t(slot) >= controls::lv::Slots(block_))
        return {};
    const uint32_t begin = slot == 0 ? 0 : block_[slot] & kEndMask;
    const uint32_t end = block_[1 + slot] & kEndMask;
    return std::u16string_view(Chars(block_) + begin, end - begin);
}

bool RowTexts::Callback(int slot) const
{
    return slot >= 0 && size_t(slot) < controls::lv::Slots(block_) && (block_[1 + slot] & kCallback);
}

int RowTexts::Image(int slot) const
{
    if (!HasImages(block_) || slot < 0 || size_t(slot) >= controls::lv::Slots(block_))
        return 0;
    return int(block_[1 + controls::lv::Slots(block_) + slot]);
}

bool RowTexts::SetText(int slot, std::u16string_view text, bool callback)
{
    if (slot < 0)
        return false;
    const size_t slots = std::max(controls::lv::Slots(block_), size_t(slot) + 1);
    uint32_t* block = Build(slots, HasImages(block_), [&](size_t i) {
        if (i == size_t(slot))
            return Parts{text, callback, Image(int(i))};
        return Parts{Text(int(i)), Callback(int(i)), Image(int(i))};
    });
    if (!block)
        return false;
    std::free(block_);
    block_ = block;
    return true;
}

bool RowTexts::SetImage(int slot, int image)
{
    if (slot < 0)
        return false;
    const size_t slots = std::max(controls::lv::Slots(block_), size_t(slot) + 1);
    if (image == 0 && !HasImages(block_) && slots == controls::lv::Slots(block_))
        return true;
    uint32_t* block = Build(slots, true, [&](size_t i) {
        return Parts{Text(int(i)), Callback(int(i)), i == size_t(slot) ? image : Image(int(i))};
    });
    if (!block)
        return false;
    std::free(block_);
    block_ = block;
    return true;
}

void RowTexts::Erase(int slot)
{
    const size_t slots = controls::lv::Slots(block_);
    if (slot < 0 || size_t(slot) >= slots)
        return;
    uint32_t* block = nullptr;
    if (slots > 1) {
        block = Build(slots - 1, HasImages(block_), [&](size_t i) {
            const int from = int(i) + (i >= size_t(slot) ? 1 : 0);
            return Parts{Text(from), Callback(from), Image(from)};
        });
        if (!block)
            return;
    }
    std::free(block_);
    block_ = block;
}

} // namespace controls::lv
