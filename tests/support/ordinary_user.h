#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace velmira::test {

// Runs `work` in a child process as a user who is not root (root may enter and
// write anything); returns the child's exit status.
inline int asOrdinaryUser(const std::function<int()>& work) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
        _exit(work());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

}  // namespace velmira::test
