#include "ScenePicture.h"

#include <QOpenGLFunctions>
#include <QOpenGLFunctions_2_1>

void ScenePicture::draw(QOpenGLFunctions_2_1& gl, MeshScene& scene, const RunConfig& config,
                        const CameraPath& path, double time, QSize size) {
    const QVector3D clear = scene.data().clearColour;
    gl.glViewport(0, 0, size.width(), size.height());
    gl.glClearColor(clear.x(), clear.y(), clear.z(), 1);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    MeshScene::View view;
    view.projection.perspective(float(config.fieldOfView), float(size.width()) / float(size.height()),
                                float(config.nearPlane), float(config.farPlane));
    view.time = time;
    const CameraPath::Pose pose = path.sample(time);
    view.eye = pose.eye;
    view.view.lookAt(pose.eye, pose.target, QVector3D(0, 1, 0));
    scene.draw(gl, view);
}

QImage ScenePicture::readBack(QOpenGLFunctions& f, QSize size) {
    QImage image(size, QImage::Format_RGBA8888);
    f.glPixelStorei(GL_PACK_ALIGNMENT, 4);
    f.glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    // OpenGL's rows run from the bottom.
    return image.mirrored();
}
