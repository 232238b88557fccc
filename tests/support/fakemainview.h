#pragma once
// The main window held in memory: what Form1's handlers see in the tests.

#include "app/form1.h"
#include "app/mainview.h"
#include "app/fonting.h"
#include "app/packing.h"
#include "app/preview.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// The preview window held in memory: what the preview's handlers last showed.
struct FakePreviewView : quorvane::app::PreviewView {
    void showViews(const quorvane::codegen::DisplayedPicture& p, const quorvane::codegen::DisplayedPicture& panel) override {
        picture = p;
        panelView = panel;
        ++updates;
    }
    void showZoom(int z, bool g) override {
        zoom = z;
        grid = g;
    }
    void setStatus(const std::string& text) override { status = text; }
    std::optional<std::string> chooseSaveFile(const std::string& suggested) override {
        suggestedFile = suggested;
        return saveAs;
    }
    void showMessage(const std::string& text, quorvane::app::MessageIcon) override { messages.push_back(text); }

    quorvane::codegen::DisplayedPicture picture, panelView;
    int updates = 0;
    int zoom = 0;
    bool grid = false;
    std::string status;
    std::string suggestedFile;
    std::optional<std::string> saveAs;
    std::vector<std::string> messages;
};

// What the Pack and Font windows' fakes share: their background work runs at once, on the calling
// thread, unless `holdWork` keeps it for the test to run; their messages are kept.
template <typename View> struct FakeWorkView : View {
    void showBusy(bool b) override { busy = b; }
    void showProgress(std::size_t done, std::size_t all) override { progress.emplace_back(done, all); }
    void runInBackground(std::function<void()> work, std::function<void()> done) override {
        if (holdWork) {
            held.emplace_back(std::move(work), std::move(done));
            return;
        }
        work();
        done();
    }
    void showMessage(const std::string& text, quorvane::app::MessageIcon) override { messages.push_back(text); }

    bool busy = false;
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    bool holdWork = false;
    std::vector<std::pair<std::function<void()>, std::function<void()>>> held;
    std::vector<std::string> messages;
};

// The Pack window held in memory.
struct FakePackView : FakeWorkView<quorvane::app::PackView> {
    void showAssets(const std::vector<quorvane::app::AssetRow>& r, std::size_t bytes) override {
        rows = r;
        packBytes = bytes;
    }
    void showFrame(const quorvane::codegen::DisplayedPicture& frame) override { frames.push_back(frame); }
    void scheduleFrame(int delayMs) override { delays.push_back(delayMs); }
    std::optional<std::string> chooseAddFiles() override { return addChoice; }
    std::optional<std::string> chooseMakeFile(const std::string&) override { return makeChoice; }

    std::vector<quorvane::app::AssetRow> rows;
    std::size_t packBytes = 0;
    std::vector<quorvane::codegen::DisplayedPicture> frames;
    std::vector<int> delays;
    std::optional<std::string> addChoice, makeChoice;
};

struct FakeFontView : FakeWorkView<quorvane::app::FontView> {
    void showSystemFonts(const std::vector<quorvane::fonts::SystemFont>& f) override { systemFonts = f; }
    void showFontName(const std::string& name) override { fontName = name; }
    void showSample(const quorvane::codegen::DisplayedPicture& line) override { samples.push_back(line); }
    void showSummary(const quorvane::app::FontSummary& s) override { summary = s; }
    std::optional<std::string> chooseFontFile() override { return fontChoice; }
    std::optional<std::string> chooseCharsFile() override { return charsChoice; }
    std::optional<std::string> chooseMakeFile(const std::string&) override { return makeChoice; }
    void setClipboardText(const std::string& text) override { clipboard = text; }

    std::vector<quorvane::fonts::SystemFont> systemFonts;
    std::string fontName;
    std::vector<quorvane::codegen::DisplayedPicture> samples;
    quorvane::app::FontSummary summary;
    std::optional<std::string> fontChoice, charsChoice, makeChoice;
    std::string clipboard;
};

struct FakeMainView : quorvane::app::MainView {
    using TextBox = quorvane::app::TextBox;
    using ListBox = quorvane::app::ListBox;
    using OptionButton = quorvane::app::OptionButton;
    using MessageIcon = quorvane::app::MessageIcon;

    struct Message {
        std::string text;
        MessageIcon icon;
    };

    void setCaption(const std::string& c) override { caption = c; }
    void setText(TextBox box, const std::string& text) override { texts[box] = text; }
    void clearList(ListBox list) override { lists[list].clear(); }
    void addListItems(ListBox list, const std::vector<std::string>& items) override {
        lists[list].insert(lists[list].end(), items.begin(), items.end());
    }
    int selectedListIndex(ListBox) const override { return selectedIndex; }
    bool isSelected(OptionButton option) const override {
        if (option == OptionButton::Option4) return pic;
        if (option == OptionButton::Option5) return !pic;
        return depthOption == option;
    }
    void showDepth(quorvane::codegen::Depth depth, const std::vector<quorvane::codegen::Depth>& available) override {
        using quorvane::codegen::Depth;
        depthOption = depth == Depth::Bits8 ? std::optional{OptionButton::Option1}
                      : depth == Depth::Bits12 ? std::optional{OptionButton::Option2}
                      : depth == Depth::Bits16 ? std::optional{OptionButton::Option3}
                                               : std::nullopt;
        shownDepth = depth;
        availableDepths = available;
    }
    void setOpenDialog(const std::string& t, const std::string& name, const std::string& pattern) override {
        dialogTitle = t;
        dialogFilter = name + "|" + pattern;
    }
    std::optional<std::string> chooseOpenFile() override {
        ++dialogsShown;
        return nextFile;
    }
    void showPicture(const quorvane::capture::Picture& picture) override { shownPicture = picture; }
    void setShowAsDisplayedTicked(bool ticked) override { showAsDisplayedTicked = ticked; }
    void showColours(const quorvane::codegen::Storage& colours, bool mono, bool colour) override {
        shownColours = colours;
        monoAllowed = mono;
        colourAllowed = colour;
    }
    void showMessage(const std::string& text, MessageIcon icon) override { messages.push_back({text, icon}); }
    bool offerToFit(const std::string& text) override {
        messages.push_back({text, MessageIcon::Error});
        ++fitOffers;
        return chooseFit;
    }
    void setClipboardText(const std::string& text) override { clipboard = text; }
    std::string programFolder() const override { return folder; }
    void openColorConverter() override { ++converterOpenings; }
    quorvane::app::Preview& preview() override { return previewHandlers; }
    void showPreview() override { ++previewOpenings; }
    quorvane::app::Packing& packing() override { return packingHandlers; }
    void showPacking() override { ++packOpenings; }
    quorvane::app::Fonting& fonting() override { return fontingHandlers; }
    void showFonting() override { ++fontOpenings; }

    std::string text(TextBox box) const {
        const auto it = texts.find(box);
        return it == texts.end() ? "" : it->second;
    }
    std::vector<std::string> list(ListBox l) const {
        const auto it = lists.find(l);
        return it == lists.end() ? std::vector<std::string>{} : it->second;
    }

    std::string caption = "Quorvane Tessaline.";
    std::map<TextBox, std::string> texts;
    std::map<ListBox, std::vector<std::string>> lists;
    int selectedIndex = -1;
    std::optional<OptionButton> depthOption = OptionButton::Option1; // none while 18 or 24 Bit is chosen
    std::optional<quorvane::codegen::Depth> shownDepth;
    std::vector<quorvane::codegen::Depth> availableDepths;
    bool pic = true;
    std::string dialogTitle, dialogFilter;
    std::optional<std::string> nextFile;
    int dialogsShown = 0;
    std::optional<quorvane::capture::Picture> shownPicture;
    std::optional<bool> showAsDisplayedTicked;
    quorvane::codegen::Storage shownColours;
    bool monoAllowed = true, colourAllowed = true;
    std::vector<Message> messages;
    int fitOffers = 0;      // of the messages, those that offered "Fit to the panel"
    bool chooseFit = false; // the button the user presses in such a box
    std::string clipboard;
    std::string folder;
    int converterOpenings = 0;
    FakePreviewView previewView;
    quorvane::app::Preview previewHandlers{previewView};
    int previewOpenings = 0;
    FakePackView packView;
    quorvane::app::Packing packingHandlers{packView};
    int packOpenings = 0;
    FakeFontView fontView;
    quorvane::app::Fonting fontingHandlers{fontView};
    int fontOpenings = 0;
};

// A window that has been through the whole road once: start-up, "Open BMP" on `picture`, "Make Code"
// and "Make Header File", as a user would.
inline std::unique_ptr<quorvane::app::Form1> formAfterOneRun(FakeMainView& view, const std::string& picture) {
    auto form = std::make_unique<quorvane::app::Form1>(view);
    form->Form_Load();
    view.nextFile = picture;
    form->Command1_Click();
    form->Command2_Click();
    form->Command3_Click();
    return form;
}
