// Lists and combo boxes far beyond 32,767 and 65,535 items, through the
// real window: the models over the file's bytes and the list view that
// places rows by arithmetic.
#include "WindowFixture.h"

#include <DataFiles.h>

#include <QScrollBar>

namespace {

constexpr int kCount = 70'000;

std::string entryLine(int i) { return logbook::composeEntryLine("07 Mar 2016", "Zweig " + std::to_string(i), "Grund"); }

class LargeList : public WindowTest {
protected:
    void SetUp() override
    {
        std::string log, branches;
        for (int i = 0; i < kCount; ++i) {
            log += entryLine(i) + "\r\n";
            branches += "Zürich " + std::to_string(i) + "\r\n";
        }
        dir.write("TOLM.LyS", log);
        dir.write("Branch.LyS", branches);
        open();
    }
    QModelIndex row(int i) const { return list("MLyS")->model()->index(i, 0); }
};

} // namespace

TEST_F(LargeList, TheViewReachesShowsAndPicksRowsPastSixteenBits)
{
    QAbstractItemView* entries = list("MLyS");
    QScrollBar* bar = entries->verticalScrollBar();
    const int visible = bar->pageStep();
    ASSERT_GT(visible, 1);
    ASSERT_EQ(entries->model()->rowCount(), kCount);
    EXPECT_EQ(bar->maximum(), kCount - visible); // the last row can be scrolled to
    for (int target : {32'767, 65'535, 65'536, kCount - visible}) {
        entries->scrollTo(row(target), QAbstractItemView::PositionAtTop);
        EXPECT_EQ(bar->value(), target);
        EXPECT_EQ(row(target).data().toString().toStdString(), entryLine(target));
        const QRect rect = entries->visualRect(row(target));
        EXPECT_EQ(rect.top(), 0) << target;
        EXPECT_EQ(entries->indexAt(rect.center()), row(target)) << target;
        EXPECT_EQ(entries->indexAt(entries->visualRect(row(target + 1)).center()), row(target + 1)) << target;
    }
    entries->scrollTo(row(65'536), QAbstractItemView::PositionAtTop);
    QTest::mouseClick(entries->viewport(), Qt::LeftButton, {}, entries->visualRect(row(65'537)).center());
    EXPECT_EQ(entries->currentIndex(), row(65'537));
    // End goes to the very last row and brings it into view; Home back.
    QTest::keyClick(entries, Qt::Key_End);
    EXPECT_EQ(entries->currentIndex(), row(kCount - 1));
    EXPECT_TRUE(entries->viewport()->rect().contains(entries->visualRect(row(kCount - 1))));
    QTest::keyClick(entries, Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
    // The rows on screen are drawn: the list's text colour shows.
    const QImage image = entries->viewport()->grab().toImage();
    bool textDrawn = false;
    for (int y = 0; y < image.height() && !textDrawn; ++y)
        for (int x = 0; x < image.width() && !textDrawn; ++x)
            textDrawn = QColor(image.pixel(x, y)) == QColor(0, 128, 0);
    EXPECT_TRUE(textDrawn);
}

TEST_F(LargeList, ASaveKnowsTheLastItemAndShowsTheNewLineLast)
{
    const int maximumBefore = list("MLyS")->verticalScrollBar()->maximum();
    pickDate("07", "March", "2016");
    type("Text1", "ZÜRICH 69999"); // the last branch in another case
    type("Text2", "Audit");
    save();
    QApplication::processEvents(); // the view's deferred update
    EXPECT_EQ(combo("Text1")->count(), kCount);
    ASSERT_EQ(list("MLyS")->model()->rowCount(), kCount + 1);
    EXPECT_EQ(row(kCount).data().toString().toStdString(),
              logbook::composeEntryLine("07 Mar 2016", "ZÜRICH 69999", "Audit"));
    EXPECT_EQ(list("MLyS")->verticalScrollBar()->value(), 0);
    EXPECT_EQ(list("MLyS")->verticalScrollBar()->maximum(), maximumBefore + 1);
    combo("Text1")->setCurrentIndex(kCount - 1);
    EXPECT_EQ(combo("Text1")->currentText().toStdString(), "Zürich 69999");
}
