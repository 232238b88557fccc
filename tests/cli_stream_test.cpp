// The command line's streamed road as a user meets it: a picture that fails after some of its rows have
// gone through leaves nothing written, and pack and font reach the program that runs them.
#include "support/bmpwriter.h"
#include "support/imagewriters.h"
#include "support/process.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using proctest::run;

namespace {

const std::string cli = QUORVANE_CLI_PATH;

std::vector<std::uint8_t> cut(std::vector<std::uint8_t> file, std::size_t keep) {
    file.resize(keep);
    return file;
}

} // namespace

TEST(CliStream, APictureThatFailsHalfwayLeavesEverythingAsItWas) {
    const tempdir::TempDir temp("clistream");
    const fs::path& dir = temp.path();
    const std::vector<std::uint8_t> samples(40 * 64 * 3, 90);
    const std::vector<std::uint8_t> png = imagetest::png({.width = 40, .height = 64, .rows = imagetest::patternRows(40, 64, 3)});
    const std::vector<std::uint8_t> wide = imagetest::png({.width = 300, .height = 8, .rows = imagetest::patternRows(300, 8, 3)});
    const std::vector<std::uint8_t> bmp = bmptest::bmp24(40, 64, bmptest::noise(40 * 64));
    const std::vector<std::uint8_t> jpeg = imagetest::jpeg(40, 64, samples, 3);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        std::vector<std::string> flags;
        std::vector<std::string> files; // option and file name pairs, written into the outputs' folder
    };
    // Each is cut where its decoder has handed some rows over already.
    const Case cases[] = {
        {"PNG, raw file and text", cut(png, png.size() * 2 / 3), {}, {}},
        {"PNG, preview and header too", cut(png, png.size() * 2 / 3), {}, {"--preview", "shown.png", "--header", "logo.h"}},
        {"PNG on a panel turned a quarter", cut(png, png.size() * 2 / 3), {"--rotate", "90"}, {}},
        {"PNG stored compactly", cut(png, png.size() * 2 / 3), {"--compress", "rle"}, {"--header", "logo.h"}},
        // Wider than one size byte holds, and cut: the file's fault is said first, as it always was.
        {"PNG too wide for its size bytes", cut(wide, wide.size() - 40), {"--panel", "320x240"}, {}},
        {"bottom-up BMP", cut(bmp, bmp.size() - 500), {}, {}},
        {"JPEG", cut(jpeg, jpeg.size() / 2), {}, {}},
    };
    for (const Case& c : cases) {
        const std::string picture = (dir / "broken").string();
        bmptest::writeFile(picture, c.file);
        std::vector<std::string> plain = {cli, "code"};
        plain.insert(plain.end(), c.flags.begin(), c.flags.end());
        plain.push_back(picture);
        const auto whole = run(plain);
        ASSERT_EQ(whole.status, 1) << c.name;
        ASSERT_EQ(whole.err.rfind("quorvane-cli: Cannot open " + picture + ": ", 0), 0u) << c.name << ": " << whole.err;
        EXPECT_EQ(whole.out, "") << c.name << ": nothing of the text on standard output";

        const fs::path outputs = dir / "outputs";
        fs::create_directories(outputs);
        for (const char* name : {"logo.c", "logo.hex", "logo.h", "shown.png"}) std::ofstream(outputs / name) << "previous";
        std::vector<std::string> args(plain.begin(), plain.end() - 1);
        args.insert(args.end(), {"--output", (outputs / "logo.c").string(), "--hex", (outputs / "logo.hex").string()});
        for (std::size_t i = 0; i + 1 < c.files.size(); i += 2) args.insert(args.end(), {c.files[i], (outputs / c.files[i + 1]).string()});
        args.push_back(picture);
        const auto result = run(args);
        EXPECT_EQ(result.status, 1) << c.name;
        EXPECT_EQ(result.err, whole.err) << c.name;
        std::size_t entries = 0;
        for (const auto& entry : fs::directory_iterator(outputs)) {
            ++entries;
            EXPECT_EQ(proctest::slurp(entry.path()), "previous") << c.name << ": " << entry.path();
        }
        EXPECT_EQ(entries, 4u) << c.name << ": no temporary file left behind";
        fs::remove_all(outputs);
    }
}

TEST(CliStream, PackAndFontGoOnToTheFullProgram) {
    const tempdir::TempDir temp("clifull");
    const fs::path& dir = temp.path();
    bmptest::writeFile(dir / "logo.bmp", bmptest::bmp24(3, 2, bmptest::noise(6)));
    const std::string logo = (dir / "logo.bmp").string();
    const std::string full = (fs::path(cli).parent_path() / "quorvane-cli-full").string();

    // The exit status and messages come through (the installed and packaged programs are tried on the
    // bytes of pack and font).
    const auto missing = run({cli, "font", "--size", "12", (dir / "none.ttf").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, run({full, "font", "--size", "12", (dir / "none.ttf").string()}).err);

    // quorvane-cli alone: code runs, a usage error is found before handing over, and a command that
    // needs the full program says where it looked.
    fs::create_directories(dir / "alone");
    const fs::path alone = dir / "alone" / "quorvane-cli";
    fs::copy_file(cli, alone);
    EXPECT_EQ(run({alone.string(), "code", logo}).status, 0);
    const auto usage = run({alone.string(), "pack"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("no INPUT given"), std::string::npos) << usage.err;
    const auto lost = run({alone.string(), "pack", logo});
    EXPECT_EQ(lost.status, 1);
    EXPECT_NE(lost.err.find("quorvane-cli: pack is run by quorvane-cli-full, which is not installed in "),
              std::string::npos)
        << lost.err;
    EXPECT_EQ(lost.out, "");
}
