#pragma once

#include <gtest/gtest.h>

#include <QApplication>

// GoogleTest's main with a QApplication for the widgets, offscreen unless told otherwise.
#define KESTRAVA_QT_TEST_MAIN                                 \
    int main(int argc, char** argv) {                         \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) { \
            qputenv("QT_QPA_PLATFORM", "offscreen");          \
        }                                                     \
        QApplication application(argc, argv);                 \
        ::testing::InitGoogleTest(&argc, argv);               \
        return RUN_ALL_TESTS();                               \
    }
