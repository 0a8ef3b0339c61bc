// Raw.dat: the generated file against the issue's type list, crafted records, and the order a scan receives.
#include "engine/signature_list.h"
#include "engine/signature_match.h"
#include "engine/tracing_fixtures.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace {

std::vector<uint8_t> Record(char category, const std::string& extension, const std::string& type,
                            const std::vector<uint8_t>& signature, size_t typePadding = 0)
{
    std::string typeText = type + std::string(typePadding, 'x');
    std::string lengthText = std::to_string(signature.size());
    std::vector<uint8_t> out = {0, 0, static_cast<uint8_t>(category)};
    auto field = [&](const uint8_t* p, size_t n) {
        out.push_back(static_cast<uint8_t>(n & 0xFF));
        out.push_back(static_cast<uint8_t>(n >> 8));
        out.insert(out.end(), p, p + n);
    };
    field(reinterpret_cast<const uint8_t*>(extension.data()), extension.size());
    field(reinterpret_cast<const uint8_t*>(typeText.data()), typeText.size());
    field(reinterpret_cast<const uint8_t*>(lengthText.data()), lengthText.size());
    field(signature.data(), signature.size());
    field(nullptr, 0);
    return out;
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::vector<std::string> Extensions(const std::vector<const SignatureDefinition*>& list)
{
    std::vector<std::string> out;
    for (const auto* record : list)
        out.push_back(record->extension + "#" + std::to_string(record->number));
    return out;
}

TEST(RawDatFile, GeneratedFileCoversEveryTracedTypeUnderItsCategory)
{
    auto data = tracingtest::ReadWholeFile(tracingtest::MakeRawDat(testsupport::ScratchDir()));
    ASSERT_FALSE(data.empty());
    std::vector<SignatureDefinition> records;
    SignatureFileReport report = ParseSignatureFile(data.data(), data.size(), records);
    EXPECT_EQ(report.rejected, 0u);
    EXPECT_FALSE(report.truncated);

    const std::map<std::string, char> expected = {
        {".zip", '0'}, {".rar", '0'}, {".7z", '0'}, {".gz", '0'}, {".bz2", '0'}, {".cab", '0'},
        {".doc", '1'}, {".xls", '1'}, {".ppt", '1'}, {".pub", '1'}, {".pdf", '1'}, {".rtf", '1'}, {".chm", '1'},
        {".mdb", '2'}, {".accdb", '2'}, {".sqlite", '2'}, {".pst", '3'}, {".dbx", '3'},
        {".jpg", '4'}, {".png", '4'}, {".gif", '4'}, {".tif", '4'}, {".psd", '4'}, {".bmp", '4'},
        {".mp3", '5'}, {".mid", '5'}, {".wma", '5'}, {".flac", '5'}, {".ogg", '5'}, {".wav", '5'},
        {".avi", '6'}, {".mpg", '6'}, {".wmv", '6'}, {".rm", '6'}, {".swf", '6'}, {".flv", '6'}, {".mkv", '6'},
        {".htm", '7'}, {".xml", '7'}, {".dwg", '8'}, {".dxf", '8'}, {".class", '9'}, {".exe", '9'}};
    for (const auto& [extension, category] : expected) {
        auto it = std::find_if(records.begin(), records.end(),
                               [&](const SignatureDefinition& r) { return r.extension == extension; });
        ASSERT_NE(it, records.end()) << extension;
        EXPECT_EQ(it->category, category) << extension;
    }

    // Every definition is one the scan can use: its length text agrees with its bytes and fits the comparison.
    SignatureMatcher matcher;
    for (const auto& record : records) {
        EXPECT_EQ(SignatureLengthValue(record), record.signature.size()) << record.extension;
        std::string hex = BytesToHexText(record.signature.data(), record.signature.size(), true);
        EXPECT_TRUE(matcher.Add(SignatureLengthValue(record), hex.c_str(), 0)) << record.extension;
        EXPECT_FALSE(record.typeText.empty()) << record.extension;
    }

    // The compound-file types share one signature, and ".doc" must be tried first so its AppName split runs.
    std::vector<std::string> all;
    for (const auto& record : records)
        all.push_back(record.extension);
    auto ordered = SignaturesInTreeOrder(records, all);
    auto firstCompound = std::find_if(ordered.begin(), ordered.end(), [](const SignatureDefinition* r) {
        return r->signature.size() == 8 && r->signature[0] == 0xD0 && r->signature[1] == 0xCF;
    });
    ASSERT_NE(firstCompound, ordered.end());
    EXPECT_EQ((*firstCompound)->extension, ".doc");
}

TEST(RawDatFile, RecordsAreReadInFileOrderWithTheirFields)
{
    auto data = Join({Record('4', ".jpg", "JPEG", {0xFF, 0xD8, 0xFF}), Record('X', ".zz", "odd", {0x01})});
    std::vector<SignatureDefinition> records;
    SignatureFileReport report = ParseSignatureFile(data.data(), data.size(), records);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(report.rejected, 0u);
    EXPECT_FALSE(report.truncated);
    EXPECT_EQ(records[0].number, 0u);
    EXPECT_EQ(records[0].category, '4');
    EXPECT_EQ(records[0].extension, ".jpg");
    EXPECT_EQ(records[0].typeText, "JPEG");
    EXPECT_EQ(records[0].lengthText, "3");
    EXPECT_EQ(BytesToHexText(records[0].signature.data(), records[0].signature.size()), "ffd8ff");
    EXPECT_EQ(records[1].number, 1u);
    EXPECT_EQ(records[1].category, 'X');
}

TEST(RawDatFile, OverlongFieldRejectsItsRecordOnly)
{
    // 255 bytes is the most a field may hold; at 256 the record is skipped but the next one is still found.
    auto data = Join({Record('1', ".a", "t", {1}, 255 - 1), Record('1', ".b", "t", {2}, 256 - 1),
                      Record('1', ".c", "t", {3})});
    std::vector<SignatureDefinition> records;
    SignatureFileReport report = ParseSignatureFile(data.data(), data.size(), records);
    EXPECT_EQ(report.rejected, 1u);
    EXPECT_FALSE(report.truncated);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].extension, ".a");
    EXPECT_EQ(records[0].typeText.size(), 255u);
    EXPECT_EQ(records[1].extension, ".c");
    EXPECT_EQ(records[1].number, 2u);
}

TEST(RawDatFile, RecordCutAnywhereIsDroppedAndEndsTheReading)
{
    auto first = Record('0', ".zip", "ZIP", {0x50, 0x4B, 0x03, 0x04});
    auto second = Record('4', ".png", "PNG", {0x89, 0x50});
    auto data = Join({first, second});
    for (size_t cut = first.size() + 1; cut < data.size(); ++cut) {
        std::vector<SignatureDefinition> records;
        SignatureFileReport report = ParseSignatureFile(data.data(), cut, records);
        EXPECT_TRUE(report.truncated) << cut;
        ASSERT_EQ(records.size(), 1u) << cut;
        EXPECT_EQ(records[0].extension, ".zip");
    }
}

TEST(RawDatFile, TreeOrderGroupsByCategoryAndListsATypesRecordsNewestFirst)
{
    auto data = Join({Record('4', ".jpg", "JPEG", {0xFF}), Record('1', ".doc", "Word", {0xD0}),
                      Record('4', ".gif", "GIF", {0x47, 0x49}), Record('1', ".xls", "Excel", {0xD0}),
                      Record('4', ".gif", "GIF", {0x47, 0x48}), Record('1', "", "nameless", {0x00})});
    std::vector<SignatureDefinition> records;
    ParseSignatureFile(data.data(), data.size(), records);
    ASSERT_EQ(records.size(), 6u);

    EXPECT_EQ(Extensions(SignaturesInTreeOrder(records, {".xls", ".gif", ".jpg", ".doc"})),
              (std::vector<std::string>{".jpg#0", ".gif#4", ".gif#2", ".doc#1", ".xls#3"}));
    EXPECT_EQ(Extensions(SignaturesInTreeOrder(records, {".xls", ""})), (std::vector<std::string>{".xls#3"}));
}

TEST(RawDatFile, NumbersAreReadFromLeadingDigits)
{
    const std::pair<const char*, uint32_t> cases[] = {
        {"3", 3}, {"15", 15}, {"12ab", 12}, {"", 0}, {"x7", 0}, {"4294967295", 4294967295u}, {"99999999999", 4294967295u}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(LeadingDecimalValue(text), value) << text;

    SignatureDefinition record;
    record.fifth = {0x12, 0x3A};
    EXPECT_EQ(SignatureFifthValue(record), 123u);  // "123A" read as a decimal number
}

} // namespace
