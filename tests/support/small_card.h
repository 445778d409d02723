#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QString>
#include <functional>
#include <optional>
#include <string>

namespace velmira::test {

// Writes `text` to a /proc file of this process; false when it cannot.
inline bool writeProc(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY);
    if (fd < 0) return false;
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

// Runs `body` in a child process that has a small card of its own mounted at
// `root` (a tmpfs of `size`, in a private user and mount namespace, so no
// privilege is needed). Returns what the body reported, or nothing when no
// such card can be made here.
inline std::optional<std::string> onSmallCard(const QString& root,
                                              const std::function<std::string()>& body,
                                              const char* size = "16k") {
    int pipe[2];
    if (::pipe(pipe) != 0) return std::nullopt;
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        std::string report = "no card";
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
            writeProc("/proc/self/setgroups", "deny") &&
            writeProc("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
            writeProc("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1") &&
            ::mount("card", root.toLocal8Bit().constData(), "tmpfs", 0,
                    (std::string("size=") + size).c_str()) == 0) {
            report = body();
        }
        [[maybe_unused]] const ssize_t n = ::write(pipe[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string report;
    char chunk[256];
    for (ssize_t n; (n = ::read(pipe[0], chunk, sizeof chunk)) > 0;) report.append(chunk, n);
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (report == "no card") return std::nullopt;
    return report;
}

}  // namespace velmira::test
