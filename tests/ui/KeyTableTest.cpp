#include "KeyTable.h"

#include <gtest/gtest.h>

namespace {

// No row may hide behind an earlier one, and a menu can show every row by its texts.
TEST(KeyTableTest, EveryRowIsReachableAndNamed) {
    const auto rows = KeyTable::Entries();
    for (const KeyBinding& row : rows) {
        EXPECT_FALSE(row.Label.empty()) << row.KeyCode;
        EXPECT_FALSE(row.KeyLabel.empty()) << row.KeyCode;
        const int32_t shift = row.Modifiers == KeyTable::AnyModifiers ? 0 : row.Modifiers;
        const int32_t presses = row.Presses == KeyTable::AnyPresses ? 1 : row.Presses;
        EXPECT_EQ(KeyTable::Find(row.KeyCode, shift, presses), &row) << row.Label;
    }
}

} // namespace
