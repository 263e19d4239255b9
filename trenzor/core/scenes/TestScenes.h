#pragma once

#include "CameraPath.h"
#include "SceneData.h"
#include "contract/EngineContract.h"

// The rated tests (EngineContract::kTestCount), built procedurally: the content that the scene
// generator writes into test<i>.bin and browser<i>.bin at build time. Every
// call builds the same scene anew. Stateless.
class TestScenes {
public:
    static SceneData scene(int index);
    // The rated camera path: ten seconds, at most EngineContract::kMaxFrameCount
    // frames.
    static CameraPath path(int index);
    // A scene with nothing in it, for measuring the engine's own overhead.
    static SceneData emptyScene();
};
