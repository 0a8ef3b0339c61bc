// Word documents: the text reader on generated and damaged documents, the converter host with the Word
// converter, and the document view showing a document's text (or the damaged-file and unsupported pictures).
#include "preview/preview_fixture.h"

#include "backend/rtf/rtf_reader.h"
#include "engine/compound_file.h"
#include "preview/archive/archive_libraries.h"
#include "preview/converter_host.h"
#include "preview/document_view.h"
#include "preview/no_preview_view.h"
#include "preview/text_converters.h"
#include "preview/word_text_reader.h"
#include "res/preview/preview_res.h"
#include "support/support.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::u16string Utf16(const std::string& utf8) { return AnsiToWide(utf8, CP_UTF8); }

// A generated Word 97 document and the text a reader must show of it.
struct WordSample {
    std::string path;
    std::string bytes;
    std::u16string expected;
};

WordSample MakeWordDocument(const std::string& name, const std::string& options = "")
{
    const std::string folder = testsupport::ScratchDir();
    WordSample s;
    s.path = folder + "/" + name;
    const std::string command = "python3 '" + testsupport::FixturesDir() + "/make_word_doc.py' '" + s.path +
                                "' --expected '" + s.path + ".txt' " + options;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    s.bytes = ReadAll(s.path);
    s.expected = Utf16(ReadAll(s.path + ".txt"));
    return s;
}

std::u16string RtfText(const std::string& rtf)
{
    backend::RtfDocument doc;
    if (!backend::ReadRtf(rtf.data(), rtf.size(), doc))
        return u"<no rtf>";
    return doc.PlainText();
}

WordReadStatus Read(const std::string& bytes, std::u16string& text)
{
    return ReadWordText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), text);
}

std::vector<uint8_t> Stream(const std::string& bytes, std::u16string_view name)
{
    CompoundFile file(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    std::vector<uint8_t> out;
    EXPECT_TRUE(file.ReadRootStream(name, out));
    return out;
}

void Put32(std::vector<uint8_t>& d, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        d[at + i] = uint8_t(v >> (8 * i));
}

// A folder holding the Word converter's marker file (or none), named by WORDCNV_DIR.
std::string UseConverterFolder(bool withWordConverter, const std::vector<std::string>& more = {})
{
    RegisterWordConverter();
    const std::string folder = testsupport::ScratchDir() + "/textconv";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    if (withWordConverter)
        std::ofstream(folder + "/" WORD8_MODULE_NAME);
    for (const std::string& name : more)
        std::ofstream(folder + "/" + name);
    ::setenv("WORDCNV_DIR", folder.c_str(), 1);
    return folder;
}

} // namespace

TEST(WordTextReader, GeneratedDocumentsReadAsTheirText)
{
    for (const char* options : {"", "--table-stream 0Table", "--sector-shift 12"}) {
        SCOPED_TRACE(options);
        WordSample doc = MakeWordDocument("sample.doc", options);
        std::u16string text;
        ASSERT_EQ(Read(doc.bytes, text), WordReadStatus::Ok);
        EXPECT_EQ(RtfText(WordTextToRtf(text)), doc.expected);
        EXPECT_TRUE(IsWordDocument(reinterpret_cast<const uint8_t*>(doc.bytes.data()), doc.bytes.size()));
    }
    std::u16string text;
    EXPECT_EQ(Read(MakeWordDocument("locked.doc", "--encrypted").bytes, text), WordReadStatus::Encrypted);
    EXPECT_EQ(Read("{\\rtf1 not a document}", text), WordReadStatus::NotWord);
    EXPECT_EQ(Read("", text), WordReadStatus::NotWord);
}

TEST(WordTextReader, CutDocumentsAreRefusedWithoutOverrun)
{
    WordSample doc = MakeWordDocument("cut.doc");
    std::u16string text;
    for (size_t size = 0; size < doc.bytes.size(); size += 7) {
        // ASan watches every read of the cut copy, which ends exactly where the cut is.
        std::vector<uint8_t> cut(doc.bytes.begin(), doc.bytes.begin() + size);
        EXPECT_NE(ReadWordText(cut.data(), cut.size(), text), WordReadStatus::Ok) << size;
    }
}

TEST(WordTextReader, HostileTablesAreRefused)
{
    WordSample doc = MakeWordDocument("hostile.doc");
    const std::vector<uint8_t> document = Stream(doc.bytes, u"WordDocument");
    const std::vector<uint8_t> table = Stream(doc.bytes, u"1Table");
    ASSERT_GE(document.size(), 1024u);
    // Offsets in the file information block: text length, piece table offset and length; in the piece table
    // (after the 6-byte property run and the 5-byte head): character positions, then the descriptors.
    const size_t kTextChars = 76, kClxOffset = 0x1A2, kClxLength = 0x1A6, kPlc = 6 + 5;
    const uint32_t pieces = 4, kDescriptors = kPlc + 4 * (pieces + 1);
    struct {
        const char* what;
        bool inTable;
        size_t at;
        uint32_t value;
        WordReadStatus status;
    } cases[] = {
        {"text longer than the pieces", false, kTextChars, 100000, WordReadStatus::Damaged},
        {"text beyond what is shown", false, kTextChars, kMaxWordTextChars + 1, WordReadStatus::TooLarge},
        {"piece table past the stream", false, kClxOffset, 0xFFFFFFF0u, WordReadStatus::Damaged},
        {"piece table longer than the stream", false, kClxLength, 0x7FFFFFFFu, WordReadStatus::Damaged},
        {"no piece table", false, kClxLength, 0, WordReadStatus::Damaged},
        {"shorts count too small", false, 32, 3, WordReadStatus::NotWord},
        {"longs count beyond the block", false, 62, 0xFFFF, WordReadStatus::NotWord},
        {"property run running past the end", true, 1, 0x7FFF, WordReadStatus::Damaged},
        {"piece table length not a table", true, kPlc - 4, 17, WordReadStatus::Damaged},
        {"piece table length past the end", true, kPlc - 4, 0xFFFFFFFFu, WordReadStatus::Damaged},
        {"positions going backwards", true, kPlc + 8, 1, WordReadStatus::Damaged},
        {"first position not zero", true, kPlc, 5, WordReadStatus::Damaged},
        {"8-bit piece past the stream", true, kDescriptors + 2, 0x40000000u | 0x3FFFFFFFu, WordReadStatus::Damaged},
        {"16-bit piece past the stream", true, kDescriptors + 8 + 2, uint32_t(document.size() - 10),
         WordReadStatus::Damaged},
    };
    std::u16string text;
    ASSERT_EQ(ReadWordStreams(document, table, text), WordReadStatus::Ok);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> d = document, t = table;
        std::vector<uint8_t>& target = c.inTable ? t : d;
        if (c.at == 62 || c.at == 32 || c.at == 1) {
            target[c.at] = uint8_t(c.value);
            target[c.at + 1] = uint8_t(c.value >> 8);
        } else {
            Put32(target, c.at, c.value);
        }
        EXPECT_EQ(ReadWordStreams(d, t, text), c.status);
    }
    // Fields nested deeper than the reader follows, and never closed, still give text and no overrun.
    std::vector<uint8_t> d = document;
    for (size_t i = 1024; i < 1024 + 80; ++i)
        d[i] = 0x13;
    EXPECT_EQ(ReadWordStreams(d, table, text), WordReadStatus::Ok);
}

TEST(WordTextReader, RichTextEscapesWhatRtfReserves)
{
    const std::u16string text = u"a{b}\\c\u00e9\u4e2d\U0001F600\tx\vy\fz\r1\a2\a\a";
    const std::string rtf = WordTextToRtf(text);
    EXPECT_NE(rtf.find("a\\{b\\}\\\\c\\u233?\\u20013?\\u-10179?\\u-8704?"), std::string::npos) << rtf;
    EXPECT_EQ(RtfText(rtf), u"a{b}\\c\u00e9\u4e2d\U0001F600\tx\r\ny\r\nz\r\n1\t2\t\r\n");
}

class ConverterHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = UseConverterFolder(true);
        doc = MakeWordDocument("letter.doc");
        output = testsupport::ScratchDir() + "/out.rtf";
        std::filesystem::remove(output);
    }
    int Convert(const char* importClass, const char* exportClass, const std::string& input, std::string* errors)
    {
        ::testing::internal::CaptureStderr();
        const int result = WordConvMain(importClass, exportClass, input.c_str(), output.c_str());
        *errors = ::testing::internal::GetCapturedStderr();
        return result;
    }

    std::string folder, output;
    WordSample doc;
};

TEST_F(ConverterHostTest, WordConvertsToRtfInOneOrTwoSteps)
{
    for (const char* exportClass : {"RTF", WORD8_EXPORT_CLASS}) {
        SCOPED_TRACE(exportClass);
        std::filesystem::remove(output);
        std::string errors;
        EXPECT_EQ(Convert(WORD8_IMPORT_CLASS, exportClass, doc.path, &errors), 0);
        EXPECT_EQ(errors, "");
        EXPECT_EQ(RtfText(ReadAll(output)), doc.expected);
    }
    // Asked without a class, the converters recognise the document.
    std::string errors;
    EXPECT_EQ(Convert("", "RTF", doc.path, &errors), 0);
    EXPECT_EQ(errors, WORD8_MODULE_NAME ": info: sss recognised " + doc.path + " as class MSWord8, Word 97-2003\n");
    EXPECT_EQ(RtfText(ReadAll(output)), doc.expected);
    // The two-step conversion leaves no temporary file behind.
    WCHAR tempFolder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, tempFolder);
    const std::string tempPath = WideToAnsi(std::u16string(tempFolder));
    for (const auto& entry : std::filesystem::directory_iterator(tempPath))
        EXPECT_NE(entry.path().filename().string().substr(0, 3), "cnv") << entry.path();
}

TEST_F(ConverterHostTest, RichTextInputAndSetupFailures)
{
    const std::string rtfInput = testsupport::ScratchDir() + "/in.rtf";
    std::ofstream(rtfInput, std::ios::binary) << "{\\rtf1 plain}";
    std::string errors;
    // Rich text is recognised by its first bytes and written by the export class as it is.
    EXPECT_EQ(Convert("", WORD8_EXPORT_CLASS, rtfInput, &errors), 0);
    EXPECT_EQ(errors, rtfInput + " recognised as RTF\n");
    EXPECT_EQ(ReadAll(output), "{\\rtf1 plain}");

    EXPECT_EQ(Convert("rtf", "RTF", rtfInput, &errors), 1);
    EXPECT_EQ(errors, "wordcnv: error: Nothing to do; import and export class are the same\n");

    EXPECT_EQ(Convert(WORD8_IMPORT_CLASS, "RTF", "-q", &errors), 1);
    EXPECT_EQ(errors, "wordcnv: error: unknown option '-q'\n");

    // A damaged document: the conversion was attempted, the converter's failure is told, the output is empty.
    const std::string damaged = testsupport::ScratchDir() + "/damaged.doc";
    std::ofstream(damaged, std::ios::binary) << doc.bytes.substr(0, 1600);
    EXPECT_EQ(Convert(WORD8_IMPORT_CLASS, "RTF", damaged, &errors), 0);
    EXPECT_EQ(errors, "wordcnv: error: converter did not recognise input file '" + damaged + "'\n");
    EXPECT_EQ(ReadAll(output), "");

    // No converter in the folder: the class is not found; no folder at all: a setup failure.
    UseConverterFolder(false);
    std::filesystem::remove(output);
    EXPECT_EQ(Convert(WORD8_IMPORT_CLASS, WORD8_EXPORT_CLASS, doc.path, &errors), 0);
    EXPECT_EQ(errors, "wordcnv: error: Import class MSWord8 not found\n");
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_FALSE(WordConvFoundImportClass(WORD8_IMPORT_CLASS));
    ::setenv("WORDCNV_DIR", (folder + "/missing").c_str(), 1);
    EXPECT_EQ(Convert(WORD8_IMPORT_CLASS, "RTF", doc.path, &errors), 1);
    EXPECT_EQ(errors.rfind("wordcnv: error: FindFirstFile failed with error ", 0), 0u) << errors;
}

namespace {
LONG WINAPI TestInit(HANDLE, char*) { return 1; }
void WINAPI TestReadNames(HANDLE classes, HANDLE descriptions, HANDLE extensions)
{
    for (HANDLE h : {classes, descriptions, extensions}) {
        char* p = static_cast<char*>(::GlobalLock(h));
        std::memcpy(p, "Other\0\0", 7);
        ::GlobalUnlock(h);
    }
}
} // namespace

TEST_F(ConverterHostTest, ConverterFilesNeedMoreThanFiveCharacters)
{
    for (const char* name : {"x.cnv", "ab.wpc"})
        dovemark::RegisterModule(name, {{"InitConverter32", LibraryProc(&TestInit)},
                                        {"GetReadNames", LibraryProc(&TestReadNames)}});
    for (const char* name : {"x.cnv", "ab.wpc"}) {
        SCOPED_TRACE(name);
        UseConverterFolder(false, {name});
        std::string errors;
        Convert("Other", "RTF", doc.path, &errors);
        EXPECT_EQ(WordConvFoundImportClass("other"), std::string(name) == "ab.wpc");
    }
}

TEST_F(ConverterHostTest, RelativeOutputLandsInTheCurrentFolder)
{
    const std::filesystem::path before = std::filesystem::current_path();
    const std::string here = testsupport::ScratchDir();
    std::filesystem::current_path(here);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(WordConvMain(WORD8_IMPORT_CLASS, "RTF", doc.path.c_str(), "relative.rtf"), 0);
    ::testing::internal::GetCapturedStderr();
    std::filesystem::current_path(before);
    EXPECT_EQ(RtfText(ReadAll(here + "/relative.rtf")), doc.expected);
}

TEST_F(PreviewPaneTest, WordDocumentsShowTheirText)
{
    UseConverterFolder(true);
    WordSample doc = MakeWordDocument("letter.doc");
    WCHAR tempFolder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, tempFolder);
    const CString leftover = CString(tempFolder) + u"New.rtf";

    Preview(CString(doc.path.c_str()), u".DOC");
    auto* view = static_cast<CAdobeReaderView*>(pane->m_pDocumentView);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(::IsWindow(view->m_richEdit.m_hWnd));
    EXPECT_EQ(headless::Text(view->m_richEdit.m_hWnd), doc.expected);
    EXPECT_TRUE(GetWindowLongW(view->m_richEdit.m_hWnd, GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
    EXPECT_EQ(host.ok, 1);
    EXPECT_EQ(::GetFileAttributesW(leftover), INVALID_FILE_ATTRIBUTES);
    SavePicture("word");

    struct {
        const char* what;
        std::string bytes;
        UINT picture;
    } cases[] = {
        {"zero length", "", IDB_PREVIEW_DAMAGED},
        {"cut", doc.bytes.substr(0, doc.bytes.size() / 2), IDB_PREVIEW_DAMAGED},
        {"encrypted", MakeWordDocument("locked.doc", "--encrypted").bytes, IDB_PREVIEW_DAMAGED},
        {"not a compound file", "\xD0\xCF\x11\xE0", IDB_PREVIEW_DAMAGED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Preview(WriteFile("bad.doc", c.bytes), u".doc");
        ASSERT_NE(pane->m_pNoPreviewView, nullptr);
        EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), c.picture);
        EXPECT_EQ(::GetFileAttributesW(leftover), INVALID_FILE_ATTRIBUTES);
    }
    // Without the converter the kind cannot be previewed, which says nothing about the file.
    UseConverterFolder(false);
    Preview(CString(doc.path.c_str()), u".doc");
    ASSERT_NE(pane->m_pNoPreviewView, nullptr);
    EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_UNSUPPORTED);
}
