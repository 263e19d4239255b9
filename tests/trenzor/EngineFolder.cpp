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
