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
    // End goes to the very last row and brings it into view; Home back.
    entries->setCurrentIndex(row(65'537));
    QTest::keyClick(entries, Qt::Key_End);
    EXPECT_EQ(entries->currentIndex(), row(kCount - 1));
    EXPECT_TRUE(entries->viewport()->rect().contains(entries->visualRect(row(kCount - 1))));
    QTest::keyClick(entries, Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
    // A Save far down: the known check reaches the last branch, the new
    // line goes last and the list can scroll one row further, not by itself.
    pickDate("07", "March", "2016");
    type("Text1", "ZÜRICH 69999");
    type("Text2", "Audit");
    save();
    QApplication::processEvents(); // the view's deferred update
    EXPECT_EQ(combo("Text1")->count(), kCount);
    EXPECT_EQ(row(kCount).data().toString().toStdString(),
              logbook::composeEntryLine("07 Mar 2016", "ZÜRICH 69999", "Audit"));
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->maximum(), kCount + 1 - visible);
}
