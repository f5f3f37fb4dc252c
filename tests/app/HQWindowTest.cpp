#include <ClickableLabel.h>
#include <HQ.h>
#include <ListBoxView.h>
#include <LineListModel.h>
#include <TempDir.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using testing_support::TempDir;

namespace {

QColor colourAt(QWidget* widget, QPoint point)
{
    return QColor(widget->grab().toImage().pixel(point));
}

QStringList rows(const QAbstractItemModel* model)
{
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}

class Window : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<HQ> w;

    void open()
    {
        w = std::make_unique<HQ>(dir.str());
        w->load();
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
};

} // namespace

TEST_F(Window, CaptionSizeAndIcon)
{
    open();
    EXPECT_EQ(w->windowTitle(), "Tolmarin");
    EXPECT_EQ(w->size(), QSize(588, 523));
    const QImage icon = w->windowIcon().pixmap(16, 16).toImage();
    EXPECT_EQ(icon.size(), QSize(16, 16));
    QSet<QRgb> colours;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            colours.insert(icon.pixel(x, y));
    EXPECT_GT(colours.size(), 2);
    EXPECT_LE(colours.size(), 16);
}

TEST_F(Window, EveryControlStandsAtItsPlace)
{
    open();
    // Twips divided by 15; frame children relative to the frame.
    const std::vector<std::pair<QWidget*, QRect>> expected = {
        {w->MLyS(), {4, 20, 581, 434}},      {w->LaB(0), {4, 4, 85, 16}},
        {w->LaB(1), {96, 4, 113, 16}},       {w->BaRc(0), {88, 4, 9, 497}},
        {w->LaB(2), {216, 4, 351, 16}},      {w->BaRc(1), {208, 4, 9, 497}},
        {w->CLyS(), {288, 56, 113, 381}},    {w->Frame1(), {0, 456, 585, 45}},
        {w->Label1(), {2, 16, 88, 20}},      {w->Command1(), {420, 504, 61, 17}},
        {w->Text1(), {96, 16, 121, 21}},     {w->Text2(), {216, 16, 365, 21}},
    };
    for (const auto& [control, rect] : expected)
        EXPECT_EQ(control->geometry(), rect) << control->objectName().toStdString();
    for (QWidget* child : {static_cast<QWidget*>(w->Label1()), static_cast<QWidget*>(w->Text1()),
                           static_cast<QWidget*>(w->Text2())})
        EXPECT_EQ(child->parentWidget(), w->Frame1());
}

TEST_F(Window, CaptionsAndStartingState)
{
    open();
    EXPECT_EQ(w->LaB(0)->text(), "DATE");
    EXPECT_EQ(w->LaB(1)->text(), "BRANCH");
    EXPECT_EQ(w->LaB(2)->text(), "REASON");
    EXPECT_EQ(w->Frame1()->title(), "Add");
    EXPECT_EQ(w->Label1()->text(), "DATE");
    EXPECT_EQ(w->Command1()->text(), "Save");
    EXPECT_TRUE(w->BaRc(0)->text().isEmpty());
    EXPECT_TRUE(w->CLyS()->isHidden());
    EXPECT_EQ(w->Text1()->currentText(), "");
    EXPECT_EQ(w->Text2()->currentText(), "");
    EXPECT_FALSE(w->Command1()->isDefault());
    EXPECT_FALSE(w->Command1()->autoDefault());
    EXPECT_EQ(w->Text1()->insertPolicy(), QComboBox::NoInsert);
    EXPECT_EQ(w->Text1()->completer(), nullptr);
}

TEST_F(Window, AccessibleNames)
{
    open();
    EXPECT_EQ(w->MLyS()->accessibleName(), "Entries");
    EXPECT_EQ(w->Label1()->accessibleName(), "Date");
    EXPECT_EQ(w->Text1()->accessibleName(), "Branch");
    EXPECT_EQ(w->Text2()->accessibleName(), "Reason");
    EXPECT_EQ(w->Command1()->accessibleName(), "Save");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(w->LaB(i)->accessibleName(), w->LaB(i)->text());
    for (QWidget* child : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_FALSE(child->accessibleName().isEmpty()) << child->objectName().toStdString();
}

TEST_F(Window, ColoursAsDrawn)
{
    open();
    EXPECT_EQ(colourAt(w->LaB(1), {100, 8}), QColor(0, 128, 0));
    EXPECT_EQ(colourAt(w->BaRc(0), {4, 200}), QColor(0, 128, 128));
    EXPECT_EQ(colourAt(w->Frame1(), {300, 40}), QColor(128, 64, 0));
    const QImage frame = w->Frame1()->grab().toImage();
    bool yellowTitle = false;
    for (int x = 0; x < 40 && !yellowTitle; ++x)
        for (int y = 0; y < 14 && !yellowTitle; ++y)
            yellowTitle = QColor(frame.pixel(x, y)) == QColor(255, 255, 0);
    EXPECT_TRUE(yellowTitle);
    EXPECT_EQ(colourAt(w->Command1(), {4, 8}), QColor(147, 208, 221));
    EXPECT_EQ(colourAt(w->Text1(), {60, 10}), QColor(255, 255, 192));
    EXPECT_EQ(w->MLyS()->palette().color(QPalette::Text), QColor(0, 128, 0));
    EXPECT_EQ(w->LaB(0)->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_EQ(w->Label1()->palette().color(QPalette::WindowText), QColor(0, 255, 255));
    EXPECT_EQ(w->Text2()->palette().color(QPalette::Text), QColor(0, 128, 0));
    EXPECT_EQ(w->CLyS()->palette().color(QPalette::Text), QColor(0, 0, 255));
    w->CLyS()->show();
    EXPECT_EQ(colourAt(w->CLyS(), {50, 300}), QColor(192, 192, 255));
}

TEST_F(Window, CourierControlsUseAFixedPitchFont)
{
    open();
    for (QWidget* control : {static_cast<QWidget*>(w->MLyS()), static_cast<QWidget*>(w->LaB(0)),
                             static_cast<QWidget*>(w->Label1())}) {
        const QFontInfo info(control->font());
        EXPECT_TRUE(info.fixedPitch()) << info.family().toStdString();
        EXPECT_TRUE(info.bold());
        EXPECT_EQ(info.pointSize(), 9);
        const QFontMetrics metrics(control->font());
        EXPECT_EQ(metrics.horizontalAdvance("iiiiiiiiii"), metrics.horizontalAdvance("MMMMMMMMMM"));
    }
    // The rest use the window's font: bold, 8.25 point.
    for (QWidget* control : {static_cast<QWidget*>(w->Command1()), static_cast<QWidget*>(w->Frame1()),
                             static_cast<QWidget*>(w->Text1()->lineEdit()),
                             static_cast<QWidget*>(w->Text2()->lineEdit()), static_cast<QWidget*>(w->CLyS())}) {
        EXPECT_TRUE(QFontInfo(control->font()).bold()) << control->objectName().toStdString();
        EXPECT_DOUBLE_EQ(control->font().pointSizeF(), 8.25) << control->objectName().toStdString();
    }
}

TEST_F(Window, StackingOrderTopmostLast)
{
    open();
    const QObjectList children = w->children();
    auto position = [&](QWidget* widget) { return children.indexOf(widget); };
    std::vector<QWidget*> bottomToTop = {w->LaB(2), w->MLyS(), w->CLyS(), w->Frame1(),
                                         w->BaRc(0), w->BaRc(1), w->Command1()};
    for (std::size_t i = 1; i < bottomToTop.size(); ++i)
        EXPECT_LT(position(bottomToTop[i - 1]), position(bottomToTop[i])) << i;
    // With CLyS shown the bars still lie over the entry list.
    w->CLyS()->show();
    EXPECT_EQ(w->childAt(92, 300), w->BaRc(0));
    EXPECT_EQ(w->childAt(300, 300)->parentWidget(), w->CLyS());
}

TEST_F(Window, TabOrderFollowsTheTabIndices)
{
    open();
    w->MLyS()->setFocus();
    std::vector<QWidget*> order;
    for (int i = 0; i < 6; ++i) {
        order.push_back(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (std::vector<QWidget*>{w->MLyS(), w->BaRc(0), w->BaRc(1), w->Command1(), w->Text1(),
                                             w->Text2()}));
    // CLyS takes its place once shown.
    w->CLyS()->show();
    w->BaRc(1)->setFocus();
    QTest::keyClick(w->BaRc(1), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w->CLyS());
}

TEST_F(Window, PressingABarChangesNothingButTheFocus)
{
    dir.write("TOLM.LyS", "line\r\n");
    open();
    QTest::mouseClick(w->BaRc(0), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), w->BaRc(0));
    QTest::keyClick(w->BaRc(0), Qt::Key_Space);
    EXPECT_EQ(w->MLyS()->model()->rowCount(), 1);
    EXPECT_EQ(w->Label1()->text(), "DATE");
    EXPECT_TRUE(w->CLyS()->isHidden());
}

TEST_F(Window, ShowsPreparedFilesAsStored)
{
    const std::string entry = "07 Mar 2016  Main             Audit" + std::string(25, ' ');
    dir.write("TOLM.LyS", entry + "\r\n" + entry + " longer than sixty\r\nlast without end");
    dir.write("Branch.LyS", "Main\r\nMain\r\nZ\xFCrich\r\n"); // Windows-1252 ü
    dir.write("Reason.LyS", "\r\n");
    open();
    EXPECT_EQ(rows(w->MLyS()->model()),
              (QStringList{QString::fromStdString(entry), QString::fromStdString(entry + " longer than sixty"),
                           "last without end"}));
    EXPECT_EQ(rows(w->Text1()->model()), (QStringList{"Main", "Main", "Zürich"}));
    EXPECT_EQ(rows(w->Text2()->model()), QStringList{""});
    // Loading items does not put one into the edit field or select a row.
    EXPECT_EQ(w->Text1()->currentText(), "");
    EXPECT_EQ(w->Text2()->currentText(), "");
    EXPECT_FALSE(w->MLyS()->selectionModel()->hasSelection());
}
