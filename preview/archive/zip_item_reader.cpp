// The archive item reader of the document view's gzip preview.
#include "preview/archive/zip_item_reader.h"

#include "preview/archive/tar_walk.h"

namespace {

CString Padded(const char16_t* text, int blanks)
{
    return CString(text) + CString(u' ', blanks);
}

const char16_t* ZipKindText(DWORD attributes)
{
    static const struct {
        DWORD bit;
        const char16_t* text;
    } kinds[] = {
        {FILE_ATTRIBUTE_DIRECTORY, u"FILE_ATTRIBUTE_DIRECTORY"}, {FILE_ATTRIBUTE_ARCHIVE, u"FILE_ATTRIBUTE_ARCHIVE"},
        {FILE_ATTRIBUTE_HIDDEN, u"FILE_ATTRIBUTE_HIDDEN"},       {FILE_ATTRIBUTE_READONLY, u"FILE_ATTRIBUTE_READONLY"},
        {FILE_ATTRIBUTE_SYSTEM, u"FILE_ATTRIBUTE_SYSTEM"},
    };
    for (const auto& k : kinds)
        if (attributes & k.bit)
            return k.text;
    return attributes & FILE_ATTRIBUTE_NORMAL ? u"FILE_ATTRIBUTE_NORMAL" : u"";
}

const char16_t* TarKindText(char type)
{
    switch (type) {
    case '1': return u"link";
    case '2':
    case '7': return u"reserved";
    case '3': return u"character special";
    case '4': return u"block special";
    case '5': return u"directory";
    case '6': return u"FIFO special";
    default: return u"";
    }
}

} // namespace

CZipItemReader::~CZipItemReader()
{
    CloseArchive();
}

BOOL CZipItemReader::OpenArchive(const char* path)
{
    std::u16string wide = AnsiToWide(std::string(path ? path : ""));
    m_hZip = ZipOpenArchive(wide.c_str(), 0, ZIP_FILENAME);
    if (m_hZip) {
        m_nKind = 1;
        return TRUE;
    }
    if (!OpenStream(wide.c_str(), 2)) {
        m_strError = Padded(u"无法确定存档类型！", 16);
        return FALSE;
    }
    if (!EnsureData())
        return FALSE;
    m_nKind = TarHeaderValid(m_data.data(), m_data.size(), 0) ? 3 : 2;
    return TRUE;
}

BOOL CZipItemReader::EnsureData()
{
    if (!m_bDataRead) {
        m_bDataRead = ReadAll(m_data) != FALSE;
        if (!m_bDataRead)
            m_data.clear();
    }
    if (!m_bDataRead) {
        m_strError = Padded(u"无法读取 gzip 格式的数据！", 13);
        return FALSE;
    }
    return TRUE;
}

int CZipItemReader::CountItems()
{
    switch (m_nKind) {
    case 1: {
        ZipItemInfo info{};
        if (ZipGetEntry(m_hZip, -1, &info) != ZIPR_OK) {
            m_strError = Padded(u"无法从存档中提取文件！", 16);
            return -1;
        }
        return info.index;
    }
    case 2: return 1;
    case 3:
        if (!EnsureData())
            return -1;
        return int(std::min<size_t>(TarCountItems(m_data.data(), m_data.size()), 0x7fffffff));
    default: m_strError = Padded(u"存档没有打开", 6); return -1;
    }
}

BOOL CZipItemReader::GetItem(int index, const BYTE** data, size_t* size, int* isFile, CString& kind, CString& name,
                             FILETIME times[3], LONGLONG* modified)
{
    *data = nullptr;
    *size = 0;
    *isFile = 0;
    if (m_nKind == 1) {
        ZipItemInfo info{};
        if (ZipGetEntry(m_hZip, index, &info) != ZIPR_OK) {
            m_strError = Padded(u"无法从存档文件中提取文件到指定位置！", 27);
            return FALSE;
        }
        // The size comes from the archive's directory: read as the unsigned number it is, and
        // refused beyond what a preview holds before any memory is set aside for it.
        size_t itemSize = DWORD(info.uncompressedSize);
        const CString extractError = Padded(u"无法从存档文件中解压文件到指定位置！", 29);
        if (itemSize > kMaxItemSize) {
            m_strError = extractError;
            return FALSE;
        }
        m_data.assign(itemSize + 1, 0);
        m_bDataRead = false;
        // The first call fills the buffer; the second, with room for one byte more, finds the
        // member's end (a member shorter than its size fails there) and checks its CRC.
        DWORD result = ZipExtractEntry(m_hZip, index, m_data.data(), DWORD(itemSize), ZIP_MEMORY);
        if (result == ZIPR_MORE)
            result = ZipExtractEntry(m_hZip, index, m_data.data() + itemSize, 1, ZIP_MEMORY);
        if (result != ZIPR_OK) {
            m_data.clear();
            m_strError = extractError;
            return FALSE;
        }
        *data = m_data.data();
        *size = itemSize;
        *isFile = info.attributes & FILE_ATTRIBUTE_NORMAL ? 1 : 0;
        kind = ZipKindText(info.attributes);
        name = info.name;
        times[0] = info.creationTime;
        times[1] = info.accessTime;
        times[2] = info.modificationTime;
        return TRUE;
    }
    if (m_nKind == 2) {
        if (!EnsureData())
            return FALSE;
        *data = m_data.data();
        *size = m_data.size();
        *isFile = 1;
        kind = u"unknown";
        return TRUE;
    }
    if (m_nKind == 3) {
        if (!EnsureData())
            return FALSE;
        TarItem item;
        int found = index < 0 ? int(kTarBadHeader) : TarFindItem(m_data.data(), m_data.size(), size_t(index), item);
        if (found == kTarBadPosition)
            m_strError = Padded(u"无效的文件位置！", 7);
        if (found != kTarFound)
            return FALSE;
        *data = m_data.data() + item.dataOffset;
        *size = size_t(item.size);
        if (item.type == '0' || item.type == '\0') {
            *isFile = 1;
            kind = u"regular file";
        } else {
            kind = TarKindText(item.type);
        }
        name = AnsiToWide(item.name).c_str();
        if (modified)
            *modified = LONGLONG(item.modified);
        return TRUE;
    }
    m_strError = Padded(u"存档没有打开", 6);
    return FALSE;
}

void CZipItemReader::CloseArchive()
{
    if (m_hZip) {
        ZipCloseArchive(m_hZip);
        m_hZip = nullptr;
    }
    if (IsOpen())
        CloseStream();
    m_data.clear();
    m_bDataRead = false;
    m_strError.Empty();
}
