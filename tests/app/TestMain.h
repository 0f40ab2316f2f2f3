#pragma once

#include <QTest>

#include "app/OffrelApplication.h"

// The tests run inside the application object of the program, so that an error escaping a
// handler reaches the error box as it does in a run.
#define OFFREL_TEST_MAIN(TestClass)                \
    int main(int argc, char** argv) {              \
        OffrelApplication application(argc, argv); \
        TestClass test;                            \
        return QTest::qExec(&test, argc, argv);    \
    }
