#pragma once
// The Pack window's state and handlers: pictures, animations and folders gathered into one pack with
// the main window's choices, converted off the interface thread (with progress and Cancel), listed with
// a thumbnail, size, frames and bytes, the selected animation played as the panel shows it at its
// delays, and "Make Pack" writing the .c, .h and raw file that `quorvane-cli pack` writes for the same
// inputs and choices.

#include "app/mainview.h"
#include "codegen/arraytext.h"
#include "codegen/display.h"
#include "packs/build.h"
#include "packs/inputs.h"
#include "packs/pack.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::app {

struct AssetRow {
    std::string name;
    int width = 0, height = 0;
    std::size_t frames = 0;
    std::size_t bytes = 0;             // its frames' parts and its palette
    codegen::DisplayedPicture thumbnail; // its first frame as the panel shows it
};

class PackView {
  public:
    virtual ~PackView() = default;
    virtual void showAssets(const std::vector<AssetRow>& rows, std::size_t packBytes) = 0;
    virtual void showFrame(const codegen::DisplayedPicture& frame) = 0; // the selected asset's frame
    virtual void scheduleFrame(int delayMs) = 0; // Packing::nextFrame after that long
    virtual void showBusy(bool busy) = 0;        // the progress bar and Cancel, or Make Pack
    // From the converting thread: the view brings it to the interface thread.
    virtual void showProgress(std::size_t done, std::size_t all) = 0;
    // Runs work off the interface thread, then done on it.
    virtual void runInBackground(std::function<void()> work, std::function<void()> done) = 0;
    virtual std::optional<std::string> chooseAddFiles() = 0; // nullopt when cancelled; a file or folder
    virtual std::optional<std::string> chooseMakeFile(const std::string& suggested) = 0; // the .c to write
    virtual void showMessage(const std::string& text, MessageIcon icon) = 0;
};

// What the main window's choices make of a pack, as the command line's options would.
struct PackChoices {
    packs::FrameStyle style;
    codegen::PictureSize panel{132, 132};
    bool fit = false;
    codegen::Target target = codegen::Target::Pic;
    bool operator==(const PackChoices&) const = default;
};

class Packing {
  public:
    explicit Packing(PackView& view) : view_(view) {}
    ~Packing(); // a conversion still running is cancelled

    void setChoices(const PackChoices& choices); // converted again when they change
    void addInputs(const std::vector<std::string>& paths); // files and folders, from the dialog or a drop
    void addChosen();                            // "Add…"
    void clear();
    void select(int row);
    void nextFrame();
    void cancel();
    void makePack();                             // "Make Pack…"

    const std::vector<AssetRow>& rows() const { return rows_; }
    const std::vector<std::uint8_t>& packBytes() const { return bytes_; }
    bool busy() const { return busy_; }
    int selected() const { return selected_; }
    std::size_t frame() const { return frame_; }

    // A frame of no delay is shown this long, so that the animation can be seen at all.
    static constexpr int kShortestDelayMs = 20;

  private:
    struct Result;
    static void convertInto(Result& result, const PackChoices& choices, PackView& view, const std::atomic<bool>& cancel);
    void convert();
    void finished(const std::shared_ptr<Result>& result);

    PackView& view_;
    PackChoices choices_;
    std::vector<packs::PackInput> inputs_;
    std::vector<packs::PackInput> converted_; // the inputs of the pack shown
    std::vector<AssetRow> rows_;
    std::vector<std::vector<codegen::DisplayedPicture>> shown_; // every frame of every asset
    std::vector<std::vector<int>> delays_;
    std::vector<std::uint8_t> bytes_;
    packs::Pack pack_;
    int selected_ = -1;
    std::size_t frame_ = 0;
    bool busy_ = false, again_ = false;
    std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
};

} // namespace quorvane::app
