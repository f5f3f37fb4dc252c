// The window's behaviour through real widgets and real input events.
#include "WindowFixture.h"

#include <Examples.h>
#include <Startup.h>

#include <QLabel>
#include <QScrollBar>

#include <filesystem>

using testing_support::kWorkedExample;

TEST_F(WindowTest, ShowsTheFilesAndSavesEndToEnd)
{
    dir.write("TOLM.LyS", kWorkedExample + "\r\nlast without end");
    dir.write("Branch.LyS", "Main\r\nZ\xFCrich\r\n"); // Windows-1252 ü
    open();
    EXPECT_EQ(rows(list("MLyS")->model()), (QStringList{QString::fromStdString(kWorkedExample), "last without end"}));
    EXPECT_EQ(rows(combo("Text1")->model()), (QStringList{"Main", "Zürich"}));
    EXPECT_TRUE(drawsColour(list("MLyS")->viewport(), {0, 128, 0}));
    // Loading puts nothing into the edit fields and selects no row.
    EXPECT_EQ(combo("Text1")->currentText(), "");
    EXPECT_FALSE(list("MLyS")->selectionModel()->hasSelection());

    pickDate("07", "March", "2016");
    EXPECT_EQ(find<QLabel>("Label1")->text(), "07 Mar 2016");
    EXPECT_TRUE(list("CLyS")->isHidden());
    type("Text1", "MAIN");
    type("Text2", "Audit");
    save();
    const std::string line = "07 Mar 2016  MAIN             Audit" + std::string(25, ' ');
    EXPECT_EQ(dir.read("TOLM.LyS"), kWorkedExample + "\r\nlast without end\r\n" + line + "\r\n");
    EXPECT_EQ(dir.read("Branch.LyS"), "Main\r\nZ\xFCrich\r\n"); // known in another case
    EXPECT_EQ(dir.read("Reason.LyS"), "Audit\r\n");
    EXPECT_EQ(rows(list("MLyS")->model()).last().toStdString(), line);
    EXPECT_EQ(find<QLabel>("Label1")->text(), "DATE");
    EXPECT_EQ(combo("Text1")->currentText() + combo("Text2")->currentText(), "");
    EXPECT_TRUE(errors.isEmpty());
    // A bar takes the focus when pressed and does nothing else.
    QTest::mouseClick(find("BaRc(0)"), Qt::LeftButton);
    QTest::keyClick(find("BaRc(0)"), Qt::Key_Space);
    EXPECT_EQ(QApplication::focusWidget(), find("BaRc(0)"));
    EXPECT_EQ(list("MLyS")->model()->rowCount(), 3);
}

TEST_F(WindowTest, ArrowKeysChooseAtEveryMoveFromTheFirstItem)
{
    open();
    QTest::mouseClick(find("Label1"), Qt::LeftButton);
    QAbstractItemView* picker = list("CLyS");
    ASSERT_EQ(QApplication::focusWidget(), picker);
    QTest::keyClick(picker, Qt::Key_Down); // "01", then the months
    EXPECT_FALSE(picker->selectionModel()->hasSelection());
    QTest::keyClick(picker, Qt::Key_Down); // "January"
    QTest::keyClick(picker, Qt::Key_Down); // "2016"
    EXPECT_EQ(find<QLabel>("Label1")->text(), "01 Jan 2016");
    EXPECT_TRUE(picker->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), combo("Text1")); // ready for the branch
}

TEST_F(WindowTest, RefillingThePickerUnderAHeldPressIsNeverAChoice)
{
    open();
    QTest::mouseClick(find("Label1"), Qt::LeftButton);
    QAbstractItemView* picker = list("CLyS");
    const QPoint day = picker->visualRect(picker->model()->index(6, 0)).center(); // "07"
    // A press, a small drag and a release: the months arriving under the
    // pointer are not picked.
    QTest::mousePress(picker->viewport(), Qt::LeftButton, {}, day);
    QMouseEvent drag(QEvent::MouseMove, day + QPoint(0, 3), picker->viewport()->mapToGlobal(day + QPoint(0, 3)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(picker->viewport(), &drag);
    QTest::mouseRelease(picker->viewport(), Qt::LeftButton, {}, day + QPoint(0, 3));
    EXPECT_EQ(rows(picker->model()).size(), 12);
    EXPECT_FALSE(picker->selectionModel()->hasSelection());
}

TEST_F(WindowTest, SaveStraightFromTheReasonFieldSavesItCut)
{
    open();
    pickDate("31", "February", "2019");
    type("Text1", "ABCDEFGHIJKLMNOPQRST");
    type("Text2", "Überprüfung der Bücher 2019");
    EXPECT_EQ(combo("Text2")->currentText(), "Überprüfung der Bücher 2019"); // not cut while typing
    save();
    EXPECT_EQ(dir.read("TOLM.LyS"), "31 Feb 2019  ABCDEFGHIJKLMNOP Überprüfung der " + std::string(14, ' ') + "\r\n");
    EXPECT_EQ(dir.read("Reason.LyS"), "Überprüfung der \r\n");
}

TEST_F(WindowTest, EnterAndEscapeInAFieldDoNotSaveNorCompleteNorAddItems)
{
    dir.write("Branch.LyS", "Head Office\r\n");
    open();
    pickDate("01", "May", "2020");
    type("Text1", "HEAD");
    EXPECT_EQ(combo("Text1")->currentText(), "HEAD"); // no inline completion
    type("Text2", "Audit");
    for (const char* field : {"Text1", "Text2"}) {
        for (auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(combo(field)->lineEdit(), key);
    }
    EXPECT_EQ(dir.read("TOLM.LyS"), "");
    EXPECT_EQ(rows(combo("Text1")->model()), QStringList{"Head Office"});
    EXPECT_EQ(combo("Text1")->currentText(), "HEAD"); // not folded to the item's case
    EXPECT_EQ(find<QLabel>("Label1")->text(), "01 May 2020");
}

TEST_F(WindowTest, ALongItemStandsWholeUntilTheFieldIsLeft)
{
    dir.write("Reason.LyS", "A reason longer than sixteen\r\n");
    open();
    QLineEdit* edit = combo("Text2")->lineEdit();
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(combo("Text2")->currentText(), "A reason longer than sixteen");
    combo("Text2")->showPopup(); // the field's own list is not leaving the field
    combo("Text2")->hidePopup();
    EXPECT_EQ(combo("Text2")->currentText(), "A reason longer than sixteen");
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(combo("Text2")->currentText(), "A reason longer ");
    EXPECT_EQ(combo("Text2")->itemText(0), "A reason longer than sixteen");
}

TEST_F(WindowTest, SaveWithTheDayListShownKeepsTheEarlierDateAndTheList)
{
    std::string log;
    for (int i = 0; i < 200; ++i)
        log += kWorkedExample + "\r\n";
    dir.write("TOLM.LyS", log);
    open();
    pickDate("07", "March", "2016");
    QTest::mouseClick(find("Label1"), Qt::LeftButton); // the day list again
    type("Text1", "Main");
    type("Text2", "Audit");
    save();
    EXPECT_EQ(dir.read("TOLM.LyS"), log + kWorkedExample + "\r\n");
    EXPECT_EQ(find<QLabel>("Label1")->text(), "DATE");
    EXPECT_TRUE(list("CLyS")->isVisible());
    EXPECT_EQ(rows(list("CLyS")->model()).size(), 31);
    // The new line goes last, neither scrolled to nor selected.
    EXPECT_EQ(list("MLyS")->model()->rowCount(), 201);
    EXPECT_EQ(list("MLyS")->verticalScrollBar()->value(), 0);
    EXPECT_FALSE(list("MLyS")->selectionModel()->hasSelection());
}

TEST_F(WindowTest, AFailedSaveIsShownAndKeepsTheInputs)
{
    open(true);
    std::filesystem::remove(dir.path() / "TOLM.LyS");
    std::filesystem::create_directory(dir.path() / "TOLM.LyS"); // cannot be written
    pickDate("07", "March", "2016");
    type("Text1", "Main");
    type("Text2", "Audit");
    const QString message = messageBoxDuring([this] { save(); });
    EXPECT_TRUE(message.contains(QString::fromStdString(dir.file("TOLM.LyS")))) << message.toStdString();
    EXPECT_TRUE(message.contains("Is a directory")) << message.toStdString();
    EXPECT_EQ(list("MLyS")->model()->rowCount(), 0);
    EXPECT_EQ(find<QLabel>("Label1")->text(), "07 Mar 2016");
    EXPECT_EQ(combo("Text1")->currentText(), "Main");
    EXPECT_EQ(combo("Text2")->currentText(), "Audit");
}

TEST_F(WindowTest, AStartUpFailureIsShownAndNoWindowOpens)
{
    dir.write("TOLM.LyS", "entry\r\n");
    std::filesystem::create_directory(dir.path() / "Reason.LyS");
    int status = 0;
    const QString message = messageBoxDuring([&] { status = qtui::runTolmarin(*qApp, dir.str()); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(message, "Tolmarin cannot start.\n\nCannot open file " + QString::fromStdString(dir.file("Reason.LyS"))
                           + ":\nIs a directory.");
    EXPECT_EQ(dir.read("TOLM.LyS"), "entry\r\n");
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<qtui::HQ*>(window)) << "a window was left";
}
