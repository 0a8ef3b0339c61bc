// The signature definitions of Raw.dat: parsing a file image into records and ordering them as a scan receives them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One record of Raw.dat. Texts stay in the file's 8-bit code page (936); the dialog converts them when it shows them.
struct SignatureDefinition {
    uint32_t number = 0;           // position in the file, 0 for the first record
    char category = 0;             // '0' to '9' for the known categories
    std::string extension;         // with its leading point, such as ".doc"; may be empty
    std::string typeText;
    std::string lengthText;        // the signature length as decimal digits
    std::vector<uint8_t> signature;
    std::vector<uint8_t> fifth;
};

// Longest text or byte field a record may carry; the dialog's fields hold 255 bytes and a terminator.
constexpr size_t kMaxSignatureField = 255;

struct SignatureFileReport {
    size_t rejected = 0;     // records skipped because a field was longer than kMaxSignatureField
    bool truncated = false;  // the last record ran past the end of the data and was dropped
};

// Reads every record of a Raw.dat image in file order into `records` (appended). A record with an overlong field is
// skipped whole, since its lengths still say where the next record starts; a record cut short by the end of the
// data ends the reading.
SignatureFileReport ParseSignatureFile(const uint8_t* data, size_t size, std::vector<SignatureDefinition>& records);

// Leading decimal digits of a text as a number, 0 when there are none; saturates rather than wrapping.
uint32_t LeadingDecimalValue(const std::string& text);

// The signature length a scan node carries for this record (its length text read as a number).
uint32_t SignatureLengthValue(const SignatureDefinition& record);

// The fifth value a scan node carries: the fifth field's upper-case hexadecimal text read as a decimal number.
uint32_t SignatureFifthValue(const SignatureDefinition& record);

// 2n hexadecimal characters for n bytes, two per byte, high digit first; lower case unless `upper`.
std::string BytesToHexText(const uint8_t* bytes, size_t n, bool upper = false);

// The records a scan receives for the chosen extensions, in the file-type tree's order: categories by their first
// appearance in the file, types by their first appearance within their category, and the records of one type in
// reverse file order (the dialog keeps its records newest first). Records with an empty extension are never chosen.
std::vector<const SignatureDefinition*> SignaturesInTreeOrder(const std::vector<SignatureDefinition>& records,
                                                              const std::vector<std::string>& chosenExtensions);
