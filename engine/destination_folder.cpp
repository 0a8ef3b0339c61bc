// Choosing the folder recovered files go to, and removing the preview's temporary copies.
#include "engine/recovery_writer.h"

#include "engine/ui_port.h"
#include "win32/kernel.h"

#include <string>

void BrowseForDestination()
{
    DestinationFolder[0] = 0;
    WCHAR chosen[kDestinationChars] = {};
    if (!EngineUi().BrowseForFolder(u"请选择路径保存数据", chosen, kDestinationChars))
        return;
    chosen[kDestinationChars - 1] = 0;
    if (chosen[0] == 0)
        return;
    for (int i = 0; i < kDestinationChars; ++i)
        if ((DestinationFolder[i] = chosen[i]) == 0)
            break;
}

void DeleteTempFiles(const std::vector<std::u16string>& previewTempFiles)
{
    for (const std::u16string& path : previewTempFiles)
        DeleteFileW(path.c_str());
    WCHAR temp[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        return;
    std::u16string folder(temp, length);
    if (folder.back() != u'\\' && folder.back() != u'/')
        folder += u'\\';
    folder += u"ssss";
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + u"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            // Only plain files: a sub-folder is not the preview's, and "." and ".." are not files.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((folder + u"\\" + found.cFileName).c_str());
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}
