#pragma once

#include "CameraPath.h"
#include "SceneData.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// The engine's own binary formats: scene files (magic "TRZS") and browser
// files (magic "TRZB"), both little-endian, version 1, with the payload size
// in the header. Decoding checks every count against its limit and against
// the bytes left, every index against what it points to, and that nothing
// follows the last record, so a truncated, corrupted or foreign file is
// refused with a reason instead of being drawn. Stateless.
class SceneFile {
public:
    static constexpr std::uint16_t kVersion = 1;

    struct SceneResult {
        SceneData scene;
        QString error;
        bool ok() const { return error.isEmpty(); }
    };
    struct PathResult {
        CameraPath path;
        QString error;
        bool ok() const { return error.isEmpty(); }
    };

    static SceneResult decodeScene(const QByteArray& bytes);
    static PathResult decodePath(const QByteArray& bytes);

    // countOffsets, when given, receives the file offset of every count
    // field written, in file order.
    static QByteArray encodeScene(const SceneData& scene, QVector<qsizetype>* countOffsets = nullptr);
    static QByteArray encodePath(const CameraPath& path, QVector<qsizetype>* countOffsets = nullptr);
};
