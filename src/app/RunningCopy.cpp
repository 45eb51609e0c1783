#include "app/RunningCopy.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLocale>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/Files.h"
#include "platform/Log.h"

namespace corkwallery {

namespace {

constexpr auto kStreamVersion = QDataStream::Qt_6_0;
// A copy that has just taken the lock listens as soon as its event loop runs.
constexpr int kConnectingMs = 5000;
// Pinning many large photos takes a while.
constexpr int kAnsweringMs = 120000;

QString socketPath(const std::string& lockPath) {
    std::string path = lockPath;
    if (path.ends_with(".lock"))
        path.resize(path.size() - 5);
    return platform::files::toQt(path + ".socket");
}

void print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.data(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// One request: the count, then every path's bytes; the count of languages, then every tag's bytes.
// Empty when no answer came in time.
std::optional<QString> ask(const QString& path, const std::vector<std::string>& files,
                           const QStringList& languages) {
    QLocalSocket socket;
    const QDeadlineTimer connecting(kConnectingMs);
    for (socket.connectToServer(path); !socket.waitForConnected(1000);
         socket.connectToServer(path)) {
        if (connecting.hasExpired())
            return std::nullopt;
        QThread::msleep(100);
    }
    QDataStream out(&socket);
    out.setVersion(kStreamVersion);
    out << static_cast<quint32>(files.size());
    for (const std::string& file : files)
        out << QByteArray::fromStdString(file);
    out << static_cast<quint32>(languages.size());
    for (const QString& language : languages)
        out << language.toUtf8();
    QDataStream in(&socket);
    in.setVersion(kStreamVersion);
    const QDeadlineTimer answering(kAnsweringMs);
    do {
        QString answer;
        in.startTransaction();
        in >> answer;
        if (in.commitTransaction())
            return answer;
    } while (socket.waitForReadyRead(static_cast<int>(answering.remainingTime())));
    return std::nullopt;
}

// As QLocale::uiLanguages() names languages: letters, digits, '-' and '_', briefly.
bool isLanguageTag(const QByteArray& tag) {
    return !tag.isEmpty() && tag.size() <= RunningCopy::kMaxLanguageBytes &&
           std::all_of(tag.begin(), tag.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_';
           });
}

}  // namespace

RunningCopy::RunningCopy(const std::string& lockPath, Handler handler)
    : path_(socketPath(lockPath)), handler_(std::move(handler)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readRequest(socket); });
            // A client that neither finishes its request nor leaves is cut off; the clock stops
            // once the request is whole, however long pinning its files takes.
            auto* timeout = new QTimer(socket);
            timeout->setObjectName(QStringLiteral("requestTimeout"));
            timeout->setSingleShot(true);
            connect(timeout, &QTimer::timeout, socket, &QLocalSocket::abort);
            timeout->start(kClientTimeoutMs);
        }
    });
}

RunningCopy::~RunningCopy() = default;

bool RunningCopy::listen() {
    QLocalServer::removeServer(path_);
    if (server_->listen(path_))
        return true;
    platform::log("ERROR listening for other starts: " + platform::files::fromQt(path_) + ": " +
                  server_->errorString().toStdString());
    return false;
}

void RunningCopy::readRequest(QLocalSocket* socket) {
    if (socket->bytesAvailable() > kMaxRequestBytes)
        return refuse(socket, "more than " + std::to_string(kMaxRequestBytes) + " bytes");
    QDataStream in(socket);
    in.setVersion(kStreamVersion);
    in.startTransaction();
    quint32 count = 0;
    in >> count;
    if (in.status() == QDataStream::Ok && count > kMaxFiles)
        return refuse(socket, "more than " + std::to_string(kMaxFiles) + " files");
    std::vector<std::string> files;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QByteArray file;
        in >> file;
        files.push_back(file.toStdString());
    }
    quint32 languageCount = 0;
    in >> languageCount;
    if (in.status() == QDataStream::Ok && languageCount > kMaxLanguages)
        return refuse(socket, "more than " + std::to_string(kMaxLanguages) + " languages");
    QStringList languages;
    bool tags = true;
    for (quint32 i = 0; i < languageCount && in.status() == QDataStream::Ok; ++i) {
        QByteArray language;
        in >> language;
        tags = tags && isLanguageTag(language);
        languages << QString::fromLatin1(language);
    }
    if (!in.commitTransaction())
        return;  // the rest is still on its way
    if (!tags)
        return refuse(socket, "a language that is no language tag");
    // Relative paths would be read against this process's folder; a NUL would cut a path short.
    if (std::any_of(files.begin(), files.end(), [](const std::string& file) {
            return !file.starts_with('/') || file.find('\0') != std::string::npos;
        }))
        return refuse(socket, "a path that is not absolute, or holds a NUL byte");
    disconnect(socket, nullptr, this, nullptr);
    delete socket->findChild<QTimer*>(QStringLiteral("requestTimeout"));
    platform::log("Another start handed over " + std::to_string(files.size()) + " file(s)");
    handler_(files, languages, [guard = QPointer<QLocalSocket>(socket)](const QString& answer) {
        if (guard.isNull())  // the start gave up waiting
            return;
        QDataStream out(guard.data());
        out.setVersion(kStreamVersion);
        out << answer;
        guard->disconnectFromServer();  // once the answer is written
    });
}

void RunningCopy::refuse(QLocalSocket* socket, const std::string& why) {
    platform::log("Refused a request from another start: " + why);
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
}

int RunningCopy::handOver(const std::string& lockPath, const std::vector<std::string>& files) {
    const QString path = socketPath(lockPath);
    const QStringList languages = QLocale().uiLanguages().mid(0, kMaxLanguages);
    // Without files, one empty request asks the copy to show itself.
    for (std::size_t first = 0; first == 0 || first < files.size(); first += kMaxFiles) {
        const std::vector<std::string> part(
            files.begin() + static_cast<std::ptrdiff_t>(first),
            files.begin() + static_cast<std::ptrdiff_t>(std::min(files.size(), first + kMaxFiles)));
        const auto answer = ask(path, part, languages);
        if (!answer) {
            print(stderr, part.empty() ? tr("The running copy of Corkwallery did not answer.\n")
                                       : tr("The running copy of Corkwallery did not answer; "
                                            "the files were not pinned.\n"));
            return part.empty() ? 0 : 1;
        }
        print(stdout, *answer);
    }
    return 0;
}

}  // namespace corkwallery
