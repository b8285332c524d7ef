#include "SingleCopy.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QThread>

#include <optional>

#include <unistd.h>

// Says when a later copy waits for a running copy that has not answered; silent unless asked
// for with QT_LOGGING_RULES="tarvasto.singlecopy.debug=true".
Q_LOGGING_CATEGORY(singleCopyLog, "tarvasto.singlecopy", QtWarningMsg)

namespace {

constexpr int searchAttempts = 3;
constexpr unsigned long attemptWaitMs = 1000;
// A running copy answers from its event loop; a copy busy with a long command answers late.
constexpr int answerWaitMs = 2000;

// A request is one line: "activate", or "open " and the file's path in percent encoding, which
// keeps any byte of a path (a line end included) within the line.
const QByteArray activateRequest = "activate\n";
const QByteArray openRequestStart = "open ";
const QByteArray activatedReply = "activated\n";

QByteArray RequestFor(const QString& fileToOpen) {
    if (fileToOpen.isEmpty()) {
        return activateRequest;
    }
    return openRequestStart + QFile::encodeName(fileToOpen).toPercentEncoding() + '\n';
}

// The file that a request line hands over: empty for "activate", nothing for a line that is
// no request.
std::optional<QString> FileOfRequest(const QByteArray& line) {
    if (line == activateRequest) {
        return QString();
    }
    if (line.startsWith(openRequestStart) && line.endsWith('\n') &&
        line.size() > openRequestStart.size() + 1) {
        return QFile::decodeName(
            QByteArray::fromPercentEncoding(line.mid(openRequestStart.size()).chopped(1)));
    }
    return std::nullopt;
}

// A folder of the user's own when the session offers one; the temporary folder otherwise, with
// the user in the name so that two users' copies never meet.
QString MeetingFolder() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty()) {
            return runtime;
        }
    }
    return QDir::tempPath();
}

// Paths can be long and hold any character; socket names cannot, so the name is a digest.
QString MeetingName(const QString& programPath) {
    QString path = programPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QByteArray key = path.toUtf8() + '\n' + QByteArray::number(::getuid());
    const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
    return QStringLiteral("tarvasto-") + QString::fromLatin1(digest.left(24));
}

void WaitAtIdlePriority() {
    QThread* thread = QThread::currentThread();
    const QThread::Priority before = thread->priority();
    thread->setPriority(QThread::IdlePriority);
    QThread::msleep(attemptWaitMs);
    thread->setPriority(before == QThread::InheritPriority ? QThread::NormalPriority : before);
}

} // namespace

SingleCopy::SingleCopy(const QString& programPath) {
    const QString base = MeetingFolder() + QLatin1Char('/') + MeetingName(programPath);
    lockFileName = base + QStringLiteral(".lock");
    socketName = base + QStringLiteral(".socket");
    lock = std::make_unique<QLockFile>(lockFileName);
    // The running copy holds the lock for as long as it runs; only a copy that has ended leaves
    // a stale lock, and QLockFile recognises that by its process.
    lock->setStaleLockTime(0);
}

SingleCopy::~SingleCopy() {
    // The socket goes before the lock, so that a copy that takes the lock finds no old socket.
    server.reset();
    lock.reset();
}

bool SingleCopy::HandOverToRunningCopy(const QString& fileToOpen) {
    for (int attempt = 1;; ++attempt) {
        if (lock->tryLock(0)) {
            return false;
        }
        if (AskRunningCopyToActivate(fileToOpen)) {
            return true;
        }
        // Without a lock file of its own kind (an unwritable folder) there is no one to wait for.
        if (attempt == searchAttempts || lock->error() != QLockFile::LockFailedError) {
            return false;
        }
        // A copy still starting holds the lock before it answers: give it a moment.
        qCDebug(singleCopyLog, "the running copy has not answered (attempt %d of %d); waiting",
                attempt, searchAttempts);
        WaitAtIdlePriority();
    }
}

bool SingleCopy::AskRunningCopyToActivate(const QString& fileToOpen) const {
    QLocalSocket socket;
    socket.connectToServer(socketName);
    if (!socket.waitForConnected(answerWaitMs)) {
        return false;
    }
    socket.write(RequestFor(fileToOpen));
    if (!socket.waitForBytesWritten(answerWaitMs)) {
        return false;
    }
    QByteArray reply;
    while (!reply.contains('\n')) {
        if (!socket.waitForReadyRead(answerWaitMs)) {
            return false;
        }
        reply += socket.readAll();
    }
    return reply.startsWith(activatedReply);
}

void SingleCopy::ServeActivation(std::function<void(const QString&)> activateWindow) {
    if (!lock->isLocked()) {
        return;
    }
    activate = std::move(activateWindow);
    server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left behind by a copy that crashed would make listening fail.
    QLocalServer::removeServer(socketName);
    if (!server->listen(socketName)) {
        qWarning("SingleCopy: cannot answer later copies: %s",
                 qUtf8Printable(server->errorString()));
        server.reset();
        return;
    }
    QObject::connect(server.get(), &QLocalServer::newConnection, server.get(),
                     [this] { AnswerWaitingCopies(); });
}

void SingleCopy::AnswerWaitingCopies() {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        const auto answer = [this, socket] {
            if (!socket->canReadLine()) {
                return;
            }
            const std::optional<QString> fileToOpen = FileOfRequest(socket->readLine());
            if (!fileToOpen) {
                socket->abort();
                return;
            }
            // The later copy has its answer before anything here can take time (a question
            // about unsaved changes waits for the user), so that it never gives up waiting.
            socket->write(activatedReply);
            socket->flush();
            socket->disconnectFromServer();
            if (activate) {
                activate(*fileToOpen);
            }
        };
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, answer);
        // The request may have arrived with the connection.
        answer();
    }
}
