#include "ui/colorconverterwindow.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using quorvane::colorconv::Box;
using quorvane::ui::ColorConverterWindow;
using quorvane::ui::MainWindow;

namespace {

// Runs `steps` inside the converter's modal loop, opened by a real click on "Color Converter", then
// closes it with its close box.
void withConverter(MainWindow& main, const std::function<void(ColorConverterWindow&)>& steps) {
    bool ran = false;
    QTimer::singleShot(0, &main, [&] {
        ColorConverterWindow* converter = main.colorConverter();
        if (converter && converter->isVisible()) {
            steps(*converter);
            ran = true;
            converter->close();
        }
    });
    QTest::mouseClick(main.findChild<QWidget*>("Command4"), Qt::LeftButton);
    EXPECT_TRUE(ran) << "the converter did not open modally";
}

class RealColorConverter : public ::testing::Test {
protected:
    void SetUp() override {
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    }
    MainWindow main;
};

std::string text(ColorConverterWindow& w, Box box) { return w.box(box)->text().toStdString(); }

void type(ColorConverterWindow& w, Box box, const char* value) {
    w.box(box)->clear();
    QTest::keyClicks(w.box(box), value);
}

} // namespace

TEST_F(RealColorConverter, WindowLayoutAndInitialState) {
    withConverter(main, [](ColorConverterWindow& w) {
        EXPECT_EQ(w.windowTitle(), "Color Converter");
        EXPECT_EQ(w.size(), QSize(341, 137));
        EXPECT_EQ(w.minimumSize(), w.maximumSize());
        EXPECT_TRUE(w.isModal());
        EXPECT_EQ(w.parentWidget(), w.parentWidget()->window());
        EXPECT_TRUE((w.windowFlags() & Qt::Tool) == Qt::Tool) << "a tool window stays out of the taskbar";
        EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
        const std::pair<Box, QRect> boxes[] = {
            {Box::rr, {96, 16, 41, 19}},  {Box::gg, {144, 16, 41, 19}}, {Box::bb, {192, 16, 41, 19}},
            {Box::er, {96, 40, 41, 19}},  {Box::tb, {192, 64, 41, 19}}, {Box::sg, {144, 88, 41, 19}},
            {Box::ec, {272, 40, 65, 19}}, {Box::tc, {272, 64, 65, 19}}, {Box::sc, {272, 88, 65, 19}},
            {Box::cr, {96, 112, 41, 19}}, {Box::cb, {192, 112, 41, 19}}, {Box::cc, {272, 112, 65, 19}}};
        for (auto [box, geometry] : boxes) EXPECT_EQ(w.box(box)->geometry(), geometry) << quorvane::colorconv::boxName(box);
        EXPECT_EQ(w.customButton()->geometry(), QRect(8, 112, 81, 17));
        EXPECT_EQ(w.customButton()->text(), "Custom");
        EXPECT_FALSE(w.customButton()->isDefault());
        EXPECT_FALSE(w.customButton()->autoDefault());
        EXPECT_EQ(static_cast<QWidget*>(w.swatch())->geometry(), QRect(8, 16, 73, 65));
        for (auto [name, caption] : {std::pair{"Label2", "Red"}, {"Label3", "Green"}, {"Label4", "Blue"},
                                     {"Label5", "8 Bit"}, {"Label6", "12 Bit"}, {"Label7", "16 Bit"}}) {
            auto* label = w.findChild<QLabel*>(name);
            ASSERT_NE(label, nullptr) << name;
            EXPECT_EQ(label->text(), caption);
        }
        for (Box box : {Box::rr, Box::gg, Box::bb, Box::er, Box::eg, Box::eb, Box::tr, Box::tg, Box::tb, Box::sr,
                        Box::sg, Box::sb}) {
            EXPECT_TRUE(w.box(box)->isReadOnly()) << quorvane::colorconv::boxName(box);
        }
        for (Box box : {Box::ec, Box::tc, Box::sc, Box::cr, Box::cg, Box::cb, Box::cc}) EXPECT_FALSE(w.box(box)->isReadOnly());
        EXPECT_EQ(text(w, Box::cr), "0");
        EXPECT_EQ(text(w, Box::cb), "0");
        EXPECT_EQ(text(w, Box::rr), "");
        EXPECT_EQ(text(w, Box::cc), "");
        EXPECT_EQ(w.focusWidget(), w.box(Box::rr)) << "focus starts in rr";
        // Typing into a read-only component box does nothing.
        QTest::keyClicks(w.box(Box::er), "5");
        EXPECT_EQ(text(w, Box::er), "");
    });
}

TEST_F(RealColorConverter, TypedColourThroughCustom) {
    withConverter(main, [](ColorConverterWindow& w) {
        type(w, Box::cr, "18");
        type(w, Box::cg, "52");
        type(w, Box::cb, "86");
        QTest::mouseClick(w.customButton(), Qt::LeftButton);
        EXPECT_EQ(text(w, Box::rr) + " " + text(w, Box::gg) + " " + text(w, Box::bb), "18 52 86");
        EXPECT_EQ(text(w, Box::er) + " " + text(w, Box::eg) + " " + text(w, Box::eb) + " " + text(w, Box::ec), "0 1 1 0x5");
        EXPECT_EQ(text(w, Box::tr) + " " + text(w, Box::tg) + " " + text(w, Box::tb) + " " + text(w, Box::tc), "1 3 5 0x1350");
        EXPECT_EQ(text(w, Box::sr) + " " + text(w, Box::sg) + " " + text(w, Box::sb) + " " + text(w, Box::sc), "2 12 10 0x118A");
        EXPECT_EQ(text(w, Box::cc), "0x563412");
        EXPECT_EQ(w.swatchPixel(), 0x563412u) << "the swatch shows the typed colour";
        // Enter in an entry box does not press "Custom".
        type(w, Box::cr, "255");
        QTest::keyClick(w.box(Box::cr), Qt::Key_Return);
        EXPECT_EQ(text(w, Box::rr), "18");
    });
}

TEST_F(RealColorConverter, PickCancelAndReopen) {
    std::vector<std::optional<QColor>> answers = {QColor(255, 0, 0), std::nullopt};
    std::vector<QColor> offered;
    withConverter(main, [&](ColorConverterWindow& w) {
        w.colorChooser = [&](const QColor& current) -> std::optional<QColor> {
            offered.push_back(current);
            auto answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        };
        QTest::mouseClick(static_cast<QWidget*>(w.swatch()), Qt::LeftButton);
        EXPECT_EQ(text(w, Box::cc), "0x0000FF");
        EXPECT_EQ(text(w, Box::tc), "0xF000");
        EXPECT_EQ(text(w, Box::cr), "255");
        type(w, Box::cr, "0");
        type(w, Box::cb, "255");
        QTest::mouseClick(w.customButton(), Qt::LeftButton); // blue
        EXPECT_EQ(text(w, Box::cc), "0xFF0000");
        QTest::mouseClick(static_cast<QWidget*>(w.swatch()), Qt::LeftButton); // cancel: the dialog's red
        EXPECT_EQ(text(w, Box::cc), "0x0000FF");
        EXPECT_EQ(w.swatchPixel(), 0x0000FFu);
    });
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[0], QColor(0, 0, 0)) << "the dialog starts on black";
    EXPECT_EQ(offered[1], QColor(255, 0, 0));

    withConverter(main, [&](ColorConverterWindow& w) {
        EXPECT_EQ(text(w, Box::cc), "") << "a reopened window starts from its design";
        EXPECT_EQ(text(w, Box::cr), "0");
        EXPECT_NE(w.swatchPixel(), 0x0000FFu);
        w.colorChooser = [&](const QColor& current) -> std::optional<QColor> {
            offered.push_back(current);
            return std::nullopt;
        };
        QTest::mouseClick(static_cast<QWidget*>(w.swatch()), Qt::LeftButton);
        EXPECT_EQ(text(w, Box::cc), "0x000000") << "a cancel in a reopened window gives black";
    });
    EXPECT_EQ(offered.back(), QColor(0, 0, 0));
}

TEST_F(RealColorConverter, RowLabelsStayClearOfTheCodeBoxes) {
    withConverter(main, [](ColorConverterWindow& w) {
        for (const char* name : {"Label5", "Label6", "Label7"}) {
            auto* label = w.findChild<QLabel*>(name);
            ASSERT_NE(label, nullptr) << name;
            EXPECT_EQ(label->x(), 240) << name;
            EXPECT_LT(label->x() + QFontMetrics(label->font()).horizontalAdvance(label->text()), w.box(Box::ec)->x())
                << name << " would be hidden under the code box";
        }
    });
}
