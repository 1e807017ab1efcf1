// The Qt host's tests run on the offscreen platform (ctest sets it too), with
// one QApplication for the whole program. Qt's settings (the file picker
// keeps some) and runtime files go to a temporary folder, not the user's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (home.isValid()) {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));  // 0700, as Qt wants
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
