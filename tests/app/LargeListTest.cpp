// Lists and combo boxes far beyond 32,767 and 65,535 items, through the
// real window: the models over the file's bytes and the list view that
// places rows by arithmetic.
#include <ClickableLabel.h>
#include <DataFiles.h>
#include <HQ.h>
#include <ListBoxView.h>
#include <TempDir.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using testing_support::TempDir;

namespace {

constexpr int kCount = 70'000;

std::string entryLine(int i)
{
    return logbook::composeEntryLine("07 Mar 2016", "Zweig " + std::to_string(i), "Grund " + std::to_string(i));
}
std::string branch(int i) { return "Zürich " + std::to_string(i); }
std::string reason(int i) { return "Prüfung " + std::to_string(i); }

class LargeList : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<HQ> w;
    QStringList errors;
    std::string branches;

    void SetUp() override
    {
        std::string log;
        std::string reasons;
        for (int i = 0; i < kCount; ++i) {
            log += entryLine(i) + "\r\n";
            branches += branch(i) + "\r\n";
            reasons += reason(i) + "\r\n";
        }
        dir.write("TOLM.LyS", log);
        dir.write("Branch.LyS", branches);
        dir.write("Reason.LyS", reasons);
        w = std::make_unique<HQ>(dir.str());
        w->setErrorReporter([this](const QString& message) { errors << message; });
        w->load();
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    QModelIndex row(int i) const { return w->MLyS()->model()->index(i, 0); }

    void save(const std::string& branchText, const std::string& reasonText)
    {
        w->Label1()->setText(QStringLiteral("07 Mar 2016"));
        w->Text1()->setEditText(QString::fromStdString(branchText));
        w->Text2()->setEditText(QString::fromStdString(reasonText));
        QTest::mouseClick(w->Command1(), Qt::LeftButton);
        QApplication::processEvents(); // the view's deferred update
    }
};

} // namespace

TEST_F(LargeList, EveryItemKeepsItsPlaceAndText)
{
    const QAbstractItemModel* entries = w->MLyS()->model();
    ASSERT_EQ(entries->rowCount(), kCount);
    ASSERT_EQ(w->Text1()->count(), kCount);
    ASSERT_EQ(w->Text2()->count(), kCount);
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(entries->index(i, 0).data().toString().toStdString(), entryLine(i)) << i;
        ASSERT_EQ(w->Text1()->itemText(i).toStdString(), branch(i)) << i;
        ASSERT_EQ(w->Text2()->itemText(i).toStdString(), reason(i)) << i;
    }
    // Loading selects nothing, scrolls nowhere and types nothing.
    EXPECT_FALSE(w->MLyS()->selectionModel()->hasSelection());
    EXPECT_EQ(w->MLyS()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(w->Text1()->currentText(), "");
    EXPECT_EQ(w->Text2()->currentText(), "");
}

TEST_F(LargeList, TheViewReachesShowsAndPicksRowsPastSixteenBits)
{
    ListBoxView* list = w->MLyS();
    QScrollBar* bar = list->verticalScrollBar();
    const int visible = bar->pageStep();
    ASSERT_GT(visible, 1);
    EXPECT_EQ(bar->maximum(), kCount - visible); // the last row can be scrolled to

    for (int target : {32'767, 65'535, 65'536, kCount - visible}) {
        list->scrollTo(row(target), QAbstractItemView::PositionAtTop);
        EXPECT_EQ(bar->value(), target);
        const QRect rect = list->visualRect(row(target));
        EXPECT_EQ(rect.top(), 0) << target;
        EXPECT_EQ(list->indexAt(rect.center()), row(target)) << target;
        EXPECT_EQ(list->indexAt(list->visualRect(row(target + 1)).center()), row(target + 1)) << target;
    }

    // A click on a row far down picks that row.
    list->scrollTo(row(65'536), QAbstractItemView::PositionAtTop);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(row(65'537)).center());
    EXPECT_EQ(list->selectedText(), entryLine(65'537));

    // End goes to the very last row and brings it into view; Home back.
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentIndex(), row(kCount - 1));
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(row(kCount - 1))));
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(list->currentIndex(), row(0));
    EXPECT_EQ(bar->value(), 0);

    // Only the rows on screen are drawn, and they are drawn: the list's text
    // colour shows in the viewport.
    list->scrollTo(row(65'536), QAbstractItemView::PositionAtTop);
    const QImage image = list->viewport()->grab().toImage();
    bool textDrawn = false;
    for (int y = 0; y < image.height() && !textDrawn; ++y)
        for (int x = 0; x < image.width() && !textDrawn; ++x)
            textDrawn = QColor(image.pixel(x, y)) == QColor(0, 128, 0);
    EXPECT_TRUE(textDrawn);
}

TEST_F(LargeList, ComboBoxesChooseAndKnowItemsPastSixteenBits)
{
    w->Text1()->setCurrentIndex(kCount - 1);
    EXPECT_EQ(w->Text1()->currentText().toStdString(), branch(kCount - 1));

    save("ZÜRICH 69999", "Prüfung neu"); // the last branch in another case; a new reason
    ASSERT_TRUE(errors.isEmpty());
    EXPECT_EQ(w->Text1()->count(), kCount);
    ASSERT_EQ(w->Text2()->count(), kCount + 1);
    EXPECT_EQ(w->Text2()->itemText(kCount), "Prüfung neu");
    EXPECT_EQ(w->Text2()->itemText(kCount - 1).toStdString(), reason(kCount - 1));
    EXPECT_EQ(dir.read("Branch.LyS"), branches);
    EXPECT_TRUE(dir.read("Reason.LyS").ends_with(reason(kCount - 1) + "\r\nPrüfung neu\r\n"));
}

TEST_F(LargeList, ASaveAfterALargeLogShowsTheNewLineLast)
{
    ListBoxView* list = w->MLyS();
    const int maximumBefore = list->verticalScrollBar()->maximum();

    save("Main", "Audit");
    ASSERT_TRUE(errors.isEmpty());
    const int last = kCount;
    ASSERT_EQ(list->model()->rowCount(), kCount + 1);
    EXPECT_EQ(row(last).data().toString().toStdString(),
              logbook::composeEntryLine("07 Mar 2016", "Main", "Audit"));
    EXPECT_EQ(row(last - 1).data().toString().toStdString(), entryLine(kCount - 1));
    // Not scrolled to, not selected; but the list reaches one row further.
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    EXPECT_FALSE(list->selectionModel()->hasSelection());
    EXPECT_EQ(list->verticalScrollBar()->maximum(), maximumBefore + 1);
    list->scrollToBottom();
    const QRect rect = list->visualRect(row(last));
    EXPECT_TRUE(list->viewport()->rect().contains(rect));
    EXPECT_EQ(list->indexAt(rect.center()), row(last));
}
