#include "StereoView.h"

std::array<CameraPath::Pose, 2> StereoView::eyes(const CameraPath::Pose& camera, double offset) {
    const QVector3D up(0, 1, 0);
    const QVector3D right = QVector3D::crossProduct(camera.target - camera.eye, up).normalized();
    std::array<CameraPath::Pose, 2> eyes;
    for (int eye = 0; eye < 2; ++eye) {
        const QVector3D shift = right * float(offset * (eye == 0 ? -0.5 : 0.5));
        eyes[std::size_t(eye)] = {camera.eye + shift, camera.target + shift};
    }
    return eyes;
}
