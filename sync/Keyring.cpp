#include "sync/Keyring.h"

#include <qt6keychain/keychain.h>
#include <QEventLoop>
#include <QTimer>

namespace korvale::sync {

namespace {

// Every entry of ours is under this service name; the key names the user and the server.
const QString kService = QStringLiteral("korvale");
// A keyring that neither answers nor fails (a prompt nobody can see) counts as unavailable.
constexpr int kAnswerTimeoutMs = 30000;

// Runs the job and waits for its end. A job that never ends is left to finish on its own and delete
// itself; its answer is not waited for.
Keyring::Result runJob(QKeychain::Job* job) {
    job->setAutoDelete(false);
    // Never the plain-text file QtKeychain can fall back to.
    job->setInsecureFallback(false);
    QEventLoop wait;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(job, &QKeychain::Job::finished, &wait, &QEventLoop::quit);
    QObject::connect(&timeout, &QTimer::timeout, &wait, &QEventLoop::quit);
    job->start();
    timeout.start(kAnswerTimeoutMs);
    wait.exec();
    Keyring::Result result;
    if (!timeout.isActive()) {
        job->setAutoDelete(true);
        result.why = QStringLiteral("the Secret Service gave no answer");
        return result;
    }
    switch (job->error()) {
        case QKeychain::NoError:
            result.outcome = Keyring::Outcome::Done;
            if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(job))
                result.password = read->textData();
            break;
        case QKeychain::EntryNotFound:
            result.outcome = Keyring::Outcome::NotFound;
            break;
        default:
            result.why = job->errorString();
            break;
    }
    delete job;
    return result;
}

}  // namespace

Keyring::Keyring(QString url, QString user) : key_(user + QLatin1Char('@') + url) {}

Keyring::Result Keyring::read() const {
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(key_);
    return runJob(job);
}

Keyring::Result Keyring::write(const QString& password) const {
    auto* job = new QKeychain::WritePasswordJob(kService);
    job->setKey(key_);
    job->setTextData(password);
    return runJob(job);
}

Keyring::Result Keyring::remove() const {
    auto* job = new QKeychain::DeletePasswordJob(kService);
    job->setKey(key_);
    return runJob(job);
}

}  // namespace korvale::sync
