#include <gtest/gtest.h>
#include "qt_main.h"
KESTRAVA_QT_TEST_MAIN
