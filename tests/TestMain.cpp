#include <cstdlib>
#include <string>

#ifdef MARLUNE_TEST_GUI
#include <QApplication>
#endif
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Each test process gets a home of its own, so test cases that CTest runs in
// parallel never share settings files or profile values.
void UsePrivateHome(const QTemporaryDir& home)
{
    const QString root = home.path();
    const QString runtime = root + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const auto set = [](const char* name, const QString& value) {
        qputenv(name, value.toLocal8Bit());
    };
    set("HOME", root);
    set("XDG_CONFIG_HOME", root + QStringLiteral("/.config"));
    set("XDG_DATA_HOME", root + QStringLiteral("/.local/share"));
    set("XDG_CACHE_HOME", root + QStringLiteral("/.cache"));
    set("XDG_RUNTIME_DIR", runtime);
    set("XDG_MUSIC_DIR", root + QStringLiteral("/Music"));
    set("XDG_DESKTOP_DIR", root + QStringLiteral("/Desktop"));
}

} // namespace

// Sanitizer options live here rather than in CTest's environment, so a test
// binary run by hand behaves as under CTest.
// Qt comes from the system and is not instrumented: its own queue locks are
// futexes that ThreadSanitizer cannot see, so the memory its intercepted
// calls (memmove, malloc) touch for another thread looks raced. Those calls
// are left unchecked; every access made by Marlune's code still is.
extern "C" const char* __tsan_default_options()
{
    return "halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:"
           "suppressions=" MARLUNE_SOURCE_DIR "/tests/tsan.supp";
}
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=1:suppressions=" MARLUNE_SOURCE_DIR "/tests/asan.supp";
}
extern "C" const char* __lsan_default_options()
{
    return "suppressions=" MARLUNE_SOURCE_DIR "/tests/lsan.supp";
}
extern "C" const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/marlune-test-home-XXXXXX"));
    if (!home.isValid())
        return 3;
    UsePrivateHome(home);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("LANG", "C.UTF-8");
    qputenv("TZ", "UTC");
#ifdef MARLUNE_TEST_GUI
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    QCoreApplication::setApplicationName(QStringLiteral("marlune"));
    return RUN_ALL_TESTS();
}
