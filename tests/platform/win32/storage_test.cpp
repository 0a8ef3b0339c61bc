// Temporary compound files in memory: sub-storages made, found, refused and freed.
#include "win32/storage.h"

#include <gtest/gtest.h>

TEST(Storage, TemporaryDocfileHoldsNamedSubStorages)
{
    const DWORD mode = STGM_TRANSACTED | STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
    IStorage* root = nullptr;
    EXPECT_EQ(StgCreateDocfile(u"named.stg", mode, 0, &root), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(root, nullptr);
    ASSERT_EQ(StgCreateDocfile(nullptr, mode | STGM_DELETEONRELEASE, 0, &root), S_OK);

    IStorage* one = nullptr;
    ASSERT_EQ(root->CreateStorage(u"REOLEStorage1", mode, 0, 0, &one), S_OK);
    IStorage* again = nullptr;
    EXPECT_EQ(root->CreateStorage(u"REOLEStorage1", mode & ~STGM_CREATE, 0, 0, &again), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(root->CreateStorage(u"shared", STGM_READWRITE | STGM_SHARE_DENY_NONE, 0, 0, &again), STG_E_INVALIDFLAG);
    EXPECT_EQ(root->CreateStorage(u"a/b", mode, 0, 0, &again), STG_E_INVALIDNAME);
    EXPECT_EQ(root->CreateStorage(std::u16string(32, u'x').c_str(), mode, 0, 0, &again), STG_E_INVALIDNAME);
    EXPECT_EQ(root->OpenStorage(u"REOLEStorage1", nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &again), S_OK);
    EXPECT_EQ(again, one);
    again->Release();
    EXPECT_EQ(root->OpenStorage(u"missing", nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &again),
              STG_E_FILENOTFOUND);

    void* unknown = nullptr;
    EXPECT_EQ(one->QueryInterface(IID_IDispatch, &unknown), E_NOINTERFACE);
    EXPECT_EQ(one->QueryInterface(IID_IStorage, &unknown), S_OK);
    static_cast<IStorage*>(unknown)->Release();

    // The caller's reference outlives the element's removal from the tree.
    EXPECT_EQ(root->DestroyElement(u"REOLEStorage1"), S_OK);
    EXPECT_EQ(one->Commit(0), S_OK);
    EXPECT_EQ(one->Release(), 0u);
    EXPECT_EQ(root->Release(), 0u);
}
