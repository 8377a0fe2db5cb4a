// main() of every GUI test: an offscreen QApplication on a laptop's screen
// (1366x768, laptop_screen.json), settings kept away from the user's own,
// then GoogleTest.
#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + VELLUMARK_TEST_SCREEN);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
