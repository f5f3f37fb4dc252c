// The window as built from the form table, checked against the design in
// pixels at 96 DPI, written out here rather than computed, so that a slip in
// the table shows.
#include "WindowFixture.h"

#include <QGroupBox>
#include <QPushButton>

namespace {

QColor drawnAt(QWidget* widget, QPoint point) { return QColor(widget->grab().toImage().pixel(point)); }

QString caption(QWidget* widget)
{
    if (auto* frame = qobject_cast<QGroupBox*>(widget))
        return frame->title();
    return widget->property("text").toString();
}

} // namespace

TEST_F(WindowTest, EveryControlAsDesigned)
{
    open();
    EXPECT_EQ(w->windowTitle(), "Tolmarin");
    EXPECT_EQ(w->size(), QSize(588, 523));

    struct Row {
        const char* name;
        QRect at; // in the parent: the window, or Frame1 for the three inputs
        bool inFrame;
        const char* caption;
        QPoint sample; // a point showing the background
        QColor background;
        QPalette::ColorRole textRole;
        QColor text;
        bool fixedPitch;
        bool shown;
    };
    const QColor none;
    const Row design[] = {
        {"MLyS", {4, 20, 581, 434}, false, "", {}, none, QPalette::Text, {0, 128, 0}, true, true},
        {"LaB(0)", {4, 4, 85, 16}, false, "DATE", {80, 8}, {0, 128, 0}, QPalette::WindowText, {0, 255, 0}, true, true},
        {"LaB(1)", {96, 4, 113, 16}, false, "BRANCH", {100, 8}, {0, 128, 0}, QPalette::WindowText, {0, 255, 0}, true, true},
        {"BaRc(0)", {88, 4, 9, 497}, false, "", {4, 200}, {0, 128, 128}, QPalette::Text, none, false, true},
        {"LaB(2)", {216, 4, 351, 16}, false, "REASON", {340, 8}, {0, 128, 0}, QPalette::WindowText, {0, 255, 0}, true, true},
        {"BaRc(1)", {208, 4, 9, 497}, false, "", {4, 480}, {0, 128, 128}, QPalette::Text, none, false, true},
        {"CLyS", {288, 56, 113, 381}, false, "", {}, none, QPalette::Text, {0, 0, 255}, false, false},
        {"Frame1", {0, 456, 585, 45}, false, "Add", {300, 40}, {128, 64, 0}, QPalette::WindowText, {255, 255, 0}, false, true},
        {"Label1", {2, 16, 88, 20}, true, "DATE", {80, 10}, {128, 64, 0}, QPalette::WindowText, {0, 255, 255}, true, true},
        {"Command1", {420, 504, 61, 17}, false, "Save", {4, 8}, {147, 208, 221}, QPalette::Text, none, false, true},
        {"Text1", {96, 16, 121, 21}, true, "", {60, 10}, {255, 255, 192}, QPalette::Text, {0, 128, 0}, false, true},
        {"Text2", {216, 16, 365, 21}, true, "", {60, 10}, {255, 255, 192}, QPalette::Text, {0, 128, 0}, false, true},
    };
    for (const Row& row : design) {
        SCOPED_TRACE(row.name);
        QWidget* control = find(row.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), row.at);
        EXPECT_EQ(control->parentWidget(), row.inFrame ? find("Frame1") : w.get());
        EXPECT_EQ(caption(control), row.caption);
        EXPECT_EQ(control->isVisible(), row.shown);
        if (row.background.isValid()) {
            EXPECT_EQ(drawnAt(control, row.sample), row.background);
        }
        if (row.text.isValid()) {
            EXPECT_EQ(control->palette().color(row.textRole), row.text);
        }
        // A combo box's text is drawn by its edit field.
        auto* field = qobject_cast<QComboBox*>(control);
        const QFontInfo font((field ? field->lineEdit() : control)->font());
        EXPECT_TRUE(font.bold());
        if (row.fixedPitch) {
            EXPECT_TRUE(font.fixedPitch()) << font.family().toStdString();
            EXPECT_EQ(font.pointSize(), 9);
        } else {
            EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25);
        }
    }
    EXPECT_TRUE(drawsColour(find("Frame1"), {255, 255, 0})); // the title
    // The picker, once shown, is drawn in its colour.
    list("CLyS")->show();
    EXPECT_EQ(drawnAt(list("CLyS"), {50, 300}), QColor(192, 192, 255));
}

TEST_F(WindowTest, StackingAndTabOrder)
{
    open();
    QStringList bottomToTop;
    for (QObject* child : w->children()) {
        if (child->isWidgetType())
            bottomToTop << child->objectName();
    }
    EXPECT_EQ(bottomToTop, (QStringList{"LaB(2)", "LaB(1)", "LaB(0)", "MLyS", "CLyS", "Frame1", "BaRc(0)", "BaRc(1)",
                                        "Command1"}));

    find("MLyS")->setFocus();
    QStringList order;
    for (int i = 0; i < 7; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (QStringList{"MLyS", "BaRc(0)", "BaRc(1)", "Command1", "Text1", "Text2", "MLyS"}));
    // The picker takes its place once shown.
    list("CLyS")->show();
    find("BaRc(1)")->setFocus();
    QTest::keyClick(find("BaRc(1)"), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), find("CLyS"));
}

TEST_F(WindowTest, IconIsSixteenBySixteenInAtMostSixteenColours)
{
    w = std::make_unique<qtui::HQ>(dir.str());
    const QImage icon = w->windowIcon().pixmap(16, 16).toImage();
    EXPECT_EQ(icon.size(), QSize(16, 16));
    QSet<QRgb> colours;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            colours.insert(icon.pixel(x, y));
    EXPECT_GT(colours.size(), 2);
    EXPECT_LE(colours.size(), 16);
}
