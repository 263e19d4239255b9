#pragma once

#include "CameraPath.h"
#include "MeshScene.h"
#include "contract/RunConfig.h"

#include <QImage>
#include <QSize>

class QOpenGLFunctions;

// One picture of a test's scene: the scene, set up, drawn into the bound
// framebuffer as the camera sees it at a moment of its path, framed by the
// run's projection, mono or as the red-blue anaglyph, and read back. A run
// draws each of its frames with it, picture validation its pictures and the
// render tests theirs, so that all three see the same. Stateless; the
// context must be current.
class ScenePicture {
public:
    // Clears the framebuffer's first size pixels to the scene's clear colour
    // and draws the scene at time seconds from the camera's pose; with the
    // configuration's red-blue stereo each eye writes only its own colour
    // channel.
    static void draw(QOpenGLFunctions_2_1& gl, MeshScene& scene, const RunConfig& config,
                     const CameraPath::Pose& pose, double time, QSize size);
    // The same from the path's pose at time seconds.
    static void draw(QOpenGLFunctions_2_1& gl, MeshScene& scene, const RunConfig& config,
                     const CameraPath& path, double time, QSize size);
    // The bound framebuffer's first size pixels, top row first as on a
    // screen or in a file.
    static QImage readBack(QOpenGLFunctions& f, QSize size);
};
