#include "SceneDecoder.h"

#include "EngineFile.h"
#include "SceneFile.h"

#include <QCryptographicHash>
#include <QHash>

namespace {

// Reads a scene or browser file whole and decodes it into decoded, unless
// it is there already; adds its bytes to the slots' hash either way. Returns
// why the file cannot be read or decoded, naming it (introduced by what), or
// empty.
template <typename Value, typename Result>
QString decodeOnce(QHash<QString, Value>& decoded, QHash<QString, QByteArray>& digests,
                   QCryptographicHash& hash, const QString& path, const QString& what,
                   Result (*decode)(const QByteArray&), Value Result::*value) {
    if (decoded.contains(path)) {
        hash.addData(digests.value(path));
        return {};
    }
    const EngineFile::Result file = EngineFile::read(path, EngineFile::kSceneLimit);
    if (!file.ok()) {
        return file.error;
    }
    const QByteArray digest = QCryptographicHash::hash(file.bytes, QCryptographicHash::Sha256);
    digests.insert(path, digest);
    hash.addData(digest);
    Result result = decode(file.bytes);
    if (!result.ok()) {
        return QStringLiteral("%1 %2 je vadný: %3").arg(what, path, result.error);
    }
    decoded.insert(path, std::move(result.*value));
    return {};
}

} // namespace

SceneDecoder::Result SceneDecoder::decode(const QVector<RunConfig::ScenePair>& scenes, double seconds) {
    QHash<QString, CameraPath> paths;
    QHash<QString, SceneData> decodedScenes;
    QHash<QString, QByteArray> digests;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    Result result;
    for (const RunConfig::ScenePair& pair : scenes) {
        if (QString error =
                decodeOnce(paths, digests, hash, pair.browserFile, QStringLiteral("Soubor průletu"),
                           &SceneFile::decodePath, &SceneFile::PathResult::path);
            !error.isEmpty()) {
            return {{}, error, {}};
        }
        if (QString error =
                decodeOnce(decodedScenes, digests, hash, pair.sceneFile, QStringLiteral("Soubor scény"),
                           &SceneFile::decodeScene, &SceneFile::SceneResult::scene);
            !error.isEmpty()) {
            return {{}, error, {}};
        }
        const CameraPath& path = paths[pair.browserFile];
        result.decoded.append(
            {seconds > 0 ? stretched(path, seconds) : path, decodedScenes.value(pair.sceneFile)});
    }
    result.scenesHash = QString::fromLatin1(hash.result().toHex());
    return result;
}

CameraPath SceneDecoder::stretched(const CameraPath& path, double seconds) {
    if (path.seconds() <= 0) {
        return path;
    }
    QVector<CameraPath::Key> keys = path.keys();
    const double scale = seconds / path.seconds();
    for (CameraPath::Key& key : keys) {
        key.time = float(key.time * scale);
    }
    return CameraPath(keys, seconds, path.frameLimit(), path.warmupFrames());
}
