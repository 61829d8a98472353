// The port selector's numbers: ascending with duplicates kept, at most 255, and an unreadable
// source giving an error and an empty list.
#include <gtest/gtest.h>

#include "app/serial_port_list.h"

namespace zep::test {
namespace {

SerialPortList ListOf(std::vector<int> numbers) {
    return SerialPortList([numbers] { return std::optional<std::vector<int>>(numbers); });
}

std::vector<int> Drain(SerialPortList& list) {
    std::vector<int> numbers;
    for (int n = list.Next(-1); n != 0; n = list.Next(-1)) {
        numbers.push_back(n);
    }
    return numbers;
}

TEST(SerialPortListTest, NumbersComeAscendingWithDuplicatesKept) {
    auto list = ListOf({10, 3, 1, 3, 2});
    EXPECT_EQ(list.Error(), 0);
    EXPECT_EQ(Drain(list), (std::vector<int>{1, 2, 3, 3, 10}));
    EXPECT_EQ(list.Next(-1), 0);
    EXPECT_EQ(list.Next(-1), 0);  // and keeps returning 0
}

TEST(SerialPortListTest, IndexedNextDoesNotMoveTheCursor) {
    auto list = ListOf({4, 2, 9});
    EXPECT_EQ(list.Next(2), 9);
    EXPECT_EQ(list.Next(0), 2);
    EXPECT_EQ(list.Next(3), 0);
    EXPECT_EQ(list.Next(-1), 2);
    EXPECT_EQ(list.Next(1), 4);
    EXPECT_EQ(list.Next(-1), 4);
}

TEST(SerialPortListTest, OnlyTheFirst255NumbersEnterSorted) {
    std::vector<int> numbers;
    for (int n = 300; n >= 1; --n) {
        numbers.push_back(n);  // 300 .. 1: the first 255 read are 300 .. 46
    }
    auto list = ListOf(numbers);
    EXPECT_EQ(list.Count(), 255);
    const auto drained = Drain(list);
    ASSERT_EQ(drained.size(), 255u);
    EXPECT_EQ(drained.front(), 46);
    EXPECT_EQ(drained.back(), 300);
    EXPECT_TRUE(std::is_sorted(drained.begin(), drained.end()));
}

TEST(SerialPortListTest, UnreadableSourceGivesAnErrorAndAnEmptyList) {
    SerialPortList list([] { return std::optional<std::vector<int>>(); });
    EXPECT_NE(list.Error(), 0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Next(-1), 0);
    auto noNumbers = ListOf({0, -3});
    EXPECT_EQ(noNumbers.Count(), 0);  // item data 0 would mean "no port"
}

}  // namespace
}  // namespace zep::test
