// The preview tests' frame and files.
#include "preview/preview_fixture.h"

#include "support/support.h"

CString PreviewPaneTest::WriteFile(const std::string& name, const std::string& bytes)
{
    std::string path = testsupport::ScratchDir() + "/" + name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size());
    return CString(path.c_str());
}

void PreviewPaneTest::SavePicture(const std::string& name)
{
    headless::SavePng(hFrame, testsupport::BinaryDir() + "/preview_" + name + ".png");
}
