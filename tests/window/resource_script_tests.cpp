// The resource script as the framework reads it: bad input read without harm, and the icons the
// program loads by id.
#include <string>

#include "platform/framework/resources.h"
#include "platform/gdi/target.h"
#include "res/resource.h"
#include "window_test_support.h"

using namespace platform::resources;
using namespace window_tests;

namespace {

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
          "#define", "#define X (", "\xff\xfe\x00", "LANGUAGE", "x y z ( ) | NOT NOT"})
        ParseResourceScript(bad, bad);
}

using ResourceLoading = WindowTest;

TEST_F(ResourceLoading, IconsLoadFromTheEmbeddedIconFile) {
    for (int id : {IDI_VISTREL, IDR_MAINFRAME}) {
        HICON icon = LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_GROUP_ICON),
                               MAKEINTRESOURCEW(id));
        auto pixels = platform::gdi::IconPixels(icon);
        ASSERT_NE(pixels, nullptr) << id;
        EXPECT_EQ(pixels->width(), 64);
        EXPECT_EQ(pixels->row(0)[0] >> 24, 0u) << "the corner is transparent";
        EXPECT_EQ(pixels->row(32)[32] >> 24, 255u) << "the middle is opaque";
    }
    EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(999)), nullptr);
}

} // namespace
