#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>

using Items = std::vector<std::string>;

class DatePicker : public ::testing::Test {
protected:
    testing_support::TempDir dir;
    testing_support::MemoryWindow w{dir.str()};

    void choose(const std::string& item)
    {
        w.CLyS.select(item);
        w.form.CLyS_Click();
    }
};

TEST_F(DatePicker, ThreeChoicesComposeTheDate)
{
    w.CLyS.items = {"07"};
    choose("07"); // no pick started: nothing happens
    EXPECT_EQ(w.CLyS.items, Items{"07"});
    w.form.Label1_Click();
    ASSERT_EQ(w.CLyS.items.size(), 31u);
    EXPECT_EQ(w.CLyS.items[0] + w.CLyS.items[8] + w.CLyS.items[9] + w.CLyS.items[30], "01091031");
    EXPECT_FALSE(w.CLyS.selected);
    choose("07");
    EXPECT_EQ(w.CLyS.items, (Items{"January", "February", "March", "April", "May", "June", "July", "August",
                                   "September", "October", "November", "December"}));
    EXPECT_FALSE(w.CLyS.selected);
    choose("March");
    EXPECT_EQ(w.CLyS.items, (Items{"2016", "2017", "2018", "2019", "2020"}));
    EXPECT_FALSE(w.CLyS.selected);
    EXPECT_EQ(w.Label1.text, "DATE"); // the caption changes only with the year
    choose("2016");
    EXPECT_EQ(w.Label1.text, "07 Mar 2016");
    EXPECT_FALSE(w.CLyS.visible);
    EXPECT_TRUE(w.Text1.focused) << "the branch comes next";

    w.pickDate("01", "May", "2020");
    EXPECT_EQ(w.Label1.text, "01 May 2020");

    // A click on the label midway starts over.
    w.Text1.focused = false;
    w.form.Label1_Click();
    choose("12");
    choose("August");
    w.form.Label1_Click(); // back to the days from the year list
    EXPECT_EQ(w.CLyS.items.size(), 31u);
    EXPECT_EQ(w.Label1.text, "01 May 2020"); // still the earlier date
    choose("31"); // no calendar check
    choose("February");
    w.CLyS.select("2019");
    w.CLyS.focused = false; // chosen by something other than the user
    w.form.CLyS_Click();
    EXPECT_EQ(w.Label1.text, "31 Feb 2019"); // the partial date is gone
    EXPECT_FALSE(w.Text1.focused);
}
