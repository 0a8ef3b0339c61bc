// Modules of the layer, memory blocks and heaps, the reported version, MulDiv and the 15-bit rand.
#include "win32/kernel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

INT_PTR WINAPI Answer()
{
    return 42;
}

// Registered before main, as the layer's own families register their modules.
dovemark::ModuleRegistration g_testModule("Dovemark_Test.DLL", {{"Answer", Answer}});

TEST(Modules, TheLayersOwnTableOnly)
{
    HMODULE m = LoadLibraryW(u"dovemark_test.dll");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(LoadLibraryA("DOVEMARK_TEST"), m);
    EXPECT_EQ(GetModuleHandleW(u"C:\\Windows\\System32\\Dovemark_Test.dll"), m);
    FARPROC f = GetProcAddress(m, "Answer");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f(), 42);
    EXPECT_EQ(GetProcAddress(m, "answer"), nullptr); // export names keep their case
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(m, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_TRUE(FreeLibrary(m));

    for (const char16_t* absent : {u"uxtheme.dll", u"riched20.dll", u"oleacc.dll", u"shlwapi.dll"}) {
        EXPECT_EQ(LoadLibraryW(absent), nullptr);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
    }
    EXPECT_EQ(GetModuleHandleW(nullptr), dovemark::MainModule());
    EXPECT_EQ(GetProcAddress(dovemark::MainModule(), "Answer"), nullptr);
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(0x1234), "Answer"), nullptr);
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(0x1234)));
}

TEST(Memory, MoveableBlocksCountTheirLocks)
{
    HGLOBAL h = GlobalAlloc(GHND, 100);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 100u);
    auto* p = static_cast<BYTE*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[99], 0); // zero-initialised
    EXPECT_EQ(GlobalLock(h), p);
    EXPECT_TRUE(GlobalUnlock(h));
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), DWORD(NO_ERROR));
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_LOCKED));
    std::memset(p, 7, 100);
    ASSERT_EQ(GlobalReAlloc(h, 200, GMEM_ZEROINIT), h);
    p = static_cast<BYTE*>(GlobalLock(h));
    EXPECT_EQ(p[99], 7);
    EXPECT_EQ(p[199], 0);
    GlobalUnlock(h);
    EXPECT_FALSE(CloseHandle(h)); // memory is freed with GlobalFree
    EXPECT_EQ(GlobalFree(h), nullptr);
    EXPECT_EQ(GlobalFree(h), h); // the second free is refused
    EXPECT_EQ(GlobalSize(h), 0u);

    HGLOBAL fixed = GlobalAlloc(GPTR, 16);
    EXPECT_EQ(GlobalLock(fixed), fixed);
    EXPECT_EQ(GlobalSize(fixed), 16u);
    EXPECT_EQ(GlobalFree(fixed), nullptr);
}

TEST(Memory, FixedBlocksGrowInPlaceOnlyWhenAllowedToMove)
{
    auto* fixed = static_cast<BYTE*>(GlobalAlloc(GPTR, 16));
    ASSERT_NE(fixed, nullptr);
    std::memset(fixed, 7, 16);
    EXPECT_EQ(GlobalReAlloc(fixed, 4096, 0), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(GlobalSize(fixed), 16u) << "a refused grow leaves the block as it was";

    auto* moved = static_cast<BYTE*>(GlobalReAlloc(fixed, 1 << 20, GMEM_MOVEABLE | GMEM_ZEROINIT));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(GlobalSize(moved), SIZE_T(1) << 20);
    EXPECT_EQ(moved[15], 7);
    EXPECT_EQ(moved[(1 << 20) - 1], 0);
    if (moved != fixed) {
        EXPECT_EQ(GlobalSize(fixed), 0u) << "the old address is no block any more";
    }
    auto* shrunk = static_cast<BYTE*>(GlobalReAlloc(moved, 8, 0));
    ASSERT_NE(shrunk, nullptr);
    EXPECT_EQ(GlobalSize(shrunk), 8u);
    EXPECT_EQ(GlobalFree(shrunk), nullptr);
}

TEST(Memory, HeapsKeepTheirOwnBlocks)
{
    HANDLE heap = GetProcessHeap();
    EXPECT_EQ(GetProcessHeap(), heap);
    auto* p = static_cast<BYTE*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 32));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[31], 0);
    EXPECT_EQ(HeapSize(heap, 0, p), 32u);
    p = static_cast<BYTE*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, p, 64));
    EXPECT_EQ(p[63], 0);
    EXPECT_FALSE(HeapReAlloc(heap, HEAP_REALLOC_IN_PLACE_ONLY, p, 128));
    HANDLE mine = HeapCreate(0, 0, 0);
    EXPECT_FALSE(HeapFree(mine, 0, p)); // a block of another heap
    EXPECT_TRUE(HeapFree(heap, 0, p));
    EXPECT_FALSE(HeapFree(heap, 0, p));
    EXPECT_NE(HeapAlloc(mine, 0, 10), nullptr); // freed with its heap
    EXPECT_TRUE(HeapDestroy(mine));
    EXPECT_FALSE(HeapDestroy(heap));
}

TEST(SystemVersion, AnswersAsXpServicePack3)
{
    OSVERSIONINFOEXW ex{};
    ex.dwOSVersionInfoSize = sizeof ex;
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&ex)));
    EXPECT_EQ(ex.dwMajorVersion, 5u);
    EXPECT_EQ(ex.dwMinorVersion, 1u);
    EXPECT_EQ(ex.dwBuildNumber, 2600u);
    EXPECT_EQ(ex.dwPlatformId, DWORD(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(std::u16string(ex.szCSDVersion), u"Service Pack 3");
    EXPECT_EQ(ex.wServicePackMajor, 3);
    OSVERSIONINFOW plain{};
    plain.dwOSVersionInfoSize = sizeof plain;
    EXPECT_TRUE(GetVersionExW(&plain));
    plain.dwOSVersionInfoSize = 12;
    EXPECT_FALSE(GetVersionExW(&plain));
    EXPECT_EQ(GetVersion() & 0xFFFF, 0x0105u);
}

TEST(Arithmetic, MulDivRoundsLikeWindows)
{
    struct Case {
        int a, b, c, expected;
    } cases[] = {
        {10, 3, 4, 8},        // 7.5 rounds up
        {-10, 3, 4, -8},      // -7.5 rounds away from zero
        {10, -3, -4, 8},
        {3, 1, -2, -2},       // -1.5
        {1, 1, 3, 0},
        {2, 1, 3, 1},
        {96, 72, 96, 72},
        {5, 5, 0, -1},        // no divisor
        {0x7FFFFFFF, 2, 1, -1}, // does not fit
        {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF}, // the product needs 64 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(Arithmetic, RandIsTheMicrosoftSequencePerThread)
{
    crt::srand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int e : expected)
        EXPECT_EQ(crt::rand(), e);
    int other = -1;
    std::thread([&] { other = crt::rand(); }).join(); // a new thread starts from seed 1
    EXPECT_EQ(other, 41);
    crt::srand(12345);
    int first = crt::rand();
    crt::srand(12345);
    EXPECT_EQ(crt::rand(), first);
    for (int i = 0; i < 1000; ++i) {
        int r = crt::rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, crt::kRandMax);
    }
}

} // namespace
