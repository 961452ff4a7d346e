// The one QApplication of a test program that shows widgets.
#pragma once

#include <QApplication>

// Made on first use and kept to the end of the process: destroyed among the
// other statics at exit it would outlive the pointing device that enter
// events use.
inline QApplication* test_qt_application() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return app;
}
