// The window's behaviour through real widgets and real input events.
#include "WindowFixture.h"

#include <DataFiles.h>
#include <Examples.h>
#include <FaultyFileSystem.h>
#include <LineFile.h>
#include <ShownText.h>
#include <Startup.h>

#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>

#include <condition_variable>
#include <filesystem>
#include <mutex>

using testing_support::kWorkedExample;

TEST_F(WindowTest, ShowsTheFilesAndSavesTheCutFieldsEndToEnd)
{
    dir.write("TOLM.LyS", kWorkedExample + "\r\nlast without end");
    dir.write("Branch.LyS", "Main\r\nZ\xFCrich\r\n"); // Windows-1252 ü
    open();
    EXPECT_EQ(rows(list("MLyS")), (QStringList{QString::fromStdString(kWorkedExample), "last without end"}));
    EXPECT_EQ(rows(combo("Text1")->view()), (QStringList{"Main", "Zürich"}));
    EXPECT_TRUE(drawsColour(list("MLyS")->viewport(), {0, 128, 0}));
    EXPECT_EQ(combo("Text1")->currentText(), ""); // loading fills no field

    pickDate("07", "March", "2016");
    QTest::mouseClick(find("Label1"), Qt::LeftButton); // the day list again: the date stays
    type("Text1", "MAIN OFFICE ABCDEFG");
    type("Text2", "Überprüfung der Bücher 2019");
    QWidget other; // the focus goes to another window: the reason field is not left
    other.show();
    QApplication::setActiveWindow(&other);
    EXPECT_EQ(combo("Text2")->currentText(), "Überprüfung der Bücher 2019"); // not cut while typing, nor now
    save(); // back with a click on Save, which cuts the reason itself
    const std::string line = "07 Mar 2016  MAIN OFFICE ABCD Überprüfung der " + std::string(14, ' ');
    EXPECT_EQ(dir.read("TOLM.LyS"), kWorkedExample + "\r\nlast without end\r\n" + line + "\r\n");
    EXPECT_EQ(dir.read("Reason.LyS") + combo("Text2")->itemText(0).toStdString(), "Überprüfung der \r\nÜberprüfung der ");
    EXPECT_EQ(find<QLabel>("Label1")->text() + combo("Text1")->currentText() + combo("Text2")->currentText(), "DATE");
    EXPECT_EQ(list("CLyS")->isVisible() ? rows(list("CLyS")).size() : 0, 31); // Save leaves the picker alone
    // A bar takes the focus when pressed and does nothing else.
    QApplication::setActiveWindow(w.get());
    QTest::mouseClick(find("BaRc(0)"), Qt::LeftButton);
    QTest::keyClick(find("BaRc(0)"), Qt::Key_Space);
    EXPECT_EQ(QApplication::focusWidget(), find("BaRc(0)"));
    EXPECT_EQ(list("MLyS")->model()->rowCount(), 3);
}

TEST(QtPlatform, UpperCasesOneCharacterToOne)
{
    const qtui::QtPlatform platform({});
    for (const auto& [text, upper] : testing_support::kUpperCased)
        EXPECT_EQ(platform.toUpper(text), upper);
}

TEST_F(WindowTest, ThePickerChoosesOnUserInputOnly)
{
    open();
    QTest::mouseClick(find("Label1"), Qt::LeftButton); // every arrow key move chooses, from the first item
    QAbstractItemView* picker = list("CLyS");
    ASSERT_EQ(QApplication::focusWidget(), picker);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(picker, Qt::Key_Down); // "01", "January", "2016"
    EXPECT_EQ(find<QLabel>("Label1")->text(), "01 Jan 2016");
    EXPECT_TRUE(picker->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), combo("Text1")); // ready for the branch
    // A press, a small drag and a release: the months arriving under the pointer are not picked.
    QTest::mouseClick(find("Label1"), Qt::LeftButton);
    const QPoint day = picker->visualRect(picker->model()->index(6, 0)).center(); // "07"
    QTest::mousePress(picker->viewport(), Qt::LeftButton, {}, day);
    QMouseEvent drag(QEvent::MouseMove, day + QPoint(0, 3), picker->viewport()->mapToGlobal(day + QPoint(0, 3)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(picker->viewport(), &drag);
    QTest::mouseRelease(picker->viewport(), Qt::LeftButton, {}, day + QPoint(0, 3));
    EXPECT_EQ(rows(picker).size(), 12);
    EXPECT_FALSE(picker->selectionModel()->hasSelection());
}

TEST_F(WindowTest, FieldsKeepWhatIsTypedOrChosenUntilLeft)
{
    dir.write("Branch.LyS", "Head Office\r\n");
    dir.write("Reason.LyS", "A reason longer than sixteen\r\n");
    open();
    pickDate("01", "May", "2020");
    type("Text1", "HEAD");
    type("Text2", "Audit");
    for (const char* field : {"Text1", "Text2"}) {
        for (auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(combo(field)->lineEdit(), key);
    }
    EXPECT_EQ(dir.read("TOLM.LyS"), ""); // Enter does not save, nor add an item, nor complete
    EXPECT_EQ(rows(combo("Text1")->view()), QStringList{"Head Office"});
    EXPECT_EQ(combo("Text1")->currentText(), "HEAD");

    QLineEdit* reason = combo("Text2")->lineEdit();
    QTest::keyClick(reason, Qt::Key_Down);
    combo("Text2")->showPopup(); // the field's own list is not leaving the field
    combo("Text2")->hidePopup();
    EXPECT_EQ(combo("Text2")->currentText(), "A reason longer than sixteen");
    QTest::keyClick(reason, Qt::Key_Tab);
    EXPECT_EQ(combo("Text2")->currentText(), "A reason longer ");
    EXPECT_EQ(combo("Text2")->itemText(0), "A reason longer than sixteen");
}

TEST_F(WindowTest, FailuresAreShownInAMessageBox)
{
    open(true);
    std::filesystem::remove(dir.path() / "TOLM.LyS");
    std::filesystem::create_directory(dir.path() / "TOLM.LyS"); // cannot be written
    pickDate("07", "March", "2016");
    type("Text1", "Main");
    type("Text2", "Audit");
    QString message = messageBoxDuring([this] { save(); });
    EXPECT_TRUE(message.contains(QString::fromStdString(dir.file("TOLM.LyS")) + ":\nIs a directory"));
    EXPECT_EQ(find<QLabel>("Label1")->text() + combo("Text1")->currentText() + combo("Text2")->currentText(),
              "07 Mar 2016MainAudit");

    int status = 0; // at start-up: no window, status 1
    message = messageBoxDuring([&] { status = qtui::runTolmarin(*qApp, dir.str()); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(message, "Tolmarin cannot start.\n\nCannot open file " + QString::fromStdString(dir.file("TOLM.LyS"))
                           + ":\nIs a directory.");
    std::filesystem::remove(dir.path() / "TOLM.LyS");
    dir.write("TOLM.LyS", "");
    std::filesystem::resize_file(dir.path() / "TOLM.LyS", logbook::largestLoadableFile() + 1); // sparse: refused unread
    message = messageBoxDuring([&] { status = qtui::runTolmarin(*qApp, dir.str()); });
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(message.contains(QString::fromStdString(dir.file("TOLM.LyS")) + ":\nIt is too large to load (")) << message.toStdString();
    int windows = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        windows += qobject_cast<qtui::HQ*>(top) != nullptr;
    EXPECT_EQ(windows, 1); // this test's own
}

// A read slowed down (here until the test lets it go, as a slow network
// share might): from about half a second on a small window names the file
// and shows how far; closing it ends the program before its window shows,
// and nothing is written.
TEST_F(WindowTest, ALongLoadShowsHowFarItIsAndClosingThatEndsTheProgramWritingNothing)
{
    using namespace testing_support;
    dir.write("TOLM.LyS", "a line\r\n");
    // A read given up runs on by itself: what it uses must outlive the test.
    static std::mutex lock;
    static std::condition_variable changed;
    static bool released = false;
    static FaultyFileSystem files([](std::size_t, const Call& call) {
        if (call.step == Step::Map)
            return Fault{ENODEV}; // read instead, in steps
        // Held until the test lets it go; should the window never come, and
        // no event be handled meanwhile, the read goes on after a while.
        std::unique_lock hold(lock);
        changed.wait_for(hold, std::chrono::seconds(10), [&] { return released || call.step != Step::ReadAt; });
        return Fault{};
    });
    const auto release = [] {
        const std::lock_guard hold(lock);
        released = true;
        changed.notify_all();
    };
    QString shown;
    int percent = -1, ticks = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (++ticks >= 500) { // no such window came: let the read and the program end, and fail below
            release();
            QCoreApplication::exit(99);
        }
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == "Loading" && top->isVisible()) {
                shown = top->findChild<QLabel*>("LoadingFile")->text();
                percent = top->findChild<QProgressBar*>("LoadingProgress")->value();
                top->close();
            }
        }
    });
    watch.start(20);
    EXPECT_EQ(qtui::runTolmarin(*qApp, dir.str(), files), 0);
    watch.stop();
    EXPECT_EQ(shown, "Loading " + QString::fromStdString(dir.file("TOLM.LyS")));
    EXPECT_EQ(percent, 0);
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_FALSE(top->isVisible()) << top->objectName().toStdString();
    EXPECT_EQ(dir.read("TOLM.LyS"), "a line\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Branch.LyS"));
    release();
}

TEST_F(WindowTest, AFailureNoHandlerExpectsIsShownAndEndsTheProgram)
{
    using namespace testing_support;
    Step fails = Step::Open; // at start-up, then at Save; memory running out is foreseen: Save says so
    const std::logic_error unforeseen("A failure nobody foresaw"); // of no kind the program handles itself
    FaultyFileSystem files([&](std::size_t, const Call& c) { return c.step == fails ? throw unforeseen : Fault{}; });
    int status = 0; // at start-up as for a file that fails: no window, status 1
    EXPECT_EQ(messageBoxDuring([&] { status = qtui::runTolmarin(*qApp, dir.str(), files); }),
              "Tolmarin cannot start.\n\nA failure nobody foresaw");
    EXPECT_EQ(status, 1);
    fails = Step::Append;
    open(true, files);
    pickDate("07", "March", "2016");
    type("Text1", "Main");
    type("Text2", "Audit");
    QString shown; // the Save runs in the program's event loop, which it must end with status 1
    QTimer::singleShot(0, [&] { shown = messageBoxDuring([this] { save(); }); });
    QTimer notEnded;
    QObject::connect(&notEnded, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    notEnded.start(60000);
    EXPECT_EQ(QApplication::exec(), 1);
    EXPECT_EQ(shown, "Tolmarin must close after an unexpected error. The entries saved so far are kept.\n\n"
                     "A failure nobody foresaw");
    EXPECT_TRUE(w->isHidden());
    const std::size_t calls = files.calls.size(); // no handler runs any more
    messageBoxDuring([this] { save(); });
    EXPECT_EQ(files.calls.size(), calls);
}

// Lines from another program, made here: the row of a 200 MB line shows its
// start just as the row of its first 100 characters does.
TEST_F(WindowTest, AHugeLineShowsItsStartLikeAShortOne)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "200 MB lines are too slow under AddressSanitizer";
#endif
    std::string line = "The start of a line from another program. ";
    line.resize(200'000'000, '#');
    const std::string start = line.substr(0, 100) + "\r\n";
    dir.write("TOLM.LyS", start + line); // no line end
    dir.write("Branch.LyS", start + line + "\r\n" + start); // the first row of a drop-down list is highlighted
    dir.write("Reason.LyS", start + line.substr(0, 1'000'000) + "\r\n" + start);
    open();
    const auto row = [](QAbstractItemView* view, int i) {
        return view->viewport()->grab(view->visualRect(view->model()->index(i, 0))).toImage();
    };
    QAbstractItemView* entries = list("MLyS");
    EXPECT_EQ(entries->model()->index(1, 0).data().toString().size(), entry::kShownCharacters + 1); // what views lay out
    EXPECT_EQ(row(entries, 1), row(entries, 0));
    for (const char* name : {"Text1", "Text2"}) { // the drop-down lists
        combo(name)->showPopup();
        EXPECT_EQ(row(combo(name)->view(), 1), row(combo(name)->view(), 2)) << name;
        combo(name)->hidePopup();
    }
    EXPECT_TRUE(drawsColour(entries->viewport(), {0, 128, 0}));
    QScrollBar* bar = entries->horizontalScrollBar(); // the end of what a row shows is drawn too
    EXPECT_GE(bar->maximum() + entries->viewport()->width(),
              int(entry::kShownCharacters) * entries->fontMetrics().horizontalAdvance('#'));
    bar->setValue(bar->maximum());
    EXPECT_TRUE(drawsColour(entries->viewport(), {0, 128, 0}));
    EXPECT_EQ(combo("Text1")->itemText(1), QString::fromStdString(line.substr(0, entry::kShownCharacters))); // chosen
}

// The widest line of a loaded log scrolls into view to its end: its last
// character is drawn whole, clear of the right edge, as wide as at the start
// of a row (give or take a column for where it falls between pixels).
TEST_F(WindowTest, TheWidestLoadedLineScrollsIntoViewToItsLastCharacter)
{
    dir.write("TOLM.LyS", "#\r\n" + std::string(149, ' ') + "#\r\n" + std::string(100, ' ') + "\r\n");
    open();
    QAbstractItemView* entries = list("MLyS");
    const auto inked = [entries](int row) { // the first and last column whose pixels differ from the left edge's
        const QRect shown = entries->visualRect(entries->model()->index(row, 0)) & entries->viewport()->rect();
        const QImage image = entries->viewport()->grab(shown).toImage();
        std::pair<int, int> columns{image.width(), -1};
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < image.height(); ++y) {
                if (image.pixel(x, y) != image.pixel(0, y))
                    columns = {std::min(columns.first, x), x};
            }
        }
        return columns;
    };
    const auto [first, last] = inked(0);
    ASSERT_LT(first, last); // the "#" at the start of the first row is seen
    QScrollBar* bar = entries->horizontalScrollBar();
    bar->setValue(bar->maximum());
    const auto [from, to] = inked(1);
    EXPECT_GE(to - from, last - first - 1);
    EXPECT_LT(to, entries->viewport()->width() - 1); // not cut off by the edge
}

// Past 65,535 items: the models over the file's bytes, the view placing rows by arithmetic.
TEST_F(WindowTest, ListsPastSixteenBits)
{
    constexpr int kCount = 70'000;
    std::string log, branches;
    for (int i = 0; i < kCount; ++i) {
        log += logbook::composeEntryLine("07 Mar 2016", "Zweig " + std::to_string(i), "Grund") + "\r\n";
        branches += "Zürich " + std::to_string(i) + "\r\n";
    }
    dir.write("TOLM.LyS", log);
    dir.write("Branch.LyS", branches);
    open();
    QAbstractItemView* entries = list("MLyS");
    auto row = [entries](int i) { return entries->model()->index(i, 0); };
    QScrollBar* bar = entries->verticalScrollBar();
    const int visible = bar->pageStep();
    EXPECT_EQ(bar->maximum(), kCount - visible); // the last row can be scrolled to
    for (int target : {32'767, 65'535, 65'536, kCount - visible}) {
        entries->scrollTo(row(target), QAbstractItemView::PositionAtTop);
        EXPECT_EQ(bar->value(), target);
        EXPECT_TRUE(row(target).data().toString().contains(QString(" Zweig %1 ").arg(target)));
        EXPECT_EQ(entries->visualRect(row(target)).top(), 0) << target;
        EXPECT_EQ(entries->indexAt(entries->visualRect(row(target + 1)).center()), row(target + 1)) << target;
    }
    entries->setCurrentIndex(row(65'537)); // Down goes one row on; End to the last, and shows it
    QTest::keyClick(entries, Qt::Key_Down);
    EXPECT_EQ(entries->currentIndex(), row(65'538));
    QTest::keyClick(entries, Qt::Key_End);
    EXPECT_EQ(entries->currentIndex(), row(kCount - 1));
    EXPECT_TRUE(entries->viewport()->rect().contains(entries->visualRect(row(kCount - 1))));
    // The known check reaches the last branch; the list can scroll one row further, not by itself.
    pickDate("07", "March", "2016");
    type("Text1", "ZÜRICH 69999");
    type("Text2", "Audit");
    entries->scrollToTop();
    save();
    QApplication::processEvents(); // the view's deferred update
    EXPECT_EQ(combo("Text1")->count(), kCount);
    EXPECT_TRUE(row(kCount).data().toString().startsWith("07 Mar 2016  ZÜRICH 69999 "));
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->maximum(), kCount + 1 - visible);
}

// Another program cuts the mapped entry log short, to nothing and to the
// middle of a row: every row painted afterwards shows its line or NUL marks,
// and a Save still appends one whole line.
TEST_F(WindowTest, ALogCutShortUnderTheWindowShowsNulMarksAndTakesASave)
{
    constexpr int kRows = 3000;
    std::string log;
    for (int i = 0; i < kRows; ++i)
        log += logbook::composeEntryLine("07 Mar 2016", "Branch " + std::to_string(i), "Reason") + "\r\n";
    for (const std::size_t cut : {0, 1000 * 62 + 20}) {
        dir.write("TOLM.LyS", log);
        open();
        ASSERT_EQ(std::system(("truncate -s " + std::to_string(cut) + " " + dir.file("TOLM.LyS")).c_str()), 0);
        QAbstractItemView* entries = list("MLyS");
        QScrollBar* bar = entries->verticalScrollBar();
        for (int top = 0; top < bar->maximum() + bar->pageStep(); top += bar->pageStep()) { // every row painted
            bar->setValue(top);
            entries->viewport()->repaint();
        }
        for (int row = 0; row < kRows; row += 7) {
            const QString shown = entries->model()->index(row, 0).data().toString();
            const std::size_t at = std::size_t(row) * 62;
            if (at + 62 <= cut || at >= cut) { // whole, or cut away
                EXPECT_EQ(shown.left(60), at >= cut ? QString(60, QChar(0xFFFD)) : QString::fromStdString(log.substr(at, 60)));
            }
        }
        pickDate("07", "March", "2016");
        type("Text1", "Main");
        type("Text2", "Audit");
        save();
        const std::string line = testing_support::kWorkedExample;
        EXPECT_EQ(dir.read("TOLM.LyS"), log.substr(0, cut) + (cut % 62 ? "\r\n" : "") + line + "\r\n");
        EXPECT_EQ(rows(entries).last().toStdString() + errors.join("").toStdString(), line);
    }
}

// While a Save waits for a lock another program holds, the window shows a
// busy cursor and runs no handler; afterwards all is as before.
TEST_F(WindowTest, ASaveWaitingForALockShowsItIsBusyAndRunsNothingElse)
{
    using namespace testing_support;
    int tries = 0;
    const QCursor* during = nullptr;
    FaultyFileSystem files([&](std::size_t, const Call& call) {
        if (call.step == Step::Lock && ++tries == 2) { // the window is waiting now
            during = QApplication::overrideCursor();
            QTest::mouseClick(find("Label1"), Qt::LeftButton);
        }
        return Fault{call.step == Step::Lock && tries <= 2 ? logbook::kLockHeldError : 0};
    });
    open(false, files);
    pickDate("07", "March", "2016");
    type("Text1", "Main");
    type("Text2", "Audit");
    save();
    EXPECT_EQ(during ? during->shape() : Qt::ArrowCursor, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(list("CLyS")->isVisible()); // the click on the date label ran nothing
    EXPECT_EQ(dir.read("TOLM.LyS"), testing_support::kWorkedExample + "\r\n");
}
