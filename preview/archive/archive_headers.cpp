// Archive headers through libarchive for the RAR and cabinet stand-ins.
#include "preview/archive/archive_headers.h"

#include <archive.h>
#include <archive_entry.h>

#include <clocale>
#include <cstring>
#include <locale.h>
#include <sys/stat.h>
#include <vector>

struct ArchiveHeaderReader::Impl {
    Format format;
    struct archive* a = nullptr;
    ReadFn read;
    SeekFn seek;
    std::vector<uint8_t> buffer = std::vector<uint8_t>(65536);
    bool failed = false;
};

namespace {

// libarchive converts names into the thread's character set: UTF-8 while it works for us, whatever
// the program's own locale is.
class Utf8Names {
public:
    Utf8Names() : m_locale(newlocale(LC_CTYPE_MASK, "C.UTF-8", (locale_t)0))
    {
        if (m_locale)
            m_old = uselocale(m_locale);
    }
    ~Utf8Names()
    {
        if (m_locale) {
            uselocale(m_old);
            freelocale(m_locale);
        }
    }
    Utf8Names(const Utf8Names&) = delete;
    Utf8Names& operator=(const Utf8Names&) = delete;

private:
    locale_t m_locale;
    locale_t m_old = nullptr;
};

la_ssize_t ReadThunk(struct archive*, void* data, const void** out)
{
    auto* m = static_cast<ArchiveHeaderReader::Impl*>(data);
    int64_t got = m->read(m->buffer.data(), m->buffer.size());
    *out = m->buffer.data();
    return got < 0 ? -1 : la_ssize_t(got);
}

la_int64_t SeekThunk(struct archive*, void* data, la_int64_t offset, int whence)
{
    auto* m = static_cast<ArchiveHeaderReader::Impl*>(data);
    int64_t at = m->seek(offset, whence);
    return at < 0 ? ARCHIVE_FATAL : at;
}

std::u16string Utf8ToUtf16(const char* text)
{
    int n = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (n <= 1)
        return std::u16string();
    std::u16string out(size_t(n), u'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
    out.resize(size_t(n - 1));
    return out;
}

} // namespace

ArchiveHeaderReader::ArchiveHeaderReader(Format format) : m(new Impl)
{
    Utf8Names names;
    m->format = format;
    m->a = archive_read_new();
    if (format == kRar) {
        archive_read_support_format_rar(m->a);
        archive_read_support_format_rar5(m->a);
    } else {
        archive_read_support_format_cab(m->a);
    }
    // Names that are not marked as Unicode are in the program's code page.
    archive_read_set_options(m->a, "hdrcharset=CP936");
}

ArchiveHeaderReader::~ArchiveHeaderReader()
{
    Utf8Names names;
    archive_read_free(m->a);
}

bool ArchiveHeaderReader::OpenFile(const std::string& utf8Path, bool* missing)
{
    Utf8Names names;
    struct stat st;
    *missing = ::stat(utf8Path.c_str(), &st) != 0 || !S_ISREG(st.st_mode);
    if (*missing)
        return false;
    return archive_read_open_filename(m->a, utf8Path.c_str(), 65536) == ARCHIVE_OK;
}

bool ArchiveHeaderReader::OpenCallbacks(ReadFn read, SeekFn seek)
{
    Utf8Names names;
    m->read = std::move(read);
    m->seek = std::move(seek);
    archive_read_set_callback_data(m->a, m.get());
    archive_read_set_read_callback(m->a, ReadThunk);
    archive_read_set_seek_callback(m->a, SeekThunk);
    return archive_read_open1(m->a) == ARCHIVE_OK;
}

int ArchiveHeaderReader::Next(ArchiveHeader& header)
{
    if (m->failed)
        return -1;
    Utf8Names names;
    struct archive_entry* entry = nullptr;
    int r = archive_read_next_header(m->a, &entry);
    if (r == ARCHIVE_EOF)
        return 0;
    if (r < ARCHIVE_WARN) {
        m->failed = true;
        return -1;
    }
    header = ArchiveHeader();
    const char* utf8 = archive_entry_pathname_utf8(entry);
    if (utf8)
        header.name = Utf8ToUtf16(utf8);
    header.directory = archive_entry_filetype(entry) == AE_IFDIR;
    header.encrypted = archive_entry_is_encrypted(entry) > 0;
    header.size = archive_entry_size_is_set(entry) ? uint64_t(archive_entry_size(entry)) : 0;
    header.hasTime = archive_entry_mtime_is_set(entry);
    header.modified = header.hasTime ? archive_entry_mtime(entry) : 0;
    DWORD attributes = 0;
    if (header.directory)
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(archive_entry_perm(entry) & 0222))
        attributes |= FILE_ATTRIBUTE_READONLY;
    // What the reader keeps of the DOS bits beyond read-only and directory comes as file flags.
    const char* flags = archive_entry_fflags_text(entry);
    if (flags) {
        if (std::strstr(flags, "hidden"))
            attributes |= FILE_ATTRIBUTE_HIDDEN;
        if (std::strstr(flags, "system"))
            attributes |= FILE_ATTRIBUTE_SYSTEM;
        if (std::strstr(flags, "archive") && !std::strstr(flags, "noarchive"))
            attributes |= FILE_ATTRIBUTE_ARCHIVE;
        if (std::strstr(flags, "rdonly") || std::strstr(flags, "readonly"))
            attributes |= FILE_ATTRIBUTE_READONLY;
    }
    header.attributes = attributes;
    if (archive_read_data_skip(m->a) < ARCHIVE_WARN)
        m->failed = true;
    return 1;
}
