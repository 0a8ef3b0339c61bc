// The zip format's inner reader: end record, central directory, local headers and entry streams.
#include "preview/archive/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

const uint32_t kEndSignature = 0x06054b50;
const uint32_t kCentralSignature = 0x02014b50;
const uint32_t kLocalSignature = 0x04034b50;
const size_t kEndRecordSize = 22;
const size_t kCentralHeaderSize = 46;
const size_t kLocalHeaderSize = 30;
// The end record lies within the last 65,535 bytes: a comment can be no longer than that.
const int64_t kEndSearchSpan = 65535;
const size_t kInputBufferSize = 16384;

uint32_t U16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

} // namespace

struct ZipItemStream {
    uint8_t input[kInputBufferSize];
    size_t inputCount = 0, inputPosition = 0;
    z_stream zs{};
    bool inflateReady = false;
    uint64_t position = 0; // of the next compressed bytes in the source
    uint64_t compressedLeft = 0, uncompressedLeft = 0;
    uint32_t crc = 0, expectedCrc = 0;
    uint32_t method = 0;
};

// ---- Memory source ------------------------------------------------------------------------------

int ZipMemorySource::Seek(int64_t offset, int origin)
{
    int64_t base = origin == 0 ? 0 : origin == 1 ? int64_t(m_position) : int64_t(m_length);
    int64_t target = base + offset;
    if (target < 0)
        return -1;
    m_position = size_t(target);
    return 0;
}

int64_t ZipMemorySource::Read(void* buffer, size_t n)
{
    if (m_position >= m_length)
        return 0;
    size_t count = std::min(n, m_length - m_position);
    std::memcpy(buffer, m_data + m_position, count);
    m_position += count;
    return int64_t(count);
}

// ---- Archive ------------------------------------------------------------------------------------

ZipArchive::~ZipArchive()
{
    CloseEntry();
}

// Reads n bytes at a position of the source; bytes past the end of the data read as zeros, as the
// format's readers count them.
int ZipArchive::ReadAt(uint64_t position, void* buffer, size_t n, int64_t* got)
{
    std::memset(buffer, 0, n);
    if (m_source->Seek(int64_t(position), 0) != 0)
        return ZIP_ERRNO;
    int64_t count = m_source->Read(buffer, n);
    if (count < 0)
        return ZIP_ERRNO;
    if (got)
        *got = count;
    return ZIP_OK;
}

std::unique_ptr<ZipArchive> ZipArchive::Open(std::unique_ptr<ZipSource> source, int* status)
{
    std::unique_ptr<ZipArchive> archive(new ZipArchive);
    archive->m_source = std::move(source);
    ZipSource& src = *archive->m_source;
    auto fail = [&](int s) {
        *status = s;
        return nullptr;
    };
    int64_t size = src.Size();
    if (size < 0)
        return fail(ZIP_ERRNO);
    // Every position below is taken from the data's start; what precedes the archive is found from
    // the offsets the end record gives.
    int64_t base = src.m_baseOffset;
    src.m_baseOffset = 0;
    if (size - base < 5)
        return fail(ZIP_BAD_ARCHIVE);
    // Search the tail backwards: the first signature from the end wins.
    int64_t span = std::min(size - base, kEndSearchSpan);
    std::vector<uint8_t> tail(size_t(span), 0);
    int64_t got = 0;
    if (archive->ReadAt(uint64_t(size - span), tail.data(), tail.size(), &got) != ZIP_OK)
        return fail(ZIP_ERRNO);
    int64_t found = -1;
    for (int64_t i = span - 4; i >= 0; --i)
        if (U32(&tail[size_t(i)]) == kEndSignature) {
            found = size - span + i;
            break;
        }
    if (found < 0)
        return fail(ZIP_BAD_ARCHIVE);
    uint8_t end[kEndRecordSize];
    if (archive->ReadAt(uint64_t(found), end, sizeof end, nullptr) != ZIP_OK)
        return fail(ZIP_ERRNO);
    uint32_t thisDisk = U16(end + 4), directoryDisk = U16(end + 6);
    uint32_t entriesHere = U16(end + 8), entries = U16(end + 10);
    archive->m_directorySize = U32(end + 12);
    archive->m_directoryOffset = U32(end + 16);
    archive->m_commentSize = U16(end + 20);
    if (entriesHere != entries || thisDisk != 0 || directoryDisk != 0)
        return fail(ZIP_BAD_ARCHIVE);
    // What precedes the archive (a self-extractor's stub) shifts every stored offset.
    int64_t endPosition = found - base;
    int64_t directoryEnd = int64_t(archive->m_directoryOffset) + int64_t(archive->m_directorySize);
    if (endPosition + base < directoryEnd)
        return fail(ZIP_BAD_ARCHIVE);
    archive->m_bytesBefore = uint64_t(base + endPosition - directoryEnd);
    archive->m_endRecordPosition = uint64_t(endPosition);
    archive->m_entryCount = entries;
    int s = archive->GoToFirst();
    // An archive without entries has no first header to read.
    if (s != ZIP_OK && entries != 0)
        return fail(s);
    *status = ZIP_OK;
    return archive;
}

int ZipArchive::ReadCentralHeader()
{
    m_currentValid = false;
    uint8_t h[kCentralHeaderSize];
    uint64_t at = uint64_t(m_directoryOffset) + m_directoryPosition + m_bytesBefore;
    if (ReadAt(at, h, sizeof h, nullptr) != ZIP_OK)
        return ZIP_ERRNO;
    if (U32(h) != kCentralSignature)
        return ZIP_BAD_ARCHIVE;
    ZipCentralHeader& c = m_header;
    c.versionMadeBy = U16(h + 4);
    c.versionNeeded = U16(h + 6);
    c.flags = U16(h + 8);
    c.method = U16(h + 10);
    c.dosDateTime = U32(h + 12);
    c.crc = U32(h + 16);
    c.compressedSize = U32(h + 20);
    c.uncompressedSize = U32(h + 24);
    c.nameLength = U16(h + 28);
    c.extraLength = U16(h + 30);
    c.commentLength = U16(h + 32);
    c.diskStart = U16(h + 34);
    c.internalAttributes = U16(h + 36);
    c.externalAttributes = U32(h + 38);
    c.localHeaderOffset = U32(h + 42);
    m_name.assign(c.nameLength, '\0');
    int64_t got = 0;
    if (c.nameLength && ReadAt(at + kCentralHeaderSize, m_name.data(), m_name.size(), &got) != ZIP_OK)
        return ZIP_ERRNO;
    // A name cut short by the end of the data ends where the data does.
    m_name.resize(std::strlen(m_name.c_str()));
    m_currentValid = true;
    return ZIP_OK;
}

int ZipArchive::GoToFirst()
{
    CloseEntry();
    m_currentEntry = 0;
    m_directoryPosition = 0;
    if (m_entryCount == 0) {
        m_currentValid = false;
        return ZIP_END_OF_LIST;
    }
    return ReadCentralHeader();
}

int ZipArchive::GoToNext()
{
    if (!m_currentValid)
        return ZIP_END_OF_LIST;
    if (m_currentEntry + 1 >= m_entryCount)
        return ZIP_END_OF_LIST;
    CloseEntry();
    m_directoryPosition += kCentralHeaderSize + m_header.nameLength + m_header.extraLength + m_header.commentLength;
    ++m_currentEntry;
    return ReadCentralHeader();
}

int ZipArchive::GoTo(uint32_t index)
{
    if (index >= m_entryCount)
        return ZIP_PARAM_ERROR;
    if (index < m_currentEntry || !m_currentValid) {
        int s = GoToFirst();
        if (s != ZIP_OK)
            return s;
    }
    while (m_currentEntry < index) {
        int s = GoToNext();
        if (s != ZIP_OK)
            return s;
    }
    return ZIP_OK;
}

int ZipArchive::CheckLocalHeader(uint64_t* extraPosition, uint32_t* extraLength, uint64_t* dataPosition)
{
    if (!m_currentValid)
        return ZIP_PARAM_ERROR;
    uint8_t h[kLocalHeaderSize];
    uint64_t at = uint64_t(m_header.localHeaderOffset) + m_bytesBefore;
    if (ReadAt(at, h, sizeof h, nullptr) != ZIP_OK)
        return ZIP_ERRNO;
    if (U32(h) != kLocalSignature)
        return ZIP_BAD_ARCHIVE;
    uint32_t flags = U16(h + 6), method = U16(h + 8);
    if (method != m_header.method || (method != 0 && method != 8))
        return ZIP_BAD_ARCHIVE;
    (void)flags;
    bool descriptor = m_header.flags & 8;
    if (!descriptor && (U32(h + 14) != m_header.crc || U32(h + 18) != m_header.compressedSize
                        || U32(h + 22) != m_header.uncompressedSize))
        return ZIP_BAD_ARCHIVE;
    uint32_t nameLength = U16(h + 26), extra = U16(h + 28);
    if (nameLength != m_header.nameLength)
        return ZIP_BAD_ARCHIVE;
    if (extraPosition)
        *extraPosition = at + kLocalHeaderSize + nameLength;
    if (extraLength)
        *extraLength = extra;
    if (dataPosition)
        *dataPosition = at + kLocalHeaderSize + nameLength + extra;
    return ZIP_OK;
}

int ZipArchive::ReadLocalExtra(std::vector<uint8_t>& extra)
{
    uint64_t position = 0;
    uint32_t length = 0;
    int s = CheckLocalHeader(&position, &length, nullptr);
    if (s != ZIP_OK)
        return s;
    extra.assign(length, 0);
    if (m_source->Seek(int64_t(position), 0) != 0)
        return ZIP_ERRNO;
    if (length && m_source->Read(extra.data(), length) != int64_t(length))
        return ZIP_ERRNO;
    return ZIP_OK;
}

// ---- Entry streams ------------------------------------------------------------------------------

int ZipArchive::OpenEntry()
{
    CloseEntry();
    uint64_t data = 0;
    int s = CheckLocalHeader(nullptr, nullptr, &data);
    if (s != ZIP_OK)
        return s;
    auto* stream = new (std::nothrow) ZipItemStream;
    if (!stream)
        return ZIP_INTERNAL_ERROR;
    stream->method = m_header.method;
    if (stream->method == 8) {
        if (inflateInit2(&stream->zs, -MAX_WBITS) != Z_OK) {
            delete stream;
            return ZIP_INTERNAL_ERROR;
        }
        stream->inflateReady = true;
    }
    stream->position = data;
    stream->compressedLeft = m_header.compressedSize;
    stream->uncompressedLeft = m_header.uncompressedSize;
    stream->expectedCrc = m_header.crc;
    m_stream = stream;
    return ZIP_OK;
}

int64_t ZipArchive::ReadEntry(void* buffer, size_t n)
{
    ZipItemStream* st = m_stream;
    if (!st)
        return ZIP_PARAM_ERROR;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    size_t want = size_t(std::min<uint64_t>(n, st->uncompressedLeft));
    size_t delivered = 0;
    while (delivered < want) {
        if (st->inputPosition == st->inputCount && st->compressedLeft > 0) {
            size_t chunk = size_t(std::min<uint64_t>(kInputBufferSize, st->compressedLeft));
            if (m_source->Seek(int64_t(st->position), 0) != 0)
                return ZIP_ERRNO;
            int64_t got = m_source->Read(st->input, chunk);
            // Data that ends before the entry does can never complete it.
            if (got <= 0)
                return ZIP_ERRNO;
            st->position += uint64_t(got);
            st->compressedLeft -= uint64_t(got);
            st->inputCount = size_t(got);
            st->inputPosition = 0;
        }
        size_t produced = 0;
        if (st->method == 8) {
            st->zs.next_in = st->input + st->inputPosition;
            st->zs.avail_in = uInt(st->inputCount - st->inputPosition);
            st->zs.next_out = out + delivered;
            st->zs.avail_out = uInt(want - delivered);
            int z = inflate(&st->zs, Z_SYNC_FLUSH);
            st->inputPosition = st->inputCount - st->zs.avail_in;
            produced = (want - delivered) - st->zs.avail_out;
            st->crc = uint32_t(crc32(st->crc, out + delivered, uInt(produced)));
            st->uncompressedLeft -= produced;
            delivered += produced;
            if (z == Z_STREAM_END) {
                // A stream that ends short of the size the directory gives is damaged.
                if (delivered == 0 && st->uncompressedLeft > 0)
                    return ZIP_BAD_ARCHIVE;
                break;
            }
            if (z != Z_OK)
                return z;
        } else {
            size_t available = st->inputCount - st->inputPosition;
            if (available == 0)
                return ZIP_ERRNO;
            produced = std::min(want - delivered, available);
            std::memcpy(out + delivered, st->input + st->inputPosition, produced);
            st->inputPosition += produced;
            st->crc = uint32_t(crc32(st->crc, out + delivered, uInt(produced)));
            st->uncompressedLeft -= produced;
            delivered += produced;
        }
    }
    return int64_t(delivered);
}

int ZipArchive::CloseEntry()
{
    ZipItemStream* st = m_stream;
    if (!st)
        return ZIP_PARAM_ERROR;
    int s = ZIP_OK;
    if (st->uncompressedLeft == 0 && st->crc != st->expectedCrc)
        s = ZIP_CRC_ERROR;
    if (st->inflateReady)
        inflateEnd(&st->zs);
    delete st;
    m_stream = nullptr;
    return s;
}

// ---- Extended timestamps ------------------------------------------------------------------------

ZipUnixTimes ParseExtendedTimestamp(const uint8_t* extra, size_t length)
{
    ZipUnixTimes times;
    size_t position = 0;
    while (position + 4 < length) {
        uint32_t id = U16(extra + position), size = U16(extra + position + 2);
        if (id == 0x5455) {
            // The block's data ends at its declared size or the field's end, whichever is first.
            size_t data = position + 4;
            size_t end = std::min<size_t>(length, data + size);
            if (data >= end)
                break;
            unsigned flags = extra[data];
            size_t at = data + 1;
            uint32_t* slots[] = {&times.modification, &times.access, &times.creation};
            for (unsigned bit = 0; bit < 3; ++bit) {
                if (!(flags & (1u << bit)))
                    continue;
                if (at + 4 > end)
                    break;
                *slots[bit] = U32(extra + at);
                times.present |= 1u << bit;
                at += 4;
            }
            break;
        }
        position += 4 + size_t(size);
    }
    return times;
}
