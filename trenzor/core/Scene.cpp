#include "Scene.h"

#include "SceneFile.h"

#include <QFile>

QString Scene::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("Soubor scény %1 nelze otevřít: %2").arg(path, file.errorString());
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return QStringLiteral("Soubor scény %1 nelze číst: %2").arg(path, file.errorString());
    }
    SceneFile::SceneResult result = SceneFile::decodeScene(bytes);
    if (!result.ok()) {
        return QStringLiteral("Soubor scény %1 je vadný: %2").arg(path, result.error);
    }
    m_data = std::move(result.scene);
    return {};
}
