#include "ScenePicture.h"

#include "StereoView.h"

#include <QOpenGLFunctions>
#include <QOpenGLFunctions_2_1>

void ScenePicture::draw(QOpenGLFunctions_2_1& gl, MeshScene& scene, const RunConfig& config,
                        const CameraPath::Pose& pose, double time, QSize size) {
    gl.glViewport(0, 0, size.width(), size.height());
    const QVector3D clear = scene.data().clearColour;
    gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl.glClearColor(clear.x(), clear.y(), clear.z(), 1);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    MeshScene::View view;
    view.projection.perspective(float(config.fieldOfView), float(size.width()) / float(size.height()),
                                float(config.nearPlane), float(config.farPlane));
    view.time = time;
    const QVector3D up(0, 1, 0);
    if (!config.redBlueStereo) {
        view.eye = pose.eye;
        view.view.lookAt(pose.eye, pose.target, up);
        scene.draw(gl, view);
        return;
    }
    const std::array<CameraPath::Pose, 2> eyes = StereoView::eyes(pose, config.stereoOffset);
    for (int eye = 0; eye < 2; ++eye) {
        gl.glColorMask(eye == 0, GL_FALSE, eye == 1, GL_TRUE);
        gl.glClear(GL_DEPTH_BUFFER_BIT);
        view.eye = eyes[std::size_t(eye)].eye;
        view.view.setToIdentity();
        view.view.lookAt(view.eye, eyes[std::size_t(eye)].target, up);
        scene.draw(gl, view);
    }
    gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void ScenePicture::draw(QOpenGLFunctions_2_1& gl, MeshScene& scene, const RunConfig& config,
                        const CameraPath& path, double time, QSize size) {
    draw(gl, scene, config, path.sample(time), time, size);
}

QImage ScenePicture::readBack(QOpenGLFunctions& f, QSize size) {
    QImage image(size, QImage::Format_RGBA8888);
    f.glPixelStorei(GL_PACK_ALIGNMENT, 4);
    f.glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    // OpenGL's rows run from the bottom.
    return image.mirrored();
}
