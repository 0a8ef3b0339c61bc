// Fillers of the found-file list for FAT, quick-scan NTFS and full-scan NTFS folders.
#include "engine/found_list_fill.h"

#include "engine/engine_state.h"
#include "engine/ui_port.h"
#include "win32/kernel.h"

#include <string>
#include <vector>

DWORD FolderBrowseActive = 0;

namespace {

constexpr DWORD kFatRoot = 0;
constexpr DWORD kNtfsRoot = 5;
constexpr int kDateChars = 40;

// Writes the value in decimal with at least `width` digits and returns where the text goes on: a folder of
// many thousand files has two dates a row, which a formatted print would make the dearest part of its fill.
WCHAR* PutDecimal(WCHAR* out, unsigned value, int width)
{
    WCHAR digits[10];
    int n = 0;
    do {
        digits[n++] = WCHAR(u'0' + value % 10);
        value /= 10;
    } while (value);
    while (n < width)
        digits[n++] = u'0';
    while (n)
        *out++ = digits[--n];
    return out;
}

// Rows wait here and reach the port a batch at a time, so a list on the user-interface thread costs the
// worker one crossing per batch rather than one per row. The batch keeps its own copy of every text: the
// fillers write each row's dates into the same buffers.
class RowBatch {
public:
    static constexpr size_t kRows = 512;

    void Add(const FoundFileRow& row)
    {
        entries_.push_back(Entry{row, Keep(row.Name), Keep(row.CreatedText), Keep(row.ModifiedText)});
    }
    bool Full() const { return entries_.size() >= kRows; }
    void Flush(IEngineUi& ui)
    {
        if (entries_.empty())
            return;
        rows_.clear();
        for (const Entry& e : entries_) {
            FoundFileRow row = e.row;
            row.Name = At(e.name);
            row.CreatedText = At(e.created);
            row.ModifiedText = At(e.modified);
            rows_.push_back(row);
        }
        ui.AddFileRows(rows_.data(), rows_.size());
        entries_.clear();
        text_.clear();
    }

private:
    static constexpr size_t kNoText = size_t(-1);
    struct Entry {
        FoundFileRow row;
        size_t name, created, modified; // offsets into text_
    };
    size_t Keep(const WCHAR* text)
    {
        if (!text)
            return kNoText;
        const size_t at = text_.size();
        text_.append(text);
        text_.push_back(u'\0');
        return at;
    }
    const WCHAR* At(size_t at) const { return at == kNoText ? nullptr : text_.data() + at; }

    std::vector<Entry> entries_;
    std::vector<FoundFileRow> rows_;
    std::u16string text_;
};

// The common frame: clear, the optional progress dialog, the "Parent..." row, and progress per record.
// Rows go out in batches; a batch is handed over before anything else reaches the port (a changed
// position of the progress dialog, a tick, the end), so the list never shows less than the dialog says.
class ListFill {
public:
    ListFill(bool root, DWORD records) : ui_(EngineUi()), total_(records ? records : 1)
    {
        ui_.ClearFileRows();
        progress_ = FolderBrowseActive == 1;
        if (progress_) {
            ui_.BeginListProgress();
            ui_.SetListProgress(0);
        }
        if (!root)
            Add(FoundFileRow{u"Parent...", TRUE, FALSE, 0, 0, 0});
    }
    ~ListFill()
    {
        batch_.Flush(ui_);
        if (progress_) {
            ui_.SetListProgress(100);
            ui_.EndListProgress();
        }
    }
    void Looked()
    {
        ++seen_;
        if (progress_ && seen_ % 256 == 0) {
            const ULONGLONG p = ULONGLONG(seen_) * 100 / total_;
            const UINT percent = UINT(p > 100 ? 100 : p);
            if (percent != shown_) {
                batch_.Flush(ui_);
                ui_.SetListProgress(percent);
                shown_ = percent;
            }
        }
    }
    void Add(const FoundFileRow& row)
    {
        batch_.Add(row);
        if (batch_.Full())
            batch_.Flush(ui_);
    }
    void CheckRow(int row)
    {
        batch_.Flush(ui_);
        ui_.CheckFileRow(row);
    }

private:
    IEngineUi& ui_;
    RowBatch batch_;
    ULONGLONG total_;
    ULONGLONG seen_ = 0;
    UINT shown_ = 0;
    bool progress_ = false;
};

ULONGLONG Join(DWORD low, DWORD high) { return ULONGLONG(high) << 32 | low; }

std::u16string Trimmed(const WCHAR* text)
{
    std::u16string s = text ? text : u"";
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    size_t b = 0, e = s.size();
    while (b < e && blank(s[b]))
        ++b;
    while (e > b && blank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool SameTextNoCase(const std::u16string& a, const WCHAR* b)
{
    auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
    size_t i = 0;
    for (; b && b[i]; ++i)
        if (i >= a.size() || fold(a[i]) != fold(b[i]))
            return false;
    return i == a.size();
}

} // namespace

bool InChosenVolume(DWORD recordSector)
{
    return recordSector >= PartitionParams.DataOrigin && recordSector <= PartitionParams.VolumeEndSector;
}

// Both columns read alike whatever the file system: day, month, hour, minute and second in two digits. A
// time the record never held is shown as none rather than as the first day a clock counts from: 0, and the
// Unix clock's zero that volumes made by Unix tools carry when they had no time to give.
WCHAR* FileTimeToText(DWORD low, DWORD high, WCHAR* buffer)
{
    constexpr ULONGLONG kUnixClockZero = 116444736000000000ULL;
    const ULONGLONG value = ULONGLONG(high) << 32 | low;
    FILETIME ft{low, high};
    SYSTEMTIME st{};
    buffer[0] = 0;
    if (value == 0 || value == kUnixClockZero || !FileTimeToSystemTime(&ft, &st))
        return buffer;
    WCHAR* out = PutDecimal(buffer, st.wDay, 2);
    *out++ = u'-';
    out = PutDecimal(out, st.wMonth, 2);
    *out++ = u'-';
    out = PutDecimal(out, st.wYear, 1);
    *out++ = u' ';
    out = PutDecimal(out, st.wHour, 2);
    *out++ = u':';
    out = PutDecimal(out, st.wMinute, 2);
    *out++ = u':';
    out = PutDecimal(out, st.wSecond, 2);
    *out = 0;
    return buffer;
}

WCHAR* FatDateToText(WORD date, WCHAR* buffer)
{
    const unsigned day = date & 0x1Fu, month = (date >> 5) & 0x0Fu;
    buffer[0] = 0;
    if (day == 0 || month == 0 || month > 12)
        return buffer;
    WCHAR* out = PutDecimal(buffer, day, 2);
    *out++ = u'-';
    out = PutDecimal(out, month, 2);
    *out++ = u'-';
    out = PutDecimal(out, 1980u + (date >> 9), 1);
    *out++ = u' ';
    *out = 0;
    return buffer;
}

void ShowFatFolder(DWORD folderId)
{
    const bool root = folderId == kFatRoot;
    ListFill fill(root, FoundFolderCount + FoundFileCount);
    WCHAR created[kDateChars], modified[kDateChars];
    for (FatFolderRecord* f = FatFolderHead; f; f = f->Next, fill.Looked()) {
        if (f->ParentId != folderId)
            continue;
        FoundFileRow row{f->Name, TRUE, f->Deleted == 1, 0, 0, f->TreeItem};
        row.CreatedText = FatDateToText(f->WriteDate, created);
        row.ModifiedText = FatDateToText(f->AccessDate, modified);
        fill.Add(row);
    }
    for (FatEntryRecord* e = FatFileHead; e; e = e->Next, fill.Looked()) {
        if (e->ParentId != folderId || !PassesFileTypeFilter(e->Name))
            continue;
        FoundFileRow row{e->Name, FALSE, e->Deleted == 1, e->Size, 0, e->FileId};
        row.CreatedText = FatDateToText(e->WriteDate, created);
        row.ModifiedText = FatDateToText(e->AccessDate, modified);
        fill.Add(row);
    }
    if (!root)
        fill.CheckRow(0);
}

void ShowNtfsFolder(DWORD folderId)
{
    if (ScanMode == 0 && PartitionParams.FsType == FS_KIND_NTFS) {
        ShowNtfsFullScanFolder(folderId);
        return;
    }
    ListFill fill(folderId == kNtfsRoot, FoundFolderCount + FoundFileCount);
    WCHAR created[kDateChars], modified[kDateChars];
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next, fill.Looked()) {
        if (f->ParentRef != folderId)
            continue;
        FoundFileRow row{f->Name, TRUE, f->Deleted == 1, 0, Join(f->ChangeLow, f->ChangeHigh), f->TreeItem};
        row.CreatedText = FileTimeToText(f->CreationLow, f->CreationHigh, created);
        row.ModifiedText = FileTimeToText(f->ChangeLow, f->ChangeHigh, modified);
        fill.Add(row);
    }
    for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next, fill.Looked()) {
        if (e->ParentRef != folderId || !PassesFileTypeFilter(e->Name))
            continue;
        // The whole 64-bit size: the preview decides from this column whether a file is too large.
        FoundFileRow row{e->Name, FALSE, e->Deleted == 1, Join(e->SizeLow, e->SizeHigh),
                         Join(e->ChangeLow, e->ChangeHigh), e->RecordSector};
        row.CreatedText = FileTimeToText(e->CreationLow, e->CreationHigh, created);
        row.ModifiedText = FileTimeToText(e->ChangeLow, e->ChangeHigh, modified);
        fill.Add(row);
    }
}

void ShowNtfsFullScanFolder(DWORD folderId)
{
    ListFill fill(folderId == kNtfsRoot, FoundFolderCount + FoundFileCount + FoundItemCount);
    WCHAR created[kDateChars], modified[kDateChars];
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next, fill.Looked()) {
        if (f->ParentRef != folderId)
            continue;
        FoundFileRow row{f->Name, TRUE, f->Deleted == 1, 0, Join(f->ChangeLow, f->ChangeHigh), f->TreeItem};
        row.CreatedText = FileTimeToText(f->CreationLow, f->CreationHigh, created);
        row.ModifiedText = FileTimeToText(f->ChangeLow, f->ChangeHigh, modified);
        fill.Add(row);
    }
    for (FoundItemNode* e = FoundItemHead; e; e = e->Next, fill.Looked()) {
        if (e->ParentRef != folderId || !InChosenVolume(e->RecordSector) || !PassesFileTypeFilter(e->Name))
            continue;
        FoundFileRow row{e->Name, FALSE, e->Deleted == 1, Join(e->SizeLow, e->SizeHigh),
                         Join(e->ChangeLow, e->ChangeHigh), e->RecordSector};
        row.CreatedText = FileTimeToText(e->CreationLow, e->CreationHigh, created);
        row.ModifiedText = FileTimeToText(e->ChangeLow, e->ChangeHigh, modified);
        fill.Add(row);
    }
}

void ShowTracedFolder(const WCHAR* text, BOOL groupFlag)
{
    const std::u16string wanted = text ? text : u"";
    // The divisor of the tracing fill is the folder count, which a tracing result may leave at 0.
    ListFill fill(true, FoundFolderCount);
    if (!groupFlag && SameTextNoCase(u"ROOT", wanted.c_str())) {
        std::vector<std::u16string> shown;
        for (TracedFileRecord* r = TracedFileHead; r; r = r->Next, fill.Looked()) {
            std::u16string group = Trimmed(r->TypeText);
            bool known = false;
            for (const std::u16string& s : shown)
                known = known || s == group;
            if (known)
                continue;
            shown.push_back(group);
            fill.Add(FoundFileRow{shown.back().c_str(), TRUE, FALSE, 0, 0, 0});
        }
        return;
    }
    for (TracedFileRecord* r = TracedFileHead; r; r = r->Next, fill.Looked()) {
        const bool match = groupFlag ? Trimmed(r->TypeText) == wanted : SameTextNoCase(wanted, r->Extension);
        if (!match || !PassesFileTypeFilter(r->Name))
            continue;
        fill.Add(FoundFileRow{r->Name, FALSE, FALSE, 0, 0, r->FileNumber});
    }
}
