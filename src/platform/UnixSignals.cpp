#include "platform/UnixSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>

namespace corkwallery::platform {

namespace {

constexpr std::array<int, 3> kTerminationSignals{SIGTERM, SIGINT, SIGHUP};

// The write end of the self-pipe; the handler only writes one byte into it.
volatile std::sig_atomic_t signalPipeWriteEnd = -1;

extern "C" void onTerminationSignal(int signal) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    if (signalPipeWriteEnd >= 0)
        (void)!::write(signalPipeWriteEnd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

class UnixSignals::Handlers {
public:
    explicit Handlers(UnixSignals& owner) {
        if (::pipe2(pipe_.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
            std::perror("corkwallery: pipe2");
            return;
        }
        signalPipeWriteEnd = pipe_[1];
        notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, &owner, [this, &owner] {
            std::array<unsigned char, 64> bytes{};
            while (::read(pipe_[0], bytes.data(), bytes.size()) > 0) {
            }
            emit owner.terminationRequested();
        });

        struct sigaction action {};
        action.sa_handler = onTerminationSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (const int signal : kTerminationSignals)
            sigaddset(&action.sa_mask, signal);
        // An ignored hang-up or interrupt handed down by nohup or a background job stays so.
        for (std::size_t i = 0; i < kTerminationSignals.size(); ++i) {
            const int signal = kTerminationSignals[i];
            installed_[i] = ::sigaction(signal, nullptr, &previous_[i]) == 0 &&
                            (signal == SIGTERM || previous_[i].sa_handler != SIG_IGN) &&
                            ::sigaction(signal, &action, nullptr) == 0;
        }
    }

    ~Handlers() {
        for (std::size_t i = 0; i < kTerminationSignals.size(); ++i) {
            if (installed_[i])
                ::sigaction(kTerminationSignals[i], &previous_[i], nullptr);
        }
        signalPipeWriteEnd = -1;
        notifier_.reset();
        ::close(pipe_[0]);  // -1 when the pipe failed: nothing happens
        ::close(pipe_[1]);
    }

private:
    std::array<int, 2> pipe_{-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    std::array<struct sigaction, kTerminationSignals.size()> previous_{};
    std::array<bool, kTerminationSignals.size()> installed_{};
};

UnixSignals::UnixSignals(QObject* parent)
    : QObject(parent), handlers_(std::make_unique<Handlers>(*this)) {}

UnixSignals::~UnixSignals() = default;

}  // namespace corkwallery::platform
