#include "cli/outputs.h"

#include "codegen/atomicfile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace quorvane::cli {

namespace fs = std::filesystem;

std::optional<std::string> missingFolder(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    std::error_code ignored;
    if (folder.empty() || fs::is_directory(folder, ignored)) return std::nullopt;
    return "Cannot write " + path + ": " + std::strerror(fs::exists(folder, ignored) ? ENOTDIR : ENOENT) + ".";
}

bool writeOutputs(std::span<const Output> outputs, std::ostream& err) {
    // A folder that is not there fails every file meant for it: find out before the first is written.
    for (const Output& output : outputs) {
        if (const auto missing = missingFolder(output.path)) {
            err << "quorvane-cli: " << *missing << '\n';
            return false;
        }
    }
    for (const Output& output : outputs) {
        const auto error = output.written ? output.written->commit() : codegen::writeFileAtomically(output.path, output.bytes);
        if (error) {
            err << "quorvane-cli: " << *error << '\n';
            return false;
        }
    }
    return true;
}

namespace {

bool ended(std::ostream& out, std::ostream& err) {
    out << '\n';
    out.flush();
    if (out) return true;
    err << "quorvane-cli: cannot write the array text to standard output\n";
    return false;
}

class StreamSink : public codegen::TextSink {
  public:
    explicit StreamSink(std::ostream& out) : out_(out) {}
    void write(std::string_view text) override { out_.write(text.data(), static_cast<std::streamsize>(text.size())); }

  private:
    std::ostream& out_;
};

} // namespace

bool writeText(const codegen::ArrayText& text, std::ostream& out, std::ostream& err) {
    text.write(out, "\n");
    return ended(out, err);
}

bool writeText(const std::function<void(codegen::TextSink&)>& text, std::ostream& out, std::ostream& err) {
    StreamSink sink(out);
    text(sink);
    return ended(out, err);
}

std::string depfileRule(const std::string& target, const std::vector<std::string>& inputs) {
    const auto escaped = [](const std::string& path) {
        std::string out;
        for (const char c : path) {
            if (c == ' ' || c == '#') out += '\\';
            if (c == '$') out += '$';
            out += c;
        }
        return out;
    };
    std::string text = escaped(target) + ":";
    for (const std::string& input : inputs) text += " \\\n  " + escaped(input);
    return text + "\n";
}

File textFile(const std::string& path, const std::string& text) { return {path, {text.begin(), text.end()}}; }

File depfile(const std::string& path, const std::vector<File>& outputs, const std::vector<std::string>& inputs) {
    return textFile(path, depfileRule(outputs.empty() ? path : outputs.front().path, inputs));
}

bool writeFiles(const std::vector<File>& files, std::ostream& err) {
    std::vector<Output> outputs;
    for (const File& file : files) outputs.push_back({file.path, file.bytes});
    return writeOutputs(outputs, err);
}

} // namespace quorvane::cli
