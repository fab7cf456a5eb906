#include <QApplication>
#include <gtest/gtest.h>

// Widgets need one application object for the whole test program.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
