#pragma once

#include "CameraPath.h"
#include "GlErrorCheck.h"
#include "GlProbe.h"
#include "LogHeader.h"
#include "MeshScene.h"
#include "OffscreenTarget.h"
#include "RunOptions.h"
#include "TextPanel.h"
#include "contract/RunConfig.h"

#include <QElapsedTimer>
#include <QList>
#include <QSize>
#include <QString>
#include <memory>

class Canvas;
class QOpenGLContext;
class QOpenGLFunctions;
class QOpenGLFunctions_2_1;

// What a run shows on its canvas, and all it asks of OpenGL: the current
// slot's scene, drawn each frame through ScenePicture into the window's
// surface or, in full screen, into the off-screen picture stretched over the
// screen, with the frame-rate counter in its corner; the text panel of an
// intro or a message screen; the errors OpenGL recorded; and the buffer bits
// and sizes the log's header names. Lives as long as the engine; open() and
// create() once the context is current, release() before it goes.
class SceneView {
public:
    SceneView(const RunConfig& config, Canvas& canvas, const QElapsedTimer& clock);
    SceneView(const SceneView&) = delete;
    SceneView& operator=(const SceneView&) = delete;

    // Takes the context's OpenGL 2.1 functions, and starts its debug output
    // when asked; false when the context has no OpenGL 2.1.
    bool open(QOpenGLContext* context, bool debug);
    bool ready() const { return m_gl != nullptr; }
    // The renderer the context names.
    QString renderer() const;
    // Makes the full-screen picture and reads the bits granted; an error
    // text, or empty.
    QString create();
    // What the header's conditions line says of the picture, and of the
    // tests the command line chose, if any.
    LogHeader::Granted granted(const RunOptions* options, const QString& vsync) const;

    // The scene of the slot that starts, set up on the GPU.
    void load(const SceneData& scene);
    // The current scene torn down, if there is one.
    void unload();
    const MeshScene* scene() const { return m_scene.get(); }
    // A test starts: the counter counts its frames from now.
    void restartCounter(qint64 now);
    // One frame of the scene at time seconds of its clock, seen from pose.
    void draw(const CameraPath::Pose& pose, double time);
    // The panel drawn by drawPanel(), over the whole canvas.
    void setPanel(const QString& title, const QString& body, const QString& hint);
    void drawPanel();
    // The errors OpenGL recorded since the last call.
    QList<GLenum> takeGlErrors();
    void release();

private:
    QSize renderSize() const;

    const RunConfig& m_config;
    Canvas& m_canvas;
    const QElapsedTimer& m_clock;
    QOpenGLFunctions* m_functions = nullptr;
    QOpenGLFunctions_2_1* m_gl = nullptr;
    GlProbe m_probe;
    std::unique_ptr<MeshScene> m_scene;
    OffscreenTarget m_offscreen;
    GlProbe::Bits m_bitsGranted;
    TextPanel m_panel;
    TextPanel m_counter;
    qint64 m_counterUpdated = 0;
    int m_counterFrames = 0;
};
