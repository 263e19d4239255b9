#pragma once

#include "SceneData.h"

#include <QMatrix4x4>
#include <QString>
#include <QVector3D>

class QOpenGLFunctions_2_1;

// One scene of a test: loaded from its scene file, set up on the GPU when
// its test begins, drawn once a frame (twice with stereo) and torn down when
// the test ends. The OpenGL context must be current for setup, draw and
// teardown; teardown must run before the context goes away.
class Scene {
public:
    // What one frame looks at: the camera and the scene's clock.
    struct View {
        QMatrix4x4 projection;
        QMatrix4x4 view;
        QVector3D eye;
        double time = 0;
    };

    virtual ~Scene() = default;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Reads and checks the scene file; returns an error text naming the
    // file, or empty.
    QString load(const QString& path);
    virtual void setup(QOpenGLFunctions_2_1& gl) = 0;
    virtual void draw(QOpenGLFunctions_2_1& gl, const View& view) = 0;
    virtual void teardown(QOpenGLFunctions_2_1& gl) = 0;

    const SceneData& data() const { return m_data; }

protected:
    Scene() = default;

    SceneData m_data;
};
