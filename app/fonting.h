#pragma once
// The Font window's state and handlers: a font from a file or from the system's fonts, its size, bits a
// pixel and characters (printable ASCII, what is typed, what files hold), converted off the interface
// thread; a sample line drawn as the panel shows it, through the decoder the firmware runs; the glyph
// count, the bytes and the characters the font lacks; and "Make Code" writing what `quorvane-cli font`
// writes for the same choices, the source on the clipboard.

#include "app/mainview.h"
#include "codegen/arraytext.h"
#include "codegen/display.h"
#include "fonts/build.h"
#include "fonts/systemfonts.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::app {

struct FontSummary {
    std::size_t glyphs = 0, bytes = 0, kerningPairs = 0;
    std::string missing; // the characters the font lacks, "U+4E2D 中, U+00E9 é"; empty when none
};

class FontView {
  public:
    virtual ~FontView() = default;
    virtual void showSystemFonts(const std::vector<fonts::SystemFont>& fonts) = 0;
    virtual void showFontName(const std::string& name) = 0; // the font chosen: a family and style, or a file
    virtual void showSample(const codegen::DisplayedPicture& line) = 0; // as the panel shows it, unzoomed
    virtual void showSummary(const FontSummary& summary) = 0;
    virtual void showBusy(bool busy) = 0;
    virtual void showProgress(std::size_t done, std::size_t all) = 0; // from the converting thread
    virtual void runInBackground(std::function<void()> work, std::function<void()> done) = 0;
    virtual std::optional<std::string> chooseFontFile() = 0;  // nullopt when cancelled
    virtual std::optional<std::string> chooseCharsFile() = 0; // "From file…"
    virtual std::optional<std::string> chooseMakeFile(const std::string& suggested) = 0; // the .c to write
    virtual void setClipboardText(const std::string& text) = 0;
    virtual void showMessage(const std::string& text, MessageIcon icon) = 0;
};

// What the main window's choices make of a font's pixels, as the command line's options would.
struct FontChoices {
    fonts::PixelFormat pixel;
    codegen::Target target = codegen::Target::Pic;
    bool operator==(const FontChoices&) const = default;
};

class Fonting {
  public:
    explicit Fonting(FontView& view) : view_(view) {}
    ~Fonting(); // a conversion still running is cancelled

    void open();                                   // lists the system's fonts the first time
    void setChoices(const FontChoices& choices);   // converted again when they change
    void chooseFile();                             // "Font file…"
    void chooseSystemFont(std::size_t index);      // one of showSystemFonts' list
    void setFont(const std::string& path);
    void setSize(int px);
    void setBpp(int bpp);                          // until chosen: 1 for a mono panel, else 4
    void setCharacters(const std::string& utf8);   // what is typed; none: printable ASCII
    void addCharactersFile();                      // "From file…"
    void clearCharactersFiles();
    void setSample(const std::string& utf8);
    void cancel();
    void makeCode();                               // "Make Code…"

    const std::optional<fonts::BuiltFont>& font() const { return built_; }
    const fonts::FontRequest& request() const { return request_; }
    const std::vector<std::string>& charactersFiles() const { return files_; }
    bool busy() const { return busy_; }

  private:
    struct Result;
    void convert();
    void finished(const std::shared_ptr<Result>& result);
    void drawSample();

    FontView& view_;
    FontChoices choices_;
    fonts::FontRequest request_;
    bool bppChosen_ = false;
    std::string typed_;
    std::vector<std::string> files_;
    std::string sample_ = "Quorvane 0123";
    std::vector<fonts::SystemFont> systemFonts_;
    bool listed_ = false;
    std::optional<fonts::BuiltFont> built_;
    bool busy_ = false, again_ = false;
    std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
};

} // namespace quorvane::app
