#include "BenchProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <sstream>

extern char** environ;

namespace bench {

double NowSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int64_t PeakResidentKiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6));
    }
    return -1;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void SyncFileSystem() { ::sync(); }

namespace {

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string ReadAll(int fd) {
    std::string out;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

double CpuSeconds(const rusage& u) {
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

Sample RunInChild(const std::function<void(Sample&)>& body) {
    Sample result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        result.error = "pipe failed";
        return result;
    }
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        result.error = "fork failed";
        return result;
    }
    if (pid == 0) {
        ::close(fds[0]);
        Sample s;
        std::ostringstream out;
        out.precision(17);
        try {
            body(s);
            s.peakKiB = PeakResidentKiB();
            rusage usage{};
            ::getrusage(RUSAGE_SELF, &usage);
            s.cpuSeconds = CpuSeconds(usage);
            out << "ok " << s.seconds << ' ' << s.cpuSeconds << ' ' << s.peakKiB << ' ' << s.values.size();
            for (double v : s.values) out << ' ' << v;
            if (!s.error.empty()) out << "\nerror " << s.error;
        } catch (const std::exception& e) {
            out << "fail " << e.what();
        }
        WriteAll(fds[1], out.str());
        std::fflush(nullptr);
        ::_exit(0);
    }
    ::close(fds[1]);
    const std::string text = ReadAll(fds[0]);
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    std::istringstream in(text);
    std::string tag;
    in >> tag;
    if (tag == "ok") {
        size_t count = 0;
        in >> result.seconds >> result.cpuSeconds >> result.peakKiB >> count;
        result.values.resize(count);
        for (double& v : result.values) in >> v;
        result.ok = true;
        std::string rest;
        std::getline(in, rest);
        if (std::getline(in, rest) && rest.rfind("error ", 0) == 0) result.error = rest.substr(6);
    } else if (tag == "fail") {
        std::getline(in, result.error);
    } else {
        result.error = "measurement process ended without a result (status " + std::to_string(status) + ")";
    }
    return result;
}

Sample RunCommand(const std::vector<std::string>& argv, const std::vector<int>& acceptedStatus,
                  const std::vector<std::string>& extraEnvironment) {
    Sample result;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> envStore;
    for (char** e = environ; *e; ++e) envStore.emplace_back(*e);
    for (const std::string& e : extraEnvironment) envStore.push_back(e);
    std::vector<char*> env;
    for (std::string& e : envStore) env.push_back(e.data());
    env.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::fflush(nullptr);
    const double start = NowSeconds();
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        result.error = "cannot start " + argv[0] + ": " + std::strerror(rc);
        return result;
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    result.seconds = NowSeconds() - start;
    result.peakKiB = usage.ru_maxrss;
    result.cpuSeconds = CpuSeconds(usage);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.ok = code == 0 || std::find(acceptedStatus.begin(), acceptedStatus.end(), code) != acceptedStatus.end();
    if (!result.ok) result.error = argv[0] + " ended with status " + std::to_string(code);
    result.values.push_back(code);
    return result;
}

}  // namespace bench
