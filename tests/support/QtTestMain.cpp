// Test entry point shared by the test executables that need Qt: a
// QCoreApplication (or QApplication where widgets are linked) and a private
// configuration folder, set before anything reads the settings store.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>

#ifdef ORBICAP_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#elif defined(ORBICAP_TEST_GUI)
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

// Tests of the capture thread's failure path ask for a frame block no
// allocator can give; it must come back as an exception, as it does without
// a sanitizer.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}
#endif
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_options() {
    return "allocator_may_return_null=1";
}
#endif

int main(int argc, char** argv) {
    QTemporaryDir config;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
