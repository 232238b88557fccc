// Every command in this process: what the tests and the program that quorvane-cli hands pack and font
// to run. Kept apart from run.cpp so that quorvane-cli links neither command's libraries.
#include "cli/fontcommand.h"
#include "cli/options.h"
#include "cli/packcommand.h"
#include "cli/run.h"

#include <exception>
#include <unistd.h>

namespace quorvane::cli {

int run(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    const HandOver inProcess{
        .pack = [&](const PackCommand& pack) {
            try {
                return runPack(pack, out, err, terminal);
            } catch (const std::exception& e) { // the quantiser's, the compressor's or an index field's limit
                err << "quorvane-cli: the pack: " << e.what() << '\n';
                return 1;
            }
        },
        .font = [&](const FontCommand& font) {
            try {
                return runFont(font, out, err, terminal);
            } catch (const std::exception& e) { // a library's own failure: said, never a crash
                err << "quorvane-cli: the font: " << e.what() << '\n';
                return 1;
            }
        }};
    return run(args, out, err, inProcess);
}

} // namespace quorvane::cli
