// The resource script as the framework reads it, and the reader's behaviour on bad input.
#include <string>

#include "platform/framework/resources.h"
#include "platform/gdi/target.h"
#include "res/resource.h"
#include "window_test_support.h"

using namespace platform::resources;
using namespace window_tests;

namespace {

// The program's own script: what the viewer loads by id is there, in its language.
TEST(ResourceScript, StringsAndFilesOfTheProgram) {
    const ResourceScript& rc = Resources();
    EXPECT_EQ(rc.stringLanguages.at(IDS_ABOUTBOX), 2052);
    for (int id : {IDR_MAINFRAME, IDI_VISTREL})
        EXPECT_NE(FindEmbeddedFile(rc.file("ICON", id)->file), nullptr) << id;
    EXPECT_NE(rc.file("PNG", IDR_NO_SIGNAL_PICTURE), nullptr);
    EXPECT_EQ(rc.version.strings.at("FileVersion"), u"1.2.6.0");
}

TEST(ResourceScript, TruncatedOrGarbledScriptsAreReadWithoutHarm) {
    const platform::EmbeddedFile* file = FindEmbeddedFile("Vistrel.rc");
    ASSERT_NE(file, nullptr);
    const std::string script((const char*)file->data, file->size);
    const platform::EmbeddedFile* header = FindEmbeddedFile("resource.h");
    const std::string ids((const char*)header->data, header->size);
    // Every cut of the real script, and a few hostile inputs.
    for (size_t cut = 0; cut < script.size(); cut += 7)
        ParseResourceScript(std::string_view(script).substr(0, cut), ids);
    for (const char* bad :
         {"BEGIN BEGIN BEGIN", "END END", "\"unterminated", "/* open comment", "1 DIALOGEX",
          "1 DIALOGEX ,,,, BEGIN CONTROL", "STRINGTABLE BEGIN 5", "1 VERSIONINFO BEGIN BLOCK",
          "#define", "#define X (", "\xff\xfe\x00", "LANGUAGE", "x y z ( ) | NOT NOT"}) {
        ResourceScript rc = ParseResourceScript(bad, bad);
        (void)rc;
    }
}

class ResourceLoading : public WindowTest {};

TEST_F(ResourceLoading, StringsLoadByTheirIds) {
    CString text;
    EXPECT_TRUE(text.LoadString(IDS_ABOUTBOX));
    EXPECT_EQ(text.str(), u"关于 Velvora(&A)...");
    EXPECT_FALSE(CString().LoadString(999));
}

TEST_F(ResourceLoading, IconsLoadFromTheEmbeddedIconFile) {
    EXPECT_NE(AfxFindResourceHandle(MAKEINTRESOURCEW(IDI_VISTREL), RT_GROUP_ICON), nullptr);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(999), RT_GROUP_ICON), nullptr);
    for (int id : {IDI_VISTREL, IDR_MAINFRAME}) {
        HICON icon = LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_GROUP_ICON),
                               MAKEINTRESOURCEW(id));
        ASSERT_NE(icon, nullptr) << id;
        EXPECT_EQ(icon, LoadIconW(nullptr, MAKEINTRESOURCEW(id))) << "resource icons are shared";
        auto pixels = platform::gdi::IconPixels(icon);
        ASSERT_NE(pixels, nullptr);
        EXPECT_EQ(pixels->width(), 64);
        EXPECT_EQ(pixels->height(), 64);
        EXPECT_EQ(pixels->row(0)[0] >> 24, 0u) << "the corner is transparent";
        EXPECT_EQ(pixels->row(32)[32] >> 24, 255u) << "the middle is opaque";
    }
    EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(999)), nullptr);
}

} // namespace
