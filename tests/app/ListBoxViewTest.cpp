// The list box at its limits: memory running out, rows past an int.
#include <ListBoxView.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
// Allocations of at least this size fail, as when the memory is used up.
std::atomic<std::size_t> failingFrom{SIZE_MAX};
} // namespace

void* operator new(std::size_t size)
{
    void* block = size < failingFrom.load() ? std::malloc(size ? size : 1) : nullptr;
    return block ? block : throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

// Memory running out while a row is added leaves the list as it was: its
// views in step with the model, and the user's choices still reported.
TEST(ListBoxView, MemoryRunningOutWhileARowIsAddedLeavesItWhole)
{
    qtui::ListBoxView list;
    list.resize(200, 200);
    list.show();
    for (int i = 0; i < 1024; ++i)
        list.addItem("row " + std::to_string(i));
    QSignalSpy told(list.model(), &QAbstractItemModel::rowsAboutToBeInserted);
    failingFrom = 1025 * sizeof(std::string); // the next row needs the item list to grow
    EXPECT_THROW(list.addItem("row 1024"), std::bad_alloc);
    failingFrom = SIZE_MAX;
    EXPECT_EQ(told.count(), 0);
    EXPECT_EQ(list.model()->rowCount(), 1024);
    QSignalSpy chosen(&list, &qtui::ListBoxView::userSelected);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(1, 0)).center());
    EXPECT_EQ(chosen.count(), 1);
    list.addItem("row 1024");
    EXPECT_EQ(list.model()->index(1024, 0).data().toString(), "row 1024");
}

// Rows times their height past the range of an int, here with a tall font
// rather than hundreds of millions of rows: the first row is still above the
// view when the last is in it.
TEST(ListBoxView, RowsFarAwayStayWhereTheyAre)
{
    qtui::ListBoxView list;
    list.resize(200, 2000);
    QFont tall = list.font();
    tall.setPixelSize(1000);
    list.setFont(tall);
    list.addItems(logbook::LineList::fromBytes(std::string(3'000'000, '\n')));
    list.show();
    list.scrollToBottom();
    const QAbstractItemModel* rows = list.model();
    EXPECT_TRUE(list.viewport()->rect().intersects(list.visualRect(rows->index(rows->rowCount() - 1, 0))));
    EXPECT_LT(list.visualRect(rows->index(0, 0)).bottom(), 0);
}
