#pragma once
// What the main window's handlers need from the toolkit, and nothing more. ui/ implements it with Qt
// widgets; the tests implement it in memory.

#include "capture/bmp.h"
#include "codegen/format.h"
#include "codegen/storage.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvane::app {

class Fonting;
class Packing;

class Preview;

enum class TextBox { Text1, Text2, Text3, Text4, Text5 };
enum class ListBox { List1, List2, List3 };
enum class OptionButton { Option1, Option2, Option3, Option4, Option5 };
enum class MessageIcon { None, Error };

class MainView {
public:
    virtual ~MainView() = default;

    virtual void setCaption(const std::string& caption) = 0;
    virtual void setText(TextBox box, const std::string& text) = 0;
    virtual void clearList(ListBox list) = 0;
    virtual void addListItems(ListBox list, const std::vector<std::string>& items) = 0;
    virtual int selectedListIndex(ListBox list) const = 0; // -1 when nothing is selected
    virtual bool isSelected(OptionButton option) const = 0;
    // The depth shown as chosen, without calling back: its option, or for 18 and 24 Bit none of the three
    // options and its entry under "More depths" ticked; only the available depths can be chosen.
    virtual void showDepth(codegen::Depth depth, const std::vector<codegen::Depth>& available) = 0;

    virtual void setOpenDialog(const std::string& title, const std::string& filterName,
                               const std::string& pattern) = 0;
    virtual std::optional<std::string> chooseOpenFile() = 0; // nullopt when cancelled
    virtual void showPicture(const capture::Picture& picture) = 0;
    virtual void setShowAsDisplayedTicked(bool ticked) = 0; // the context menu's tick, without a callback
    // The colours chosen (full, a palette, or mono in a layout) ticked without a callback; monochrome can
    // be chosen only where `mono` allows it, full colour and palettes only where `colour` does.
    virtual void showColours(const codegen::Storage& colours, bool mono, bool colour) = 0;

    virtual void showMessage(const std::string& text, MessageIcon icon) = 0; // modal, titled "Quorvane"
    // The same box with the error icon and OK (the default, which does what showMessage's OK does), and
    // a second button, "Fit to the panel": true when that one was chosen.
    virtual bool offerToFit(const std::string& text) = 0;
    virtual void setClipboardText(const std::string& text) = 0;
    virtual std::string programFolder() const = 0;
    virtual void openColorConverter() = 0; // modal, owned by the main window
    // The preview window's handlers; the window, non-modal and owned by the main window, is made on the
    // first call but shown only by showPreview, so that it opens already fitted to its content.
    virtual Preview& preview() = 0;
    virtual void showPreview() = 0;
    // The Pack window's handlers, made on the first call like the preview's; showPacking shows it.
    virtual Packing& packing() = 0;
    virtual void showPacking() = 0;
    // The Font window's handlers, made on the first call in the same way; showFonting shows it.
    virtual Fonting& fonting() = 0;
    virtual void showFonting() = 0;
};

} // namespace quorvane::app
