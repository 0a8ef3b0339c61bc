// Feeds arbitrary bytes to the dBASE table reader as a whole file, touching every cell it reports.
#include "preview/dbf_table.h"

namespace {

class TouchingSink : public DbfTableReader::Sink {
public:
    void OnField(const DbfField& f) override { sum += f.length + f.name.size(); }
    void OnRecord(int number, const std::vector<std::string_view>& cells) override
    {
        for (std::string_view c : cells)
            for (char ch : c)
                sum += (unsigned char)ch;
    }
    size_t sum = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TouchingSink sink;
    DbfTableReader reader;
    reader.Read(data, size, sink);
    return 0;
}
