// The document's picture types and folder listing, and the shell registration of the snapshot type.
#include "tests/app/app_fixture.h"

#include "app/document_preview_services.h"
#include "app/ex_style_doc.h"
#include "app/gc_file_type_access.h"
#include "support/image_samples.h"
#include "support/support.h"

#include <fstream>

namespace {

TEST(FindImageType, ReadsTheExtensionAfterTheLastDotWithoutRegardToCase)
{
    struct {
        const char16_t* name;
        int type;
    } cases[] = {
        {u"a.bmp", 1},   {u"photo.JPEG", 3}, {u"x.tiff", 6},     {u"x.tif", 6},       {u"x.tga", 7},
        {u"x.jp2", 11},  {u"x.jpc", 12},     {u"x.ppm", 14},      {u"x.wbmp", 9},      {u"x.WMF", 10},
        {u"x.emf", 10},  {u"x.pgx", 13},     {u"x.ras", 15},      {u"x.webp", 0},
        {u"photobmp", 0}, {u"noext", 0},     {u"dir.png/file", 0}, {u"archive.bmp.gz", 0}, {u"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindImageType(c.name), c.type) << std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name));
}

TEST(ImageFolder, ListsThePictureFilesSortedWithTheirCaseKept)
{
    std::string dir = testsupport::ScratchDir();
    for (const char* name : {"b.PNG", "a.jpg", "notes.txt", "C.gif"})
        std::ofstream(dir + "/" + name) << "x";
    CEx_StyleDoc doc;
    doc.OpenImageFolder(CString(std::u16string(dir.begin(), dir.end()).c_str()));
    ASSERT_EQ(doc.m_ImageNames.size(), 3u);
    EXPECT_EQ(doc.m_ImageNames[0], CString(u"C.gif"));
    EXPECT_EQ(doc.m_ImageNames[1], CString(u"a.jpg"));
    EXPECT_EQ(doc.m_ImageNames[2], CString(u"b.PNG"));
    EXPECT_EQ(doc.m_nCurrentImage, -1);
    // Numbered names (exported slides) keep their numeric order.
    for (const char* name : {"ssss10.gif", "ssss2.gif", "ssss1.gif"})
        std::ofstream(dir + "/" + name) << "x";
    doc.OpenImageFolder(CString(std::u16string(dir.begin(), dir.end()).c_str()));
    ASSERT_EQ(doc.m_ImageNames.size(), 6u);
    EXPECT_EQ(doc.m_ImageNames[3], CString(u"ssss1.gif"));
    EXPECT_EQ(doc.m_ImageNames[4], CString(u"ssss2.gif"));
    EXPECT_EQ(doc.m_ImageNames[5], CString(u"ssss10.gif"));
    // Without the picture library nothing loads, and nothing breaks.
    doc.SetCurrentImage(1);
    EXPECT_EQ(doc.m_nCurrentImage, 1);
    EXPECT_EQ(doc.m_pCurrentImage, nullptr);
    EXPECT_FALSE(doc.OpenDaoDatabase(u"x.mdb"));
}

TEST(ImageFolder, TheCurrentPictureIsDecodedThroughThePreview)
{
    std::string dir = testsupport::ScratchDir();
    image_samples::WriteFile(dir + "/a.png", image_samples::Png(8, 6));
    std::ofstream(dir + "/b.png") << "not a picture";
    InstallDocumentPreviewServices();
    CEx_StyleDoc doc;
    doc.OpenImageFolder(CString(std::u16string(dir.begin(), dir.end()).c_str()));
    ASSERT_EQ(doc.m_ImageNames.size(), 2u);
    doc.SetCurrentImage(0);
    auto* picture = dynamic_cast<CPreviewDocPicture*>(doc.m_pCurrentImage);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->m_image.GetWidth(), 8);
    EXPECT_EQ(picture->m_image.GetHeight(), 6);
    // A damaged picture leaves the document without one; the previous one is gone.
    doc.SetCurrentImage(1);
    EXPECT_EQ(doc.m_nCurrentImage, 1);
    EXPECT_EQ(doc.m_pCurrentImage, nullptr);
    SetDocumentPreviewServices(nullptr);
}

TEST(DaoStatus, SplitsTheStatusCodeIntoItsFields)
{
    EXPECT_EQ(FormatDaoStatus(LONG(0x800A0BCD)),
              CString(u"ERROR:CDaoException\n\nSCODE_CODE      =3021\nSCODE_FACILITY  =10\nSCODE_SEVERITY  =1\n"
                      u"ResultFromScode =-2146825267\n"));
}

std::u16string ClassesValue(const char16_t* key)
{
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return u"<none>";
    WCHAR value[600] = {};
    DWORD size = sizeof(value);
    ::RegQueryValueExW(handle, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(handle);
    return value;
}

using ShellRegistration = AppFixture;

// The program's path is quoted, so a folder with blanks still names the program.
TEST_F(ShellRegistration, TheOpenCommandQuotesTheProgramPath)
{
    EXPECT_EQ(CGCFileTypeAccess::OpenCommandFor(u"/opt/My Programs/dovemark"),
              CString(u"\"/opt/My Programs/dovemark\" \"%0\""));
    ASSERT_TRUE(StartApp());
    WCHAR program[520] = {};
    ::GetModuleFileNameW(nullptr, program, 520);
    std::u16string command = u"\"" + std::u16string(program) + u"\" \"%0\"";
    EXPECT_EQ(ClassesValue(u".DMK"), u"Dovemark.Document");
    EXPECT_EQ(ClassesValue(u".DMK\\shell\\open\\command"), command);
    // The framework's registration of the template follows and names the file as "%1", quoted as well.
    EXPECT_EQ(ClassesValue(u"Dovemark.Document\\shell\\open\\command"),
              u"\"" + std::u16string(program) + u"\" \"%1\"");
    EXPECT_EQ(ClassesValue(u"Dovemark.Document\\DefaultIcon"), std::u16string(program) + u",1");
}

} // namespace
