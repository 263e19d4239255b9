#include "FaultyScene.h"

#include <QOpenGLFunctions_2_1>

FaultyScene::FaultyScene(SceneData data, bool safe, int particleSystems, int decals, Fault fault)
    : MeshScene(std::move(data), safe, particleSystems, decals)
    , m_fault(fault) {}

QImage FaultyScene::textureImage(const SceneData::Texture& recipe) const {
    QImage image = MeshScene::textureImage(recipe);
    if (m_fault == Fault::Texture) {
        image.fill(Qt::white);
    }
    return image;
}

void FaultyScene::setOpaqueState(QOpenGLFunctions_2_1& gl) const {
    MeshScene::setOpaqueState(gl);
    if (m_fault == Fault::BackFaces) {
        gl.glDisable(GL_CULL_FACE);
    } else if (m_fault == Fault::Depth) {
        gl.glDisable(GL_DEPTH_TEST);
    }
}
