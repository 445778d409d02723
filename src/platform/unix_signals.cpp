#include "platform/unix_signals.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace velmira {
namespace {

// The handler's only state: a lock-free atomic is safe to read in a handler.
std::atomic<int> pipeWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void writeToPipe(int signo) {
    const int fd = pipeWriteEnd.load();
    if (fd < 0) return;
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signo);
    // A full pipe already holds signals enough to act on.
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    errno = savedErrno;
}

void setAction(int signo, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Calls that other threads were in go on rather than fail with EINTR.
    action.sa_flags = SA_RESTART;
    sigaction(signo, &action, nullptr);
}

}  // namespace

UnixSignals::UnixSignals(std::initializer_list<int> signos, Handler received)
    : received_(std::move(received)) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        error_ = std::string("cannot make a pipe for signals: ") + std::strerror(errno);
        return;
    }
    readEnd_ = ends[0];
    writeEnd_ = ends[1];
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
    // One signal at a time: a handler that returns is called again for the next.
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        unsigned char byte = 0;
        if (::read(readEnd_, &byte, 1) == 1 && received_) received_(byte);
    });
    pipeWriteEnd = writeEnd_;
    for (const int signo : signos) {
        struct sigaction old {};
        if (sigaction(signo, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        setAction(signo, writeToPipe);
        caught_.push_back(signo);
    }
}

UnixSignals::~UnixSignals() {
    disarm();
    if (readEnd_ >= 0) ::close(readEnd_);
    if (writeEnd_ >= 0) ::close(writeEnd_);
}

int UnixSignals::disarm() {
    for (const int signo : caught_) setAction(signo, SIG_DFL);
    caught_.clear();
    pipeWriteEnd = -1;
    notifier_.reset();
    unsigned char byte = 0;
    return readEnd_ >= 0 && ::read(readEnd_, &byte, 1) == 1 ? byte : 0;
}

void UnixSignals::endBySignal(int signo) {
    setAction(signo, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signo);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signo);
    // Only a signal whose default action is not to end the process gets here.
    ::_exit(128 + signo);
}

}  // namespace velmira
