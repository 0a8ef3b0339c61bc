// DbfTableReader: the field descriptors and records of a dBASE table held in memory, for the table
// preview. It stands on no window service, so a fuzzer can drive it alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct DbfField {
    std::string name; // narrow text as stored, without its padding
    char type = 0;
    uint8_t length = 0;
    uint8_t decimals = 0; // digits after the point of a numeric field
};

class DbfTableReader {
public:
    enum Result { OK, TOO_SHORT, TOO_MANY_FIELDS, BAD_HEADER };
    static const int kMaxFields = 200;
    // A preview shows the first rows of a table, as the Access preview does; a table of millions of
    // records would otherwise hold the user-interface thread for minutes.
    static const int kMaxRows = 10000;

    // Receives the table as it is read.
    class Sink {
    public:
        virtual ~Sink() = default;
        virtual void OnField(const DbfField& field) = 0;
        // Record number (from 1) and one cell per field: the field's bytes up to the first zero
        // byte, as far as the file holds them.
        virtual void OnRecord(int number, const std::vector<std::string_view>& cells) = 0;
    };

    // Reads the table in data[0..size). Fields are reported before any record.
    int Read(const uint8_t* data, size_t size, Sink& sink);
    const std::vector<DbfField>& Fields() const { return m_fields; }
    // Where the records begin; found from the header when it agrees with the descriptors.
    size_t FirstRecord() const { return m_firstRecord; }

private:
    std::vector<DbfField> m_fields;
    size_t m_firstRecord = 0;
};
