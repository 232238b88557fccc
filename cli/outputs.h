#pragma once
// Writing what a command computed: every output is made before the first is written, every folder is
// checked before the first is written, and each file is replaced whole or not at all.

#include "codegen/arraytext.h"
#include "codegen/atomicfile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace quorvane::cli {

struct Output {
    std::string path;
    std::span<const std::uint8_t> bytes; // owned by the caller until written
    codegen::AtomicFile* written = nullptr; // instead of the bytes: a file already written, to be committed
};

// Why a file cannot be written for want of its folder, in the words the writer would have used.
std::optional<std::string> missingFolder(const std::string& path);

// Every output, after finding out that every folder is there; false, the reason said on err, on the
// first that fails.
bool writeOutputs(std::span<const Output> outputs, std::ostream& err);

// Make's rule for a depfile: the target, then every input, blanks escaped.
std::string depfileRule(const std::string& target, const std::vector<std::string>& inputs);

// A file a command makes, holding its bytes until it is written.
struct File {
    std::string path;
    std::vector<std::uint8_t> bytes;
};

File textFile(const std::string& path, const std::string& text);
// The depfile at path: the first of outputs is its target (the depfile itself when there is none).
File depfile(const std::string& path, const std::vector<File>& outputs, const std::vector<std::string>& inputs);
// writeOutputs for files that hold their own bytes.
bool writeFiles(const std::vector<File>& files, std::ostream& err);

// The array text on standard output, piece by piece; false, said on err, when it cannot be written.
bool writeText(const codegen::ArrayText& text, std::ostream& out, std::ostream& err);
// The same for a text that writes itself into a sink, a block at a time.
bool writeText(const std::function<void(codegen::TextSink&)>& text, std::ostream& out, std::ostream& err);

} // namespace quorvane::cli
