#include <ClickableLabel.h>
#include <HQ.h>
#include <ListBoxView.h>
#include <TempDir.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using testing_support::TempDir;

namespace {

const std::string kWorkedExample = "07 Mar 2016  Main             Audit" + std::string(25, ' ');

class Entry : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<HQ> w;
    QStringList errors;

    void open()
    {
        w = std::make_unique<HQ>(dir.str());
        w->setErrorReporter([this](const QString& message) { errors << message; });
        w->load();
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }

    void clickItem(const QString& text)
    {
        ListBoxView* list = w->CLyS();
        const QModelIndexList found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, text, 1,
                                                           Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(found.first()).center());
    }

    void pickDateWithMouse(const QString& day, const QString& month, const QString& year)
    {
        QTest::mouseClick(w->Label1(), Qt::LeftButton);
        clickItem(day);
        clickItem(month);
        clickItem(year);
    }

    // Key events carrying each character, as a keyboard with any layout
    // sends them (QTest::keyClicks takes ASCII only).
    static void typeText(QWidget* widget, const QString& text)
    {
        for (const uint codePoint : text.toUcs4()) {
            const QString character = QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoint), 1);
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, character, Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, character, Qt::NoModifier);
        }
    }

    void typeInto(QComboBox* combo, const QString& text)
    {
        QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
        typeText(combo->lineEdit(), text);
    }

    QStringList rows(const QAbstractItemModel* model)
    {
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, 0).data().toString();
        return texts;
    }
};

} // namespace

TEST_F(Entry, PickTypeAndSaveEndToEnd)
{
    open();
    pickDateWithMouse("07", "March", "2016");
    EXPECT_EQ(w->Label1()->text(), "07 Mar 2016");
    EXPECT_TRUE(w->CLyS()->isHidden());
    typeInto(w->Text1(), "Main");
    typeInto(w->Text2(), "Audit");
    QTest::mouseClick(w->Command1(), Qt::LeftButton);

    EXPECT_EQ(dir.read("TOLM.LyS"), kWorkedExample + "\r\n");
    EXPECT_EQ(dir.read("Branch.LyS"), "Main\r\n");
    EXPECT_EQ(dir.read("Reason.LyS"), "Audit\r\n");
    EXPECT_EQ(rows(w->MLyS()->model()), QStringList{QString::fromStdString(kWorkedExample)});
    EXPECT_EQ(rows(w->Text1()->model()), QStringList{"Main"});
    EXPECT_EQ(rows(w->Text2()->model()), QStringList{"Audit"});
    EXPECT_EQ(w->Label1()->text(), "DATE");
    EXPECT_EQ(w->Text1()->currentText(), "");
    EXPECT_EQ(w->Text2()->currentText(), "");
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Entry, ArrowKeysChooseAtEveryMove)
{
    open();
    QTest::mouseClick(w->Label1(), Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), w->CLyS());
    QTest::keyClick(w->CLyS(), Qt::Key_Down); // "01"
    EXPECT_EQ(w->form().PickStage(), 2);
    EXPECT_FALSE(w->CLyS()->selectionModel()->hasSelection());
    QTest::keyClick(w->CLyS(), Qt::Key_Down); // "January"
    QTest::keyClick(w->CLyS(), Qt::Key_Down); // "2016"
    EXPECT_EQ(w->Label1()->text(), "01 Jan 2016");
    EXPECT_TRUE(w->CLyS()->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), w->Text1()); // ready for the branch
}

TEST_F(Entry, RefillingTheListIsNeverAChoice)
{
    open();
    QTest::mouseClick(w->Label1(), Qt::LeftButton);
    ListBoxView* list = w->CLyS();
    const QPoint day = list->visualRect(list->model()->index(6, 0)).center(); // "07"
    // A press, a small drag and a release: the months arriving under the
    // pointer are not picked.
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, day);
    QMouseEvent drag(QEvent::MouseMove, day + QPoint(0, 3), list->viewport()->mapToGlobal(day + QPoint(0, 3)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drag);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, day + QPoint(0, 3));
    EXPECT_EQ(w->form().PickStage(), 2);
    EXPECT_EQ(w->form().PickedDate(), "07");
    EXPECT_FALSE(list->selectionModel()->hasSelection());
    QTest::mouseClick(w->Label1(), Qt::LeftButton); // refill from the months
    EXPECT_EQ(w->form().PickStage(), 1);
    EXPECT_EQ(list->model()->rowCount(), 31);
}

TEST_F(Entry, SaveRightAfterTypingSavesTheCut)
{
    open();
    pickDateWithMouse("31", "February", "2019");
    typeInto(w->Text1(), "ABCDEFGHIJKLMNOPQRST");
    typeInto(w->Text2(), "Überprüfung der Bücher 2019"); // 27 characters
    EXPECT_EQ(w->Text2()->currentText(), "Überprüfung der Bücher 2019"); // not cut while typing
    QTest::mouseClick(w->Command1(), Qt::LeftButton);
    EXPECT_EQ(dir.read("TOLM.LyS"), "31 Feb 2019  ABCDEFGHIJKLMNOP Überprüfung der " + std::string(14, ' ') + "\r\n");
    EXPECT_EQ(dir.read("Branch.LyS"), "ABCDEFGHIJKLMNOP\r\n");
    EXPECT_EQ(dir.read("Reason.LyS"), "Überprüfung der \r\n");
}

TEST_F(Entry, EnterAndEscapeInAComboDoNotSave)
{
    open();
    pickDateWithMouse("01", "May", "2020");
    typeInto(w->Text1(), "Main");
    typeInto(w->Text2(), "Audit");
    for (auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(w->Text2()->lineEdit(), key);
        QTest::keyClick(w->Text1()->lineEdit(), key);
    }
    EXPECT_EQ(dir.read("TOLM.LyS"), "");
    EXPECT_EQ(w->Text1()->model()->rowCount(), 0); // Enter adds no item either
    EXPECT_EQ(w->Text2()->currentText(), "Audit");
    EXPECT_EQ(w->Label1()->text(), "01 May 2020");
}

TEST_F(Entry, EditTextStaysAsTypedBesideAKnownItem)
{
    dir.write("Branch.LyS", "Head Office\r\n");
    open();
    typeInto(w->Text1(), "HEAD");
    EXPECT_EQ(w->Text1()->currentText(), "HEAD"); // no inline completion
    typeText(w->Text1()->lineEdit(), " OFFICE");
    QTest::keyClick(w->Text1()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(w->Text1()->currentText(), "HEAD OFFICE"); // not folded to the item's case
}

TEST_F(Entry, ChoosingALongItemShowsItWholeUntilTheFieldIsLeft)
{
    dir.write("Reason.LyS", "A reason longer than sixteen\r\n");
    open();
    QTest::mouseClick(w->Text2()->lineEdit(), Qt::LeftButton);
    QTest::keyClick(w->Text2()->lineEdit(), Qt::Key_Down);
    EXPECT_EQ(w->Text2()->currentText(), "A reason longer than sixteen");
    w->Text2()->showPopup(); // the field's own list is not leaving the field
    w->Text2()->hidePopup();
    EXPECT_EQ(w->Text2()->currentText(), "A reason longer than sixteen");
    QTest::keyClick(w->Text2()->lineEdit(), Qt::Key_Tab);
    EXPECT_EQ(w->Text2()->currentText(), "A reason longer ");
    EXPECT_EQ(w->Text2()->itemText(0), "A reason longer than sixteen");
}

TEST_F(Entry, SaveWithTheDayListShownKeepsTheEarlierDate)
{
    open();
    pickDateWithMouse("07", "March", "2016");
    QTest::mouseClick(w->Label1(), Qt::LeftButton); // day list again
    typeInto(w->Text1(), "Main");
    typeInto(w->Text2(), "Audit");
    QTest::mouseClick(w->Command1(), Qt::LeftButton);
    EXPECT_EQ(dir.read("TOLM.LyS"), kWorkedExample + "\r\n");
    EXPECT_EQ(w->Label1()->text(), "DATE");
    EXPECT_TRUE(w->CLyS()->isVisible());
    EXPECT_EQ(w->CLyS()->model()->rowCount(), 31);
    EXPECT_EQ(w->form().PickStage(), 1);
}

TEST_F(Entry, KnownCheckUsesTheLocalesUpperCase)
{
    dir.write("Branch.LyS", "Élysée\r\n");
    dir.write("Reason.LyS", "Проверка\r\n");
    open();
    pickDateWithMouse("02", "April", "2017");
    typeInto(w->Text1(), "ÉLYSÉE");
    typeInto(w->Text2(), "ПРОВЕРКА");
    QTest::mouseClick(w->Command1(), Qt::LeftButton);
    EXPECT_EQ(dir.read("Branch.LyS"), "Élysée\r\n");
    EXPECT_EQ(dir.read("Reason.LyS"), "Проверка\r\n");
    EXPECT_EQ(w->MLyS()->model()->index(0, 0).data().toString().mid(13, 6), "ÉLYSÉE");
}

TEST_F(Entry, NewLinesGoLastWithoutScrollingOrSelecting)
{
    std::string log;
    for (int i = 0; i < 200; ++i)
        log += "01 Jan 2016  Main             Audit" + std::string(25, ' ') + "\r\n";
    dir.write("TOLM.LyS", log);
    open();
    pickDateWithMouse("07", "March", "2016");
    typeInto(w->Text1(), "Main");
    typeInto(w->Text2(), "Audit");
    QTest::mouseClick(w->Command1(), Qt::LeftButton);
    QAbstractItemModel* entries = w->MLyS()->model();
    ASSERT_EQ(entries->rowCount(), 201);
    EXPECT_EQ(entries->index(200, 0).data().toString().toStdString(), kWorkedExample);
    EXPECT_EQ(w->MLyS()->verticalScrollBar()->value(), 0);
    EXPECT_FALSE(w->MLyS()->selectionModel()->hasSelection());
}

TEST_F(Entry, FailedSaveShowsTheFileAndKeepsTheInputs)
{
    open();
    std::filesystem::remove(dir.path() / "TOLM.LyS");
    std::filesystem::create_directory(dir.path() / "TOLM.LyS"); // cannot be written
    pickDateWithMouse("07", "March", "2016");
    typeInto(w->Text1(), "Main");
    typeInto(w->Text2(), "Audit");
    QTest::mouseClick(w->Command1(), Qt::LeftButton);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QString::fromStdString(dir.file("TOLM.LyS"))));
    EXPECT_TRUE(errors[0].contains("Is a directory"));
    EXPECT_EQ(w->MLyS()->model()->rowCount(), 0);
    EXPECT_EQ(w->Text1()->model()->rowCount(), 0);
    EXPECT_EQ(w->Label1()->text(), "07 Mar 2016");
    EXPECT_EQ(w->Text1()->currentText(), "Main");
    EXPECT_EQ(w->Text2()->currentText(), "Audit");
    EXPECT_EQ(dir.read("Branch.LyS"), "");

    std::filesystem::remove(dir.path() / "TOLM.LyS");
    QTest::mouseClick(w->Command1(), Qt::LeftButton); // the retry succeeds
    EXPECT_EQ(dir.read("TOLM.LyS"), kWorkedExample + "\r\n");
    EXPECT_EQ(w->MLyS()->model()->rowCount(), 1);
}
