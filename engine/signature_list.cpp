// Parsing of Raw.dat signature definitions and the order in which the file-type tree hands them to a scan.
#include "engine/signature_list.h"

#include <algorithm>
#include <limits>

namespace {

class RecordReader {
public:
    RecordReader(const uint8_t* data, size_t size, size_t pos) : data_(data), size_(size), pos_(pos) {}

    bool U16(uint16_t& value)
    {
        if (size_ - pos_ < 2)
            return false;
        value = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return true;
    }

    bool Byte(uint8_t& value)
    {
        if (pos_ >= size_)
            return false;
        value = data_[pos_++];
        return true;
    }

    // A length-prefixed field. An overlong field is stepped over (so the next record can still be found) and
    // flagged instead of being kept.
    template <typename Container>
    bool Field(Container& out, bool& overlong)
    {
        uint16_t length = 0;
        if (!U16(length) || size_ - pos_ < length)
            return false;
        if (length > kMaxSignatureField)
            overlong = true;
        else
            out.assign(data_ + pos_, data_ + pos_ + length);
        pos_ += length;
        return true;
    }

    size_t Position() const { return pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_;
};

} // namespace

SignatureFileReport ParseSignatureFile(const uint8_t* data, size_t size, std::vector<SignatureDefinition>& records)
{
    SignatureFileReport report;
    size_t pos = 0;
    uint32_t number = 0;
    while (pos < size) {
        RecordReader reader(data, size, pos);
        SignatureDefinition record;
        uint16_t unused = 0;
        uint8_t category = 0;
        bool overlong = false;
        bool complete = reader.U16(unused) && reader.Byte(category) && reader.Field(record.extension, overlong) &&
                        reader.Field(record.typeText, overlong) && reader.Field(record.lengthText, overlong) &&
                        reader.Field(record.signature, overlong) && reader.Field(record.fifth, overlong);
        if (!complete) {
            report.truncated = true;
            break;
        }
        pos = reader.Position();
        if (overlong) {
            ++report.rejected;
        } else {
            record.number = number;
            record.category = static_cast<char>(category);
            records.push_back(std::move(record));
        }
        ++number;
    }
    return report;
}

uint32_t LeadingDecimalValue(const std::string& text)
{
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > std::numeric_limits<uint32_t>::max())
            return std::numeric_limits<uint32_t>::max();
    }
    return static_cast<uint32_t>(value);
}

uint32_t SignatureLengthValue(const SignatureDefinition& record)
{
    return LeadingDecimalValue(record.lengthText);
}

uint32_t SignatureFifthValue(const SignatureDefinition& record)
{
    return LeadingDecimalValue(BytesToHexText(record.fifth.data(), record.fifth.size(), true));
}

std::string BytesToHexText(const uint8_t* bytes, size_t n, bool upper)
{
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    text.reserve(n * 2);
    for (size_t i = 0; i < n; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 0xF]);
    }
    return text;
}

std::vector<const SignatureDefinition*> SignaturesInTreeOrder(const std::vector<SignatureDefinition>& records,
                                                              const std::vector<std::string>& chosenExtensions)
{
    struct Category {
        char code;
        std::vector<std::string> extensions;
    };
    std::vector<Category> tree;
    for (const auto& record : records) {
        if (record.extension.empty())
            continue;
        auto category = std::find_if(tree.begin(), tree.end(), [&](const Category& c) { return c.code == record.category; });
        if (category == tree.end())
            category = tree.insert(tree.end(), Category{record.category, {}});
        if (std::find(category->extensions.begin(), category->extensions.end(), record.extension) ==
            category->extensions.end())
            category->extensions.push_back(record.extension);
    }

    std::vector<const SignatureDefinition*> ordered;
    for (const auto& category : tree) {
        for (const auto& extension : category.extensions) {
            if (std::find(chosenExtensions.begin(), chosenExtensions.end(), extension) == chosenExtensions.end())
                continue;
            for (auto it = records.rbegin(); it != records.rend(); ++it)
                if (it->extension == extension)
                    ordered.push_back(&*it);
        }
    }
    return ordered;
}
