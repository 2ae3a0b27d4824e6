#pragma once

#include <QTemporaryDir>
#include <QtTest>

namespace testsupport {

// Gives a test process its own HOME, XDG_CONFIG_HOME and 0700 XDG_RUNTIME_DIR in a temporary
// folder, removed at exit, so no test touches the user's real settings or files. Created
// before the application object.
class TestEnvironment {
public:
    TestEnvironment();

    QString root() const { return m_root.path(); }
    QString home() const;
    QString configHome() const;

private:
    QTemporaryDir m_root;
};

} // namespace testsupport

// QTEST_MAIN with a private environment; AppClass is QCoreApplication, QGuiApplication or
// QApplication.
#define PICTAVO_TEST_MAIN(TestClass, AppClass)                                                     \
    int main(int argc, char** argv) {                                                              \
        testsupport::TestEnvironment environment;                                                  \
        AppClass app(argc, argv);                                                                  \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
