#include "EngineFolder.h"

#include <QFile>
#include <QProcess>

QString EngineFolder::fill(const QStringList& generatorOptions) {
    if (!m_folder.isValid()) {
        return QStringLiteral("no temporary working folder");
    }
    QProcess generator;
    generator.setProcessChannelMode(QProcess::ForwardedChannels);
    generator.start(QStringLiteral(TRENZOR_SCENEGEN), QStringList{m_folder.path()} + generatorOptions);
    if (!generator.waitForFinished(180000) || generator.exitStatus() != QProcess::NormalExit ||
        generator.exitCode() != 0) {
        return QStringLiteral("the scene generator failed: %1").arg(generator.errorString());
    }
    if (!QFile::copy(QStringLiteral(TRENZOR_EXE), QStringLiteral("trenzor.exe"))) {
        return QStringLiteral("the engine could not be copied into %1").arg(m_folder.path());
    }
    return {};
}

bool EngineFolder::runHeadless(const QStringList& arguments) const {
    QProcess engine;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    engine.setProcessEnvironment(environment);
    engine.setProcessChannelMode(QProcess::MergedChannels);
    engine.start(filePath(QStringLiteral("trenzor.exe")), arguments);
    const bool ok = engine.waitForFinished(180000) && engine.exitStatus() == QProcess::NormalExit &&
                    engine.exitCode() == 0;
    if (!ok) {
        qWarning("%s", engine.readAll().constData());
    }
    return ok;
}
