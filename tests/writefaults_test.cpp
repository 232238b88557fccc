// "Make Header File" where the file cannot be written: an error box that names the file and the reason,
// no success message, and any file of that name left exactly as it was.
#include "app/form1.h"
#include "support/bmpwriter.h"
#include "support/child.h"
#include "support/fakemainview.h"
#include "support/process.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>

namespace fs = std::filesystem;
using namespace quorvane::app;

namespace {

class WriteFault : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "program");
        fs::permissions(dir, fs::perms::all);
        // 132 x 132 at 12 Bit: a 26,138-byte file.
        std::vector<std::uint32_t> pixels(132 * 132);
        for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>(i * 40503u) & 0xFFFFFF;
        bmptest::writeFile(dir / "logo.bmp", bmptest::bmp24(132, 132, pixels));
    }
    void TearDown() override {
        if (mounted) ::umount((dir / "program").c_str());
    }

    // Captures, converts at 12 Bit and presses "Make Header File" over an existing logo.hex in `folder`
    // (the program's, unless it is not writable: then the picture's); returns what went wrong.
    std::string makeHeaderOverExistingFile(const fs::path& folder = {}) const {
        std::ostringstream failures;
        const fs::path target = (folder.empty() ? dir / "program" : folder) / "logo.hex";
        FakeMainView view;
        view.folder = (dir / "program").string();
        view.depthOption = FakeMainView::OptionButton::Option2;
        const auto form = formAfterOneRun(view, ((folder.empty() ? dir : folder) / "logo.bmp").string());
        if (view.messages.size() != 1) return "expected one message, got " + std::to_string(view.messages.size());
        const auto& message = view.messages[0];
        if (message.icon != MessageIcon::Error) failures << "no error icon (\"" << message.text << "\"); ";
        if (message.text.find("Created Successfully!") != std::string::npos) failures << "reported success; ";
        if (message.text.find(target.string()) == std::string::npos) failures << "\"" << message.text << "\" lacks the file; ";
        if (proctest::slurp(target) != "old contents") failures << "the existing file changed; ";
        const auto entries = std::distance(fs::directory_iterator(target.parent_path()), {});
        if (entries != (folder.empty() ? 1 : 2)) failures << entries << " files in the folder, temporaries left behind; ";
        return failures.str();
    }

    void existingFile() const { std::ofstream(dir / "program" / "logo.hex") << "old contents"; }

    tempdir::TempDir temp{"faults"};
    const fs::path& dir = temp.path();
    bool mounted = false;
};

} // namespace

// The program's folder is not writable, so the file goes beside the picture; that folder is not
// writable either, and the error names the file there.
TEST_F(WriteFault, FolderThatIsNotWritable) {
    const fs::path pictures = dir / "pictures";
    fs::create_directories(pictures);
    fs::copy_file(dir / "logo.bmp", pictures / "logo.bmp");
    std::ofstream(pictures / "logo.hex") << "old contents";
    const auto readOnly = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                          fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(dir / "program", readOnly);
    fs::permissions(pictures, readOnly);
    const std::string failures =
        childtest::runInChild([&] { return makeHeaderOverExistingFile(pictures); }, true);
    EXPECT_EQ(failures, "");
}

TEST_F(WriteFault, FullDisk) {
    if (::mount("tmpfs", (dir / "program").c_str(), "tmpfs", 0, "size=16k") != 0) {
        GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root): " << std::strerror(errno);
    }
    mounted = true;
    existingFile();
    EXPECT_EQ(makeHeaderOverExistingFile(), "");
}

TEST_F(WriteFault, FileSizeLimitReachedMidWrite) {
    existingFile();
    const std::string failures = childtest::runInChild(
        [this] {
            std::signal(SIGXFSZ, SIG_IGN); // the write then fails with EFBIG instead of ending the process
            const rlimit limit{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return makeHeaderOverExistingFile();
        },
        false);
    EXPECT_EQ(failures, "");
}
