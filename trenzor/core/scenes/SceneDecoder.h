#pragma once

#include "CameraPath.h"
#include "SceneData.h"
#include "contract/RunConfig.h"

#include <QString>
#include <QVector>

// Reads and checks every slot's scene and browser files before anything is
// drawn; a file named by several slots is read and decoded once and the
// slots share its data. Only static functions.
class SceneDecoder {
public:
    // A slot's camera path and scene.
    struct Slot {
        CameraPath path;
        SceneData scene;
    };
    struct Result {
        QVector<Slot> decoded;
        // Why a file cannot be read or decoded, naming it; empty when all
        // could.
        QString error;
        // SHA-256 (hex) of each slot's browser and scene file's SHA-256 in
        // turn: which files, in which order, the run drew.
        QString scenesHash;
    };

    // With seconds above 0, every path is flown in that many seconds.
    static Result decode(const QVector<RunConfig::ScenePair>& scenes, double seconds);
    // The whole flight in the time asked: the same pictures, sooner or
    // later.
    static CameraPath stretched(const CameraPath& path, double seconds);
};
