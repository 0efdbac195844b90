#include "app/WindowedDisplayProbe.h"

#include <QGuiApplication>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

bool IsSet(const char* name) { return !qEnvironmentVariableIsEmpty(name); }

// Platforms that draw into memory or a framebuffer of their own never need a display server.
bool PlatformNeedsNoServer() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM").section(QLatin1Char(':'), 0, 0);
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

// The child: quiet, no core file, and whatever Qt does when the display fails happens here.
[[noreturn]] void ProbeInChild() {
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (devNull >= 0) {
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
    }
    int argc = 1;
    char name[] = "tandor";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    ::_exit(0);
}

long long MillisecondsSince(const timespec& start) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1000000LL;
}

}  // namespace

QString NamedDisplay() {
    if (IsSet("DISPLAY")) return qEnvironmentVariable("DISPLAY");
    if (IsSet("WAYLAND_DISPLAY")) return qEnvironmentVariable("WAYLAND_DISPLAY");
    return qEnvironmentVariable("QT_QPA_PLATFORM");
}

DisplayState ProbeDisplay(int timeoutMs) {
    if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY") && !IsSet("QT_QPA_PLATFORM")) return DisplayState::None;
    if (PlatformNeedsNoServer()) return DisplayState::Reachable;
    const pid_t child = ::fork();
    if (child < 0) return DisplayState::Unreachable;  // cannot find out safely: run without windows
    if (child == 0) ProbeInChild();
    timespec start{};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? DisplayState::Reachable
                                                                               : DisplayState::Unreachable;
        if (done < 0 && errno != EINTR) return DisplayState::Unreachable;
        if (MillisecondsSince(start) >= timeoutMs) {
            // A display host that swallows the connection: give up on it.
            ::kill(child, SIGKILL);
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return DisplayState::Unreachable;
        }
        const timespec pause{0, 5 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
}
