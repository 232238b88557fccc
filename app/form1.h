#pragma once
// The main window's state and handlers. The road of one image:
//
//   "Open BMP"          Command1_Click: open-file dialog -> decode the BMP (capture/) -> refuse > 132 x 132
//                       -> show it -> capture R, G, B of every pixel into componentStore
//   "Make Code"         Command2_Click: componentStore, size, depth, target, name -> codegen::makeImageCode,
//                       the one road that the command line, the fuzz targets and the benchmarks take too
//                       (reduce -> pack -> array text -> file image -> raw bytes) -> array text in Text2,
//                       value line on the clipboard, counts in Text4 and Text5, the file image in fileValues
//   "Make Header File"  Command3_Click: fileValues -> <image>.hex in the program's folder, all or nothing
//                       (beside the picture when the program's folder is not the user's to write: an
//                       installed copy in /usr/bin)
//
// A picture refused as too large that fitting could take gets a second button in its message box, "Fit
// to the panel", which opens it fitted this once.
//
// The picture's context menu adds four choices: "Fit larger pictures to the panel", which makes "Open BMP"
// scale a larger picture down instead of refusing it; the dithering and the panel's rotation, mirror,
// colour order and inversion that "Make Code" passes to makeImageCode (all off unless chosen); and "Show
// as the display shows it", which puts the file image of the last "Make Code", read back as the panel
// reads it and with the panel's transforms undone, in Picture1 instead of the picture as opened.
//
// The same menu chooses the display: the 132 x 132 panel of old (every depth), or a module by name, whose
// size "Open BMP" fits to, whose depths alone can be chosen and whose default depth is chosen with it (18
// and 24 Bit through "More depths", which clears the three depth options). A display over 256 in a side
// has two-byte sizes. A picture larger than the 132 x 132 frame is shown in it scaled down (frame.h).
//
// "Preview…" in the same menu, or a double-click on the picture, opens the preview window beside this one:
// the picture and the panel's view of it, zoomed, kept up to date with every choice above and with the
// depth option, without "Make Code" and without touching this window's state.
//
// "Colours" and "Compression" in the same menu store the picture in fewer bytes: a palette, one bit a
// pixel, and compression that quorvane_decode.h undoes on the device. A monochrome display comes with
// Monochrome in its page layout, and takes nothing else; a colour display takes anything but Monochrome.
//
// Each handler talks to the window only through MainView, so all of this runs without a toolkit.

#include "app/mainview.h"
#include "capture/capture.h"
#include "codegen/displays.h"
#include "codegen/imagecode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::app {

struct MainState {
    std::string imagePath;      // the picture captured last, as the dialog reported it
    std::int16_t imageLoaded = 0;
    std::string widthText;
    std::string heightText;
    std::string outputText;     // the value line of the last "Make Code", also on the clipboard
    // Fixed at 60,001 entries for the 132 x 132 panel; a larger display's picture makes them longer.
    std::vector<std::int32_t> componentStore = std::vector<std::int32_t>(capture::kStoreEntries);
    std::int32_t componentCount = 0;
    std::vector<std::int16_t> fileValues = std::vector<std::int16_t>(capture::kStoreEntries);
    std::int32_t outputCount = 0;
    std::int32_t pixelColor = 0;
    std::uint8_t pixelRed = 0, pixelGreen = 0, pixelBlue = 0;
    // Bytes of the raw file that the last "Make Code" prepared, size bytes included. The packed count
    // alone cannot tell it: a 1-pixel image packs to 2 values at 8, 12 and 16 Bit, but has 1, 2 or 2 data
    // bytes.
    std::size_t fileByteCount = 0;
    // As opened: its size is what Make Code converts (the texts above are the window's own), and it is
    // shown again after the display's view.
    capture::Picture picture;
    codegen::CodeOptions fileOptions; // the options that made the file image in fileValues
    codegen::Dither dithering = codegen::Dither::None;
    codegen::PanelOptions panel;
    std::optional<codegen::DisplayPreset> display; // none: the 132 x 132 panel, every depth
    std::optional<codegen::Depth> moreDepth;       // 18 or 24 Bit, chosen instead of the three options
    codegen::Storage storage;                      // "Colours" and "Compression": plain unless chosen
    bool fitLarger = false;
    bool showAsDisplayed = false;
};

class Form1 {
public:
    explicit Form1(MainView& view) : view_(view) {}

    void Form_Load();
    void ClearData();

    void Command1_Click(); // "Open BMP"
    void Command2_Click(); // "Make Code"
    void Command3_Click(); // "Make Header File"
    void Command4_Click(); // "Color Converter"
    void Picture1_MouseMove(int button, int shift, int x, int y);
    void Picture1_DblClick(); // opens the preview
    void Option_Click();      // a depth option chosen: "More depths" is cleared, and the preview follows
    void List1_Click();

    // A picture given at start-up (quorvane FILE) or dropped on the window: "Open BMP" without the dialog.
    void openGivenPicture(const std::string& path);

    // The picture's context menu.
    void setFitLarger(bool fit);
    void setDithering(codegen::Dither dithering);
    void setPanel(const codegen::PanelOptions& panel);
    void setDisplay(const std::optional<codegen::DisplayPreset>& display);
    void setMoreDepth(codegen::Depth depth); // "More depths": 18 or 24 Bit
    // "Colours": full colour, a palette of 256, 16, 4 or 2, or monochrome in a layout (compression is
    // left as it is); "Compression": none, rle, lz4 or the smallest.
    void setColours(const codegen::Storage& colours);
    void setCompression(codegen::Compression compression);
    void setShowAsDisplayed(bool show);
    void openPreview();
    // "Pack…": the Pack window, which converts with the choices above; "Make Pack…" in it takes them
    // as they are at that moment.
    void openPack();
    void makePack();
    // "Font…": the Font window, which draws in the panel's pixels as chosen above; "Make Code…" in it
    // takes them as they are at that moment.
    void openFont();
    void makeFont();

    const MainState& state() const { return state_; }

    static constexpr const char* kStartCaption = "Quorvane Tessaline.";
    // With a display chosen, Text2 lays the values out this many to a line, as `--columns 16` does: a
    // 320 x 480 picture's 460,000 values on one line would take the window seconds to lay out and the
    // reader a long scroll. The clipboard still gets the value line whole.
    static constexpr int kDisplayColumns = 16;

private:
    void openPicture();
    void openPicturePath(const std::string& path, bool fitThisOnce = false);
    void makeCode();
    void makeHeaderFile();
    void showCurrentPicture();
    codegen::Depth selectedDepth() const;
    std::vector<codegen::Depth> availableDepths() const;
    void chooseDepth(codegen::Depth depth);
    void showColours();
    codegen::CodeOptions currentOptions() const; // what "Make Code" would use now
    void updatePreview(); // and the Pack window's choices
    void updatePacking();
    void updateFonting();
    template <typename Handler> void guarded(Handler handler);

    MainView& view_;
    MainState state_;
    Preview* preview_ = nullptr; // the view's, once opened; the view keeps it while it calls these handlers
    Packing* packing_ = nullptr; // the same for the Pack window
    Fonting* fonting_ = nullptr; // and for the Font window
};

} // namespace quorvane::app
