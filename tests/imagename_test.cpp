#include "codegen/imagename.h"

#include <gtest/gtest.h>

using namespace quorvane::codegen;

TEST(ImageName, FromPaths) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"/home/u/img/logo.bmp", "logo"},
        {"C:\\img\\logo.bmp", "logo"},
        {"D:\\my.pics\\sun.rise.bmp", "sun.rise"},
        {"logo.bmp", "logo"},
        {"/img/photo.BMP", "photo"},
        {"/mixed\\dir/name.bmp", "name"},
        {"/img/abcdefgh", "abcd"},  // four characters go, whatever they are
        {"/img/.bmp", ""},
        {"/img/ab", "ab"},          // too short to hold an extension: kept whole
        {"/img/", ""},
        {"", ""},
        {"x", "x"},
        // A picture's own extension goes whole, in any case; others keep the four-character rule.
        {"/img/photo.jpeg", "photo"},
        {"/img/photo.JPEG", "photo"},
        {"/img/logo.Png", "logo"},
        {"/img/a.gif", "a"},
        {"/img/spinner.WebP", "spinner"},
        {"/img/.jpeg", ""},
        {"/img/scan.tiff", "scan."},
        {"/img/shot.jpeg2", "shot.j"},
    };
    for (const auto& c : cases) EXPECT_EQ(imageNameFromPath(c.path), c.expected) << c.path;
}

TEST(ImageName, CIdentifiers) {
    struct Case {
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"logo", "logo"},     {"my.photo", "my_photo"}, {"sun rise-2", "sun_rise_2"}, {"1st", "_1st"},
        {"", "_"},            {"int", "_int"},          {"rom", "_rom"},              {"const", "_const"},
        {"_ok", "_ok"},       {"Int", "Int"},           {"caf\xc3\xa9", "caf__"},     {"9", "_9"},
    };
    for (const auto& c : cases) EXPECT_EQ(cIdentifier(c.name), c.expected) << c.name;
}
