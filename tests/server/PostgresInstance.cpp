#include "PostgresInstance.h"

#include "FreePort.h"

#include <QProcess>
#include <unistd.h>

namespace {

const QString kBin = QStringLiteral("/usr/lib/postgresql/15/bin/");
const QString kUser = QStringLiteral("vykon");

} // namespace

PostgresInstance::PostgresInstance() = default;

PostgresInstance::~PostgresInstance() {
    if (m_started) {
        run(QStringLiteral("pg_ctl"),
            {QStringLiteral("-D"), m_folder.filePath(QStringLiteral("data")), QStringLiteral("-m"),
             QStringLiteral("immediate"), QStringLiteral("stop")});
    }
}

QString PostgresInstance::run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (geteuid() == 0) {
        process.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("nobody"),
                                                             QStringLiteral("--"), kBin + program} +
                                                     arguments);
    } else {
        process.start(kBin + program, arguments);
    }
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return QStringLiteral("%1 %2: %3")
            .arg(program, arguments.join(QLatin1Char(' ')),
                 QString::fromLocal8Bit(process.readAll() + process.errorString().toUtf8()));
    }
    return {};
}

QString PostgresInstance::start() {
    if (!m_folder.isValid()) {
        return QStringLiteral("no temporary folder");
    }
    if (geteuid() == 0 && chown(m_folder.path().toLocal8Bit().constData(), 65534, 65534) != 0) {
        return QStringLiteral("cannot hand %1 to nobody").arg(m_folder.path());
    }
    const QString data = m_folder.filePath(QStringLiteral("data"));
    if (QString error =
            run(QStringLiteral("initdb"), {QStringLiteral("-D"), data, QStringLiteral("-U"), kUser,
                                           QStringLiteral("--auth=trust"), QStringLiteral("--no-sync")});
        !error.isEmpty()) {
        return error;
    }
    m_port = FreePort();
    if (QString error =
            run(QStringLiteral("pg_ctl"),
                {QStringLiteral("-D"), data, QStringLiteral("-l"), m_folder.filePath(QStringLiteral("log")),
                 QStringLiteral("-w"), QStringLiteral("-o"),
                 QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off")
                     .arg(m_port)
                     .arg(m_folder.path()),
                 QStringLiteral("start")});
        !error.isEmpty()) {
        return error;
    }
    m_started = true;
    return run(QStringLiteral("createdb"),
               {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                QString::number(m_port), QStringLiteral("-U"), kUser, QStringLiteral("vysledky")});
}

QString PostgresInstance::url() const {
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/vysledky").arg(kUser).arg(m_port);
}
