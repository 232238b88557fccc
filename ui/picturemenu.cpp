#include "ui/picturemenu.h"

#include "app/form1.h"
#include "ui/widgets.h"

#include <QAction>
#include <QActionGroup>
#include <QSettings>
#include <QSignalBlocker>

namespace quorvane::ui {
namespace {

// The depths without an option of their own, in the order of moreDepths_.
constexpr codegen::Depth kMoreDepths[] = {codegen::Depth::Bits18, codegen::Depth::Bits24};

// The "Colours" menu's choices: each one's text, stored word and what it stores.
struct ColoursChoice {
    const char* text;
    const char* word;
    codegen::Storage colours;
};
const ColoursChoice kColours[] = {
    {"Full colour", "full", {}},
    {"Palette of 256", "256", {.paletteSize = 256}},
    {"Palette of 16", "16", {.paletteSize = 16}},
    {"Palette of 4", "4", {.paletteSize = 4}},
    {"Palette of 2", "2", {.paletteSize = 2}},
    {"Rows, leftmost pixel in the top bit", "mono-rows", {.mono = true, .monoLayout = codegen::MonoLayout::Rows}},
    {"Rows, leftmost pixel in bit 0", "mono-rows-lsb", {.mono = true, .monoLayout = codegen::MonoLayout::RowsLsb}},
    {"Pages of 8 rows (SSD1306, SH1106, ST7565, PCD8544)", "mono-pages", {.mono = true, .monoLayout = codegen::MonoLayout::Pages}},
};

const char* coloursWord(const codegen::Storage& storage) {
    for (const ColoursChoice& choice : kColours) {
        if (choice.colours.paletteSize == storage.paletteSize && choice.colours.mono == storage.mono &&
            (!storage.mono || choice.colours.monoLayout == storage.monoLayout)) {
            return choice.word;
        }
    }
    return "full";
}

constexpr std::pair<const char*, codegen::Compression> kCompressions[] = {
    {"None", codegen::Compression::None}, {"RLE", codegen::Compression::Rle},
    {"LZ4", codegen::Compression::Lz4},   {"Smallest", codegen::Compression::Auto}};

} // namespace

PictureMenu::PictureMenu(QWidget* parent) : QMenu(parent) {
    fitLarger_ = addAction("Fit larger pictures to the panel");
    fitLarger_->setCheckable(true);
    fitLarger_->setChecked(QSettings().value(kFitLargerKey, false).toBool());
    connect(fitLarger_, &QAction::toggled, this, [this](bool fit) {
        QSettings().setValue(kFitLargerKey, fit);
        if (onFitLarger) onFitLarger(fit);
    });

    QMenu* dithering = addMenu("Dithering");
    auto* group = new QActionGroup(this);
    const auto choice = [&](const char* text, codegen::Dither dither) {
        QAction* action = dithering->addAction(text);
        action->setCheckable(true);
        action->setData(toQt(std::string(codegen::ditherName(dither))));
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, dither] {
            QSettings().setValue(kDitheringKey, toQt(std::string(codegen::ditherName(dither))));
            if (onDithering) onDithering(dither);
        });
        return action;
    };
    none_ = choice("None", codegen::Dither::None);
    ordered_ = choice("Ordered", codegen::Dither::Ordered);
    errorDiffusion_ = choice("Error diffusion", codegen::Dither::ErrorDiffusion);

    // A setting that no longer names a mode (an older or a hand-edited file) falls back to none.
    const std::string stored = fromQt(QSettings().value(kDitheringKey, "none").toString());
    ditheringAction(codegen::ditherFromName(stored).value_or(codegen::Dither::None))->setChecked(true);

    buildPanelMenu();
    buildDisplayMenu();
    buildStorageMenus();

    showAsDisplayed_ = addAction("Show as the display shows it");
    showAsDisplayed_->setCheckable(true);
    connect(showAsDisplayed_, &QAction::toggled, this, [this](bool show) {
        if (onShowAsDisplayed) onShowAsDisplayed(show);
    });

    addSeparator();
    preview_ = addAction("Preview…");
    connect(preview_, &QAction::triggered, this, [this] {
        if (onPreview) onPreview();
    });
    pack_ = addAction("Pack…");
    connect(pack_, &QAction::triggered, this, [this] {
        if (onPack) onPack();
    });
    font_ = addAction("Font…");
    connect(font_, &QAction::triggered, this, [this] {
        if (onFont) onFont();
    });
}

// Rotate and Mirror are choices of one among several; the colour order and the inversion are ticks.
// Each is stored as it is chosen, in the words of the command line.
void PictureMenu::buildPanelMenu() {
    QMenu* panel = addMenu("Panel");
    QMenu* rotate = panel->addMenu("Rotate");
    auto* rotateGroup = new QActionGroup(this);
    const int storedRotation = QSettings().value(kRotateKey, 0).toInt();
    for (int i = 0; i < 4; ++i) {
        const int degrees = 90 * i;
        QAction* action = rotate->addAction(QString("%1°").arg(degrees));
        action->setCheckable(true);
        rotateGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, degrees] {
            QSettings().setValue(kRotateKey, degrees);
            panelChanged();
        });
        rotations_[i] = action;
    }
    // A stored value that is no quarter turn (a hand-edited file) falls back to none.
    rotationAction(codegen::isRotation(storedRotation) ? storedRotation : 0)->setChecked(true);

    QMenu* mirror = panel->addMenu("Mirror");
    auto* mirrorGroup = new QActionGroup(this);
    const struct {
        const char* text;
        codegen::Mirror mirror;
    } mirrors[] = {{"None", codegen::Mirror::None},
                   {"Left-right", codegen::Mirror::LeftRight},
                   {"Top-bottom", codegen::Mirror::TopBottom}};
    for (const auto& choice : mirrors) {
        QAction* action = mirror->addAction(choice.text);
        action->setCheckable(true);
        mirrorGroup->addAction(action);
        const QString name = toQt(std::string(codegen::mirrorName(choice.mirror)));
        connect(action, &QAction::triggered, this, [this, name] {
            QSettings().setValue(kMirrorKey, name);
            panelChanged();
        });
        mirrors_[static_cast<int>(choice.mirror)] = action;
    }
    const std::string storedMirror = fromQt(QSettings().value(kMirrorKey, "none").toString());
    mirrorAction(codegen::mirrorFromName(storedMirror).value_or(codegen::Mirror::None))->setChecked(true);

    const auto tick = [&](const char* text, const char* key) {
        QAction* action = panel->addAction(text);
        action->setCheckable(true);
        action->setChecked(QSettings().value(key, false).toBool());
        connect(action, &QAction::toggled, this, [this, key](bool on) {
            QSettings().setValue(key, on);
            panelChanged();
        });
        return action;
    };
    bgr_ = tick("Swap red and blue", kBgrKey);
    invert_ = tick("Invert colours", kInvertKey);
}

// One display is chosen at a time; its name is stored as the command line writes it.
void PictureMenu::buildDisplayMenu() {
    QMenu* menu = addMenu("Display");
    auto* group = new QActionGroup(this);
    const auto entry = [&](const QString& text, std::optional<codegen::DisplayPreset> display) {
        QAction* action = menu->addAction(text);
        action->setCheckable(true);
        group->addAction(action);
        const QString name = display ? toQt(std::string(display->name)) : QString();
        action->setData(name);
        connect(action, &QAction::triggered, this, [this, name, display] {
            QSettings().setValue(kDisplayKey, name);
            if (onDisplay) onDisplay(display);
        });
        displays_.push_back(action);
    };
    entry(kDefaultDisplayText, std::nullopt);
    for (const codegen::DisplayPreset& display : codegen::displayPresets()) {
        entry(QString("%1, %2 × %3 (%4)")
                  .arg(toQt(std::string(display.controller)))
                  .arg(display.size.width)
                  .arg(display.size.height)
                  .arg(toQt(std::string(display.name))),
              display);
    }
    // A name no longer in the table (a hand-edited file) falls back to the 132 x 132 panel.
    const QString stored = QSettings().value(kDisplayKey, QString()).toString();
    QAction* chosen = displayAction(fromQt(stored));
    (chosen ? chosen : displays_.front())->setChecked(true);

    QMenu* more = addMenu("More depths");
    auto* depths = new QActionGroup(this);
    depths->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (std::size_t i = 0; i < std::size(kMoreDepths); ++i) {
        const codegen::Depth depth = kMoreDepths[i];
        moreDepths_[i] = more->addAction(toQt(std::string(codegen::depthName(depth))) + " Bit");
        moreDepths_[i]->setCheckable(true);
        depths->addAction(moreDepths_[i]);
        connect(moreDepths_[i], &QAction::triggered, this, [this, depth] {
            if (onMoreDepth) onMoreDepth(depth);
        });
    }
}

// Both remembered in the words of the command line; a word no longer known falls back to today's bytes.
void PictureMenu::buildStorageMenus() {
    QMenu* colours = addMenu("Colours");
    QMenu* mono = nullptr;
    auto* group = new QActionGroup(this);
    for (const ColoursChoice& choice : kColours) {
        if (choice.colours.mono && !mono) mono = colours->addMenu("Monochrome");
        QAction* action = (choice.colours.mono ? mono : colours)->addAction(choice.text);
        action->setCheckable(true);
        action->setData(QString(choice.word));
        group->addAction(action);
        const codegen::Storage chosen = choice.colours;
        connect(action, &QAction::triggered, this, [this, chosen, word = QString(choice.word)] {
            QSettings().setValue(kColoursKey, word);
            if (onColours) onColours(chosen);
        });
        colours_.push_back(action);
    }
    QAction* stored = coloursAction(fromQt(QSettings().value(kColoursKey, "full").toString()));
    (stored ? stored : colours_.front())->setChecked(true);

    QMenu* compression = addMenu("Compression");
    auto* compressionGroup = new QActionGroup(this);
    for (const auto& [text, kind] : kCompressions) {
        QAction* action = compression->addAction(text);
        action->setCheckable(true);
        compressionGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, kind] {
            QSettings().setValue(kCompressionKey, toQt(std::string(codegen::compressionName(kind))));
            if (onCompression) onCompression(kind);
        });
        compressions_.push_back(action);
    }
    const std::string word = fromQt(QSettings().value(kCompressionKey, "none").toString());
    compressionAction(codegen::compressionFromName(word).value_or(codegen::Compression::None))->setChecked(true);
}

QAction* PictureMenu::coloursAction(std::string_view word) const {
    for (QAction* action : colours_) {
        if (fromQt(action->data().toString()) == word) return action;
    }
    return nullptr;
}

QAction* PictureMenu::compressionAction(codegen::Compression compression) const {
    return compressions_[static_cast<std::size_t>(compression)];
}

codegen::Storage PictureMenu::storage() const {
    codegen::Storage storage;
    for (std::size_t i = 0; i < colours_.size(); ++i) {
        if (colours_[i]->isChecked()) storage = kColours[i].colours;
    }
    for (std::size_t i = 0; i < compressions_.size(); ++i) {
        if (compressions_[i]->isChecked()) storage.compression = kCompressions[i].second;
    }
    return storage;
}

void PictureMenu::showColours(const codegen::Storage& colours, bool mono, bool colour) {
    const char* word = coloursWord(colours);
    for (std::size_t i = 0; i < colours_.size(); ++i) {
        const QSignalBlocker quiet(colours_[i]);
        colours_[i]->setChecked(fromQt(colours_[i]->data().toString()) == word);
        colours_[i]->setEnabled(kColours[i].colours.mono ? mono : colour);
    }
    // A display's own colours are remembered with it; written only when they change, not at every start.
    QSettings settings;
    if (settings.value(kColoursKey).toString() != word) settings.setValue(kColoursKey, QString(word));
}

std::optional<codegen::DisplayPreset> PictureMenu::display() const {
    for (QAction* action : displays_) {
        if (action->isChecked()) return codegen::displayPreset(fromQt(action->data().toString()));
    }
    return std::nullopt;
}

QAction* PictureMenu::displayAction(std::string_view name) const {
    for (QAction* action : displays_) {
        if (fromQt(action->data().toString()) == name) return action;
    }
    return nullptr;
}

QAction* PictureMenu::moreDepthAction(codegen::Depth depth) const {
    for (std::size_t i = 0; i < std::size(kMoreDepths); ++i) {
        if (kMoreDepths[i] == depth) return moreDepths_[i];
    }
    return nullptr;
}

void PictureMenu::showMoreDepth(codegen::Depth depth, const std::vector<codegen::Depth>& available) {
    for (std::size_t i = 0; i < std::size(kMoreDepths); ++i) {
        const QSignalBlocker quiet(moreDepths_[i]);
        moreDepths_[i]->setChecked(kMoreDepths[i] == depth);
        moreDepths_[i]->setEnabled(std::find(available.begin(), available.end(), kMoreDepths[i]) != available.end());
    }
}

void PictureMenu::bind(app::Form1& form) {
    onFitLarger = [&form](bool fit) { form.setFitLarger(fit); };
    onDithering = [&form](codegen::Dither dither) { form.setDithering(dither); };
    onPanel = [&form](const codegen::PanelOptions& panel) { form.setPanel(panel); };
    onShowAsDisplayed = [&form](bool show) { form.setShowAsDisplayed(show); };
    onPreview = [&form] { form.openPreview(); };
    onPack = [&form] { form.openPack(); };
    onFont = [&form] { form.openFont(); };
    onDisplay = [&form](const std::optional<codegen::DisplayPreset>& display) { form.setDisplay(display); };
    onMoreDepth = [&form](codegen::Depth depth) { form.setMoreDepth(depth); };
    onColours = [&form](const codegen::Storage& colours) { form.setColours(colours); };
    onCompression = [&form](codegen::Compression compression) { form.setCompression(compression); };
    form.setFitLarger(fitLarger());
    const codegen::Storage stored = storage();
    form.setCompression(stored.compression);
    form.setColours(stored);
    form.setDithering(dithering());
    form.setPanel(panel());
    form.setDisplay(display());
}

void PictureMenu::panelChanged() {
    if (onPanel) onPanel(panel());
}

codegen::PanelOptions PictureMenu::panel() const {
    codegen::PanelOptions options;
    options.invert = invert_->isChecked();
    options.bgr = bgr_->isChecked();
    for (int i = 0; i < 4; ++i) {
        if (rotations_[i]->isChecked()) options.rotation = 90 * i;
    }
    for (codegen::Mirror mirror : {codegen::Mirror::LeftRight, codegen::Mirror::TopBottom}) {
        if (mirrorAction(mirror)->isChecked()) options.mirror = mirror;
    }
    return options;
}

QAction* PictureMenu::rotationAction(int degrees) const {
    return codegen::isRotation(degrees) ? rotations_[degrees / 90] : nullptr;
}

QAction* PictureMenu::mirrorAction(codegen::Mirror mirror) const { return mirrors_[static_cast<int>(mirror)]; }

bool PictureMenu::fitLarger() const { return fitLarger_->isChecked(); }

codegen::Dither PictureMenu::dithering() const {
    if (ordered_->isChecked()) return codegen::Dither::Ordered;
    if (errorDiffusion_->isChecked()) return codegen::Dither::ErrorDiffusion;
    return codegen::Dither::None;
}

void PictureMenu::setShowAsDisplayedTicked(bool ticked) {
    const QSignalBlocker quiet(showAsDisplayed_);
    showAsDisplayed_->setChecked(ticked);
}

QAction* PictureMenu::ditheringAction(codegen::Dither dither) const {
    switch (dither) {
    case codegen::Dither::Ordered:
        return ordered_;
    case codegen::Dither::ErrorDiffusion:
        return errorDiffusion_;
    case codegen::Dither::None:
        break;
    }
    return none_;
}

} // namespace quorvane::ui
