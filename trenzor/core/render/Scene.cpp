#include "Scene.h"

#include "EngineFile.h"
#include "SceneFile.h"

QString Scene::load(const QString& path) {
    const EngineFile::Result file = EngineFile::read(path, EngineFile::kSceneLimit);
    if (!file.ok()) {
        return file.error;
    }
    SceneFile::SceneResult result = SceneFile::decodeScene(file.bytes);
    if (!result.ok()) {
        return QStringLiteral("Soubor scény %1 je vadný: %2").arg(path, result.error);
    }
    m_data = std::move(result.scene);
    return {};
}
