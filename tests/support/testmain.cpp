// SPDX-License-Identifier: GPL-3.0-or-later
// One main for every test executable: an application (offscreen unless the
// environment says otherwise), then GoogleTest. Tests of the core library
// get a QCoreApplication; with KALUMO_TEST_WIDGETS, a QApplication.
#ifdef KALUMO_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Tests and the programs they start never touch the user's registry.
    QTemporaryDir registry;
    if (qEnvironmentVariableIsEmpty("KALUMO_REGISTRY")) qputenv("KALUMO_REGISTRY", registry.path().toLocal8Bit());
    TestApplication app(argc, argv);
    // Nor the user's own settings: a window without a settings file of its own reads ~/.qttest.
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
