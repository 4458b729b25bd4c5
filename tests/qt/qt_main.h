#pragma once

#include <gtest/gtest.h>

#include <QApplication>

// GoogleTest's main with a QApplication for the widgets.
#define KESTRAVA_QT_TEST_MAIN                   \
    int main(int argc, char** argv) {           \
        QApplication application(argc, argv);   \
        ::testing::InitGoogleTest(&argc, argv); \
        return RUN_ALL_TESTS();                 \
    }
