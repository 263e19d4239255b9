#pragma once

#include "MeshScene.h"

// A scene drawn as a broken driver might draw it, on purpose, so that
// picture validation can be seen to catch what it is there to catch: the
// depth test lost, every texture white, or back faces not culled. Only
// validation's self-check (TRENZOR_VALIDATE_FAULT) draws one; a run never
// does. Lives as a MeshScene does.
class FaultyScene : public MeshScene {
public:
    enum class Fault { Depth, Texture, BackFaces };

    FaultyScene(SceneData data, bool safe, int particleSystems, int decals, Fault fault);

protected:
    QImage textureImage(const SceneData::Texture& recipe) const override;
    void setOpaqueState(QOpenGLFunctions_2_1& gl) const override;

private:
    Fault m_fault;
};
