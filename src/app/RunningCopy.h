#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace corkwallery {

// The running copy's ear for later starts of the program: a local socket beside the
// single-instance lock (its path with ".socket" for ".lock"), open only to the user. A later start
// sends the absolute paths it was given (none at all to ask the copy to show itself) and its
// languages, and prints the answer, made in those. A request holds at most kMaxFiles paths and
// kMaxLanguages language tags in kMaxRequestBytes; one that breaks the rules is dropped with a log
// line, and a client is cut off after kClientTimeoutMs.
class RunningCopy final : public QObject {
    Q_OBJECT
public:
    static constexpr quint32 kMaxFiles = 1000;
    static constexpr qint64 kMaxRequestBytes = 8 * 1024 * 1024;
    static constexpr quint32 kMaxLanguages = 32;
    static constexpr qsizetype kMaxLanguageBytes = 64;
    static constexpr int kClientTimeoutMs = 10000;

    // Answers a request: the paths handed over and the start's languages (QLocale::uiLanguages(),
    // the preferred first); `reply` is given what to print for that start, now or later.
    using Reply = std::function<void(const QString&)>;
    using Handler = std::function<void(const std::vector<std::string>& files,
                                       const QStringList& languages, const Reply& reply)>;

    RunningCopy(const std::string& lockPath, Handler handler);
    ~RunningCopy() override;

    // Only while this process holds the lock: a socket file left there is stale and replaced.
    // False, after a log line, when it cannot listen.
    bool listen();

    // A later start's side: hands `files` (absolute) and this process's languages to the copy
    // holding the lock at `lockPath`, trying for a few seconds while that copy may still be
    // starting, prints its answer on standard output and gives the exit status: 0, or 1 when files
    // could not be handed over (with a line on standard error).
    static int handOver(const std::string& lockPath, const std::vector<std::string>& files);

private:
    void readRequest(QLocalSocket* socket);
    void refuse(QLocalSocket* socket, const std::string& why);

    QString path_;
    Handler handler_;
    QLocalServer* server_;  // a child
};

}  // namespace corkwallery
