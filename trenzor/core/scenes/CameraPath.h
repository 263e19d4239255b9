#pragma once

#include "contract/EngineContract.h"

#include <QVector3D>
#include <QVector>

// The content of a browser file: the camera's way through a scene as timed
// key positions, and how long the test lasts. Sampling is a pure function of
// time, so every computer sees the same views at the same moments of a test.
class CameraPath {
public:
    struct Key {
        float time = 0;
        QVector3D eye;
        QVector3D target;
    };
    struct Pose {
        QVector3D eye;
        QVector3D target;
    };

    CameraPath() = default;
    CameraPath(QVector<Key> keys, double seconds, int frameLimit, int warmupFrames)
        : m_keys(std::move(keys))
        , m_seconds(seconds)
        , m_frameLimit(frameLimit)
        , m_warmupFrames(warmupFrames) {}

    // Smooth (Catmull-Rom) through the keys; before the first and after the
    // last key the end keys hold.
    Pose sample(double time) const;

    const QVector<Key>& keys() const { return m_keys; }
    double seconds() const { return m_seconds; }
    int frameLimit() const { return m_frameLimit; }
    int warmupFrames() const { return m_warmupFrames; }

private:
    QVector<Key> m_keys;
    double m_seconds = EngineContract::kRatedSeconds;
    int m_frameLimit = EngineContract::kMaxFrameCount;
    int m_warmupFrames = 10;
};
