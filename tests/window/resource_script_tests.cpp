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

TEST(ResourceScript, StyleExpressionsAndDefaults) {
    const char* header = "#define IDD_X 7\n#define IDC_A (40 + 2)\n";
    const char* script = R"(
IDD_X DIALOGEX 1, 2, 30, 40
CAPTION "He said ""hi"""
BEGIN
  CONTROL "t",IDC_A,"Static",NOT WS_VISIBLE | SS_NOTIFY | WS_BORDER,1,2,3,4
  CONTROL "",43,"Static",WS_TABSTOP | NOT WS_TABSTOP,1,2,3,4, WS_EX_TRANSPARENT | 0x8L
  LTEXT "label",44,5,6,7,8
END
STRINGTABLE
BEGIN
  5 "tab\there"
  6, "comma"
END
)";
    ResourceScript rc = ParseResourceScript(script, header);
    ASSERT_EQ(rc.dialogs.count(7), 1u);
    const DialogTemplate& d = rc.dialogs.at(7);
    EXPECT_EQ(d.caption, u"He said \"hi\"");
    EXPECT_EQ(d.style, (DWORD)(WS_POPUP | WS_BORDER | WS_SYSMENU | WS_CAPTION))
        << "without STYLE a dialog is a bordered popup with a system menu";
    ASSERT_EQ(d.controls.size(), 3u);
    EXPECT_EQ(d.controls[0].id, 42);
    EXPECT_EQ(d.controls[0].style, (DWORD)(WS_CHILD | SS_NOTIFY | WS_BORDER));
    EXPECT_EQ(d.controls[1].style, (DWORD)(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(d.controls[1].exStyle, (DWORD)(WS_EX_TRANSPARENT | 0x8));
    EXPECT_EQ(d.controls[2].className, u"Static");
    EXPECT_EQ(d.controls[2].text, u"label");
    EXPECT_EQ(d.controls[2].style, (DWORD)(WS_CHILD | WS_VISIBLE | WS_GROUP));
    EXPECT_EQ(rc.strings.at(5), u"tab\there");
    EXPECT_EQ(rc.strings.at(6), u"comma");
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

TEST_F(ResourceLoading, StringsLoadWithTheWin32BufferRules) {
    CString text;
    EXPECT_TRUE(text.LoadString(IDS_ABOUTBOX));
    EXPECT_EQ(text.str(), u"关于 Velvora(&A)...");
    EXPECT_FALSE(CString().LoadString(999));

    WCHAR buffer[8];
    EXPECT_EQ(LoadStringW(nullptr, IDS_ABOUTBOX, buffer, 8), 7);
    EXPECT_EQ(std::u16string(buffer), u"关于 Velv");
    LPCWSTR direct = nullptr;
    EXPECT_EQ(LoadStringW(nullptr, IDS_ABOUTBOX, (LPWSTR)&direct, 0), 17);
    EXPECT_EQ(std::u16string(direct), u"关于 Velvora(&A)...");
    EXPECT_EQ(LoadStringW(nullptr, 999, buffer, 8), 0);
    EXPECT_EQ(buffer[0], 0);
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
