// The window checked against the design at 96 DPI, written out here rather
// than computed from the form table, so that a slip in the table shows.
#include "WindowFixture.h"

#include <QGroupBox>
#include <QLabel>

TEST_F(WindowTest, EveryControlAsDesigned)
{
    open();
    EXPECT_EQ(w->windowTitle(), "Tolmarin");
    EXPECT_EQ(w->size(), QSize(588, 523));
    EXPECT_EQ(w->windowIcon().pixmap(16, 16).toImage().pixel(2, 2), QColor(0, 128, 128).rgb()); // 16 by 16
    const QColor none;
    const struct {
        const char* name;
        QRect at; // in the parent: the window, or Frame1 for the three inputs
        bool inFrame, fixedPitch;
        const char* caption;
        QPoint sample; // a point showing the background
        QColor background, text;
    } design[] = {
        {"MLyS", {4, 20, 581, 434}, false, true, "", {}, none, {0, 128, 0}},
        {"LaB(0)", {4, 4, 85, 16}, false, true, "DATE", {80, 8}, {0, 128, 0}, {0, 255, 0}},
        {"LaB(1)", {96, 4, 113, 16}, false, true, "BRANCH", {100, 8}, {0, 128, 0}, {0, 255, 0}},
        {"BaRc(0)", {88, 4, 9, 497}, false, false, "", {4, 200}, {0, 128, 128}, none},
        {"LaB(2)", {216, 4, 351, 16}, false, true, "REASON", {340, 8}, {0, 128, 0}, {0, 255, 0}},
        {"BaRc(1)", {208, 4, 9, 497}, false, false, "", {4, 480}, {0, 128, 128}, none},
        {"CLyS", {288, 56, 113, 381}, false, false, "", {}, none, {0, 0, 255}},
        {"Frame1", {0, 456, 585, 45}, false, false, "Add", {300, 40}, {128, 64, 0}, {255, 255, 0}},
        {"Label1", {2, 16, 88, 20}, true, true, "DATE", {80, 10}, {128, 64, 0}, {0, 255, 255}},
        {"Command1", {420, 504, 61, 17}, false, false, "Save", {4, 8}, {147, 208, 221}, none},
        {"Text1", {96, 16, 121, 21}, true, false, "", {60, 10}, {255, 255, 192}, {0, 128, 0}},
        {"Text2", {216, 16, 365, 21}, true, false, "", {60, 10}, {255, 255, 192}, {0, 128, 0}},
    };
    for (const auto& row : design) {
        SCOPED_TRACE(row.name);
        QWidget* control = find(row.name);
        EXPECT_EQ(control->geometry(), row.at);
        EXPECT_EQ(control->parentWidget(), row.inFrame ? find("Frame1") : w.get());
        const bool framed = qobject_cast<QGroupBox*>(control);
        EXPECT_EQ(control->property(framed ? "title" : "text").toString(), row.caption);
        EXPECT_EQ(control->isVisible(), std::string_view(row.name) != "CLyS");
        if (row.background.isValid()) {
            EXPECT_EQ(QColor(w->grab().toImage().pixel(control->mapTo(w.get(), row.sample))), row.background);
        }
        const bool onWindow = framed || qobject_cast<QLabel*>(control); // text in WindowText
        if (row.text.isValid()) {
            EXPECT_EQ(control->palette().color(onWindow ? QPalette::WindowText : QPalette::Text), row.text);
        }
        auto* field = qobject_cast<QComboBox*>(control); // its text is drawn by its edit field
        const QFont asked = (field ? field->lineEdit() : control)->font(); // as asked for, and as found:
        const QFontInfo font(asked);
        EXPECT_TRUE(font.bold());
        EXPECT_EQ(font.fixedPitch(), row.fixedPitch) << font.family().toStdString();
        EXPECT_DOUBLE_EQ(asked.pointSizeF(), row.fixedPitch ? 9 : 8.25);
    }
    EXPECT_TRUE(drawsColour(find("Frame1"), {255, 255, 0})); // the title
    list("CLyS")->show();
    EXPECT_EQ(QColor(list("CLyS")->grab().toImage().pixel(50, 300)), QColor(192, 192, 255));
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
    list("CLyS")->show(); // the picker takes its place once shown
    find("BaRc(1)")->setFocus();
    QTest::keyClick(find("BaRc(1)"), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), find("CLyS"));
}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) // headless unless told otherwise
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv); // before any widget
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
