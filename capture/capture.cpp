#include "capture/capture.h"

#include "capture/animation.h"
#include "capture/bmp.h"
#include "capture/fit.h"
#include "capture/formats.h"
#include "capture/inorder.h"
#include "capture/source.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <algorithm>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quorvane::capture {
namespace {

LoadError unreadable(const std::string& path, const std::string& reason) {
    return {LoadError::Kind::Unreadable, "Cannot open " + path + ": " + reason + "."};
}

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_ = -1;
};

// Opens a picture's file with the checks every reader makes before reading a byte of it, and says how
// long it is.
std::optional<LoadError> openChecked(const std::string& path, std::uintmax_t maxBytes, std::optional<FileHandle>& file,
                                     std::uint64_t& size) {
    file.emplace(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file->get() < 0) return unreadable(path, errno == ENOENT ? "the file does not exist" : std::strerror(errno));
    struct stat info {};
    if (::fstat(file->get(), &info) != 0) return unreadable(path, std::strerror(errno));
    if (S_ISDIR(info.st_mode)) return unreadable(path, "it is a folder, not a file");
    if (!S_ISREG(info.st_mode)) return unreadable(path, "it is not a regular file");
    if (info.st_size == 0) return unreadable(path, "the file is empty");
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        return unreadable(path, "the file is larger than any bitmap this program can open");
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return std::nullopt;
}

// What "Open BMP" and --fit make of a decoder's rows. The declared size decides: a picture the panel
// takes as it is, or one that is refused, or one that is fitted, whose rows are laid over the background
// and averaged as they come (beside the decoder), so it is never held whole.
class LoadSink : public RowSink {
  public:
    // With rows, the picture is handed to them instead of being kept.
    LoadSink(const LoadOptions& options, const std::string& name, PictureRows* rows = nullptr)
        : options_(options), name_(name), rows_(rows) {}

    std::optional<DecodeError> declared(DeclaredSize size) override {
        const bool larger = size.width > options_.maxWidth || size.height > options_.maxHeight;
        const bool fittable = size.width <= kMaxFitSide && size.height <= kMaxFitSide;
        if (larger && !options_.fit) return refuse(LoadError{LoadError::Kind::TooLarge, kTooLargeMessage, fittable});
        if (!fittable) {
            return refuse(unreadable(name_, "its size " + std::to_string(size.width) + " x " +
                                                std::to_string(size.height) + " is more than " +
                                                std::to_string(kMaxFitSide) +
                                                " pixels in a side, the most that can be fitted to the panel"));
        }
        declared_ = size;
        plan_ = fitPlan(size, {options_.maxWidth, options_.maxHeight}, options_.fitMode);
        fitting_ = larger;
        if (!larger && !rows_) whole_.emplace(pixelLimit());
        return std::nullopt;
    }

    // Four samples each way under every output pixel of the picture as scaled, the part kept included.
    DeclaredSize smallestUseful(DeclaredSize declared) const override {
        if (!fitting_) return declared;
        return {std::min(declared.width, 4 * plan_.scaled.width), std::min(declared.height, 4 * plan_.scaled.height)};
    }

    bool averages() const override { return fitting_; }

    void start(DeclaredSize size, bool alpha, const Sampling& sampling) override {
        if (whole_) return whole_->start(size, alpha, sampling);
        if (!fitting_) return (void)inOrder_.emplace(*rows_, size, alpha, options_.background);
        const auto axis = [](int samples, int source, const SampleAxis& sample, int scaled, int kept) {
            return AverageAxis{.samples = samples, .source = source, .unit = sample.unit,
                               .shortFirst = sample.shortFirst, .scaled = scaled, .kept = kept};
        };
        average_.emplace(axis(size.width, declared_.width, sampling.across, plan_.scaled.width, plan_.kept.width),
                         axis(size.height, declared_.height, sampling.down, plan_.scaled.height, plan_.kept.height));
        if (alpha) opaque_.resize(static_cast<std::size_t>(size.width));
    }

    void row(int y, int first, int step, std::span<const std::uint32_t> colours,
             std::span<const std::uint8_t> alpha) override {
        if (whole_) return whole_->row(y, first, step, colours, alpha);
        if (inOrder_) return inOrder_->row(y, first, step, colours, alpha);
        if (alpha.empty()) return average_->add(y, first, step, colours);
        for (std::size_t i = 0; i < colours.size(); ++i) {
            opaque_[i] = overBackground(colours[i], alpha[i], options_.background);
        }
        average_->add(y, first, step, std::span<const std::uint32_t>(opaque_).first(colours.size()));
    }

    void rgbRow(int y, std::span<const std::uint8_t> rgb) override {
        if (whole_) return RowSink::rgbRow(y, rgb);
        if (inOrder_) return inOrder_->rgbRow(y, rgb);
        average_->addRgb(y, rgb);
    }

    std::uint64_t pixelLimit() const override {
        return static_cast<std::uint64_t>(kMaxFitSide) * static_cast<std::uint64_t>(kMaxFitSide);
    }

    const std::optional<LoadError>& refusal() const { return refusal_; }

    Picture result() {
        if (whole_) return composite(whole_->take(), options_.background);
        return average_->result();
    }

    // The rows not yet handed on: those held out of order, or the whole fitted picture.
    void handRest() {
        if (inOrder_) return inOrder_->finish();
        if (!average_) return; // a decoder that never started: no rows, which the taker finds out
        const Picture fitted = average_->result();
        RowsInOrder rows(*rows_, {fitted.width, fitted.height}, false, options_.background);
        for (int y = 0; y < fitted.height; ++y) {
            const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(fitted.width);
            rows.row(y, 0, 1, std::span(fitted.pixels).subspan(at, static_cast<std::size_t>(fitted.width)), {});
        }
    }

  private:
    std::optional<DecodeError> refuse(LoadError error) {
        refusal_ = std::move(error);
        return DecodeError{refusal_->message};
    }

    const LoadOptions& options_;
    const std::string& name_;
    PictureRows* rows_;
    bool fitting_ = false;
    std::optional<RowsInOrder> inOrder_;
    std::optional<LoadError> refusal_;
    DeclaredSize declared_;
    FitPlan plan_;
    std::optional<PictureSink> whole_;
    std::optional<AreaAverage> average_;
    std::vector<std::uint32_t> opaque_; // one row laid over the background
};

std::variant<Picture, LoadError> loadFrom(ByteSource& file, const std::string& name, const LoadOptions& options) {
    LoadSink sink(options, name);
    const auto error = decoderFor(formatOf(file))(file, sink);
    if (sink.refusal()) return *sink.refusal();
    if (error) return unreadable(name, error->reason);
    return sink.result();
}

std::optional<LoadError> streamFrom(ByteSource& file, const std::string& name, const LoadOptions& options, PictureRows& rows) {
    LoadSink sink(options, name, &rows);
    const auto error = decoderFor(formatOf(file))(file, sink);
    if (sink.refusal()) return sink.refusal();
    if (error) return unreadable(name, error->reason);
    sink.handRest();
    return std::nullopt;
}

} // namespace

std::variant<Picture, LoadError> loadPicture(const std::string& path, const LoadOptions& options) {
    std::optional<FileHandle> file;
    std::uint64_t size = 0;
    if (auto refusal = openChecked(path, options.fit ? kMaxFitFileBytes : kMaxFileBytes, file, size)) return *refusal;
    // Read a piece at a time as the decoder asks: the headers first, so a refused picture costs only them.
    ByteSource source(file->get(), size);
    return loadFrom(source, path, options);
}

std::optional<LoadError> streamPicture(const std::string& path, const LoadOptions& options, PictureRows& rows) {
    std::optional<FileHandle> file;
    std::uint64_t size = 0;
    if (auto refusal = openChecked(path, options.fit ? kMaxFitFileBytes : kMaxFileBytes, file, size)) return refusal;
    ByteSource source(file->get(), size);
    return streamFrom(source, path, options, rows);
}

std::optional<LoadError> streamPictureFromBytes(std::span<const std::uint8_t> bytes, const std::string& name,
                                                const LoadOptions& options, PictureRows& rows) {
    ByteSource source(bytes);
    return streamFrom(source, name, options, rows);
}

std::variant<bool, LoadError> readAnimation(const std::string& path, FrameReceiver& receiver, std::uint64_t maxPixels) {
    std::optional<FileHandle> file;
    std::uint64_t size = 0;
    if (auto refusal = openChecked(path, kMaxFitFileBytes, file, size)) return *refusal;
    ByteSource source(file->get(), size);
    if (!isAnimationFile(source)) return false;
    if (auto error = readFrames(source, receiver, maxPixels)) return unreadable(path, error->reason);
    return true;
}

std::variant<Picture, LoadError> pictureFromBytes(std::span<const std::uint8_t> bytes, const std::string& name,
                                                  const LoadOptions& options) {
    ByteSource source(bytes);
    return loadFrom(source, name, options);
}

std::int32_t captureComponents(const Picture& picture, std::span<std::int32_t> store) {
    const std::size_t needed = 3 * picture.pixels.size();
    if (needed > store.size()) {
        throw std::length_error("captureComponents: " + std::to_string(picture.width) + " x " +
                                std::to_string(picture.height) + " does not fit the component store");
    }
    std::size_t count = 0;
    for (std::uint32_t color : picture.pixels) {
        store[count++] = static_cast<std::int32_t>(color & 0xFF);
        store[count++] = static_cast<std::int32_t>((color >> 8) & 0xFF);
        store[count++] = static_cast<std::int32_t>((color >> 16) & 0xFF);
    }
    return static_cast<std::int32_t>(count);
}

} // namespace quorvane::capture
