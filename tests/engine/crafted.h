// Builders of crafted on-disk structures (FAT entries, MFT records) and a recorder of the engine's port.
#pragma once

#include "engine/engine_state.h"
#include "engine/ui_port.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace crafted {

inline void Put16(BYTE* p, unsigned v) { p[0] = BYTE(v); p[1] = BYTE(v >> 8); }
inline void Put32(BYTE* p, uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = BYTE(v >> (8 * i)); }
inline void Put64(BYTE* p, uint64_t v) { for (int i = 0; i < 8; ++i) p[i] = BYTE(v >> (8 * i)); }

// A 32-byte short entry; name11 is the blank-padded 8.3 field.
inline std::vector<BYTE> ShortEntry(const char* name11, BYTE attr, uint32_t cluster, uint32_t size)
{
    std::vector<BYTE> e(32, 0);
    std::memcpy(e.data(), name11, 11);
    e[11] = attr;
    Put16(&e[20], cluster >> 16);
    Put16(&e[26], cluster & 0xFFFF);
    Put32(&e[28], size);
    Put16(&e[24], 0x5A21); // some write date
    return e;
}

inline BYTE Checksum(const BYTE* shortEntry)
{
    BYTE sum = 0;
    for (int i = 0; i < 11; ++i)
        sum = BYTE(((sum & 1) << 7) + (sum >> 1) + shortEntry[i]);
    return sum;
}

// The long-name entries of a name, in disk order (last piece first), for the given short entry.
inline std::vector<BYTE> LongEntries(const std::u16string& name, const std::vector<BYTE>& shortEntry)
{
    static const int offsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
    const int pieces = int((name.size() + 12) / 13);
    std::vector<BYTE> out;
    for (int k = pieces; k >= 1; --k) {
        std::vector<BYTE> e(32, 0);
        e[0] = BYTE(k | (k == pieces ? 0x40 : 0));
        e[11] = 0x0F;
        e[13] = Checksum(shortEntry.data());
        for (int i = 0; i < 13; ++i) {
            size_t at = size_t(k - 1) * 13 + i;
            unsigned c = at < name.size() ? name[at] : (at == name.size() ? 0 : 0xFFFF);
            Put16(&e[offsets[i]], c);
        }
        out.insert(out.end(), e.begin(), e.end());
    }
    return out;
}

// Marks a run of entries deleted as deleting does: 0xE5 over the first byte of each.
inline void MarkDeleted(std::vector<BYTE>& entries)
{
    for (size_t i = 0; i < entries.size(); i += 32)
        entries[i] = 0xE5;
}

// An MFT record under construction: attributes are appended, then Finish() closes the list.
struct MftRecord {
    std::vector<BYTE> b = std::vector<BYTE>(1024, 0);
    size_t at = 0x38;

    explicit MftRecord(WORD flags = 1)
    {
        std::memcpy(b.data(), "FILE", 4);
        Put16(&b[4], 0x30); // update sequence at 0x30, 3 entries
        Put16(&b[6], 3);
        Put16(&b[0x30], 0x0007);
        Put16(&b[0x14], 0x38);
        Put16(&b[0x16], flags);
        Put32(&b[0x1C], 1024);
    }
    BYTE* Resident(uint32_t type, const std::vector<BYTE>& value, const std::u16string& name = u"")
    {
        const size_t nameAt = 0x18, valueAt = (0x18 + name.size() * 2 + 7) & ~size_t(7);
        const size_t length = (valueAt + value.size() + 7) & ~size_t(7);
        BYTE* a = &b[at];
        Put32(a, type);
        Put32(a + 4, uint32_t(length));
        a[9] = BYTE(name.size());
        Put16(a + 0x0A, unsigned(nameAt));
        Put32(a + 0x10, uint32_t(value.size()));
        Put16(a + 0x14, unsigned(valueAt));
        for (size_t i = 0; i < name.size(); ++i)
            Put16(a + nameAt + 2 * i, name[i]);
        std::memcpy(a + valueAt, value.data(), value.size());
        at += length;
        return a;
    }
    BYTE* NonResident(uint32_t type, const std::vector<BYTE>& runs, uint64_t realSize, const std::u16string& name = u"")
    {
        const size_t runsAt = (0x40 + name.size() * 2 + 7) & ~size_t(7);
        const size_t length = (runsAt + runs.size() + 7) & ~size_t(7);
        BYTE* a = &b[at];
        Put32(a, type);
        Put32(a + 4, uint32_t(length));
        a[8] = 1;
        a[9] = BYTE(name.size());
        Put16(a + 0x0A, 0x40);
        Put16(a + 0x20, unsigned(runsAt));
        Put64(a + 0x30, realSize);
        for (size_t i = 0; i < name.size(); ++i)
            Put16(a + 0x40 + 2 * i, name[i]);
        std::memcpy(a + runsAt, runs.data(), runs.size());
        at += length;
        return a;
    }
    // Ends the list, sets the used size and stamps the sequence number at both sector ends.
    std::vector<BYTE>& Finish()
    {
        Put32(&b[at], 0xFFFFFFFF);
        Put32(&b[0x18], uint32_t(at + 8));
        for (int s = 1; s <= 2; ++s) {
            std::memcpy(&b[0x30 + 2 * s], &b[s * 512 - 2], 2);
            Put16(&b[s * 512 - 2], 0x0007);
        }
        return b;
    }
};

inline std::vector<BYTE> FileNameValue(const std::u16string& name, uint32_t parent, BYTE nameSpace)
{
    std::vector<BYTE> v(0x42 + name.size() * 2, 0);
    Put32(&v[0], parent);
    Put64(&v[8], 0x01D0000000000001ULL);
    Put64(&v[0x10], 0x01D0000000000002ULL); // last modification
    Put64(&v[0x18], 0x01D0000000000003ULL); // record change
    v[0x40] = BYTE(name.size());
    v[0x41] = nameSpace;
    for (size_t i = 0; i < name.size(); ++i)
        Put16(&v[0x42 + 2 * i], name[i]);
    return v;
}

} // namespace crafted

// Records what the engine tells the user interface; answers questions as scripted.
class RecordingUi : public IEngineUi {
public:
    struct Message {
        std::u16string Text;
        EngineMessageKind Kind;
    };
    std::vector<Message> Messages;
    std::vector<UINT> Progress;
    std::vector<std::u16string> Names;
    std::vector<bool> Answers; // popped front per question; no when empty

    RecordingUi() { SetEngineUi(this); }
    ~RecordingUi() override { SetEngineUi(nullptr); }

    void ShowMessage(const WCHAR* text, EngineMessageKind kind) override
    {
        std::lock_guard<std::mutex> hold(lock_);
        Messages.push_back({text, kind});
    }
    bool AskYesNo(const WCHAR* text) override
    {
        std::lock_guard<std::mutex> hold(lock_);
        Messages.push_back({text, ENGINE_MSG_QUESTION});
        if (Answers.empty())
            return false;
        bool a = Answers.front();
        Answers.erase(Answers.begin());
        return a;
    }
    void SetProgress(UINT percent) override
    {
        std::lock_guard<std::mutex> hold(lock_);
        Progress.push_back(percent);
    }
    void SetStatusText(EngineStatusField field, const WCHAR* text) override
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (field == ENGINE_STATUS_NAME)
            Names.push_back(text);
    }
    void SetCounter(EngineCounter, ULONGLONG) override {}
    void AddDriveItem(const WCHAR*, DWORD) override {}
    DWORD InsertFolderItem(DWORD, const WCHAR*, BOOL) override
    {
        std::lock_guard<std::mutex> hold(lock_);
        return FOUND_TREE_ITEM_FLAG | ++items_;
    }
    void SetFolderItemColor(DWORD, COLORREF) override {}
    void ExpandFolderItem(DWORD) override {}
    void ClearFileRows() override {}
    void AddFileRow(const FoundFileRow&) override {}

private:
    std::mutex lock_;
    DWORD items_ = 0;
};
