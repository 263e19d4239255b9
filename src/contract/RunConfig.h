#pragma once

#include "contract/EngineContract.h"

#include <QString>
#include <QVector>
#include <array>

// Everything the engine configuration file asks of one engine run, with the
// values the engine uses when a directive is absent. What EngineConfig
// writes and EngineConfigParser reads back; the engine builds it once per
// run and only reads it afterwards.
struct RunConfig {
    struct ScenePair {
        QString browserFile;
        QString sceneFile;
        bool operator==(const ScenePair&) const = default;
    };

    int viewportWidth = EngineContract::kStandardWidth;
    int viewportHeight = EngineContract::kStandardHeight;
    bool freeFlight = false;
    std::array<int, 12> keyCodes = EngineContract::kKeyCodes;
    double headLimit = EngineContract::kHeadLimit;
    double nearPlane = EngineContract::kNearPlane;
    double farPlane = EngineContract::kFarPlane;
    double fieldOfView = EngineContract::kFieldOfView;
    double mouseSensitivity = EngineContract::kMouseSensitivity;
    bool noTimer = false;
    bool noVsync = false;
    double frameRateLimit = 0.0;
    int resolutionWidth = EngineContract::kStandardWidth;
    int resolutionHeight = EngineContract::kStandardHeight;
    int colourBits = EngineContract::kStandardColourBits;
    int depthBits = EngineContract::kStandardDepthBits;
    bool dontShowIntro = false;
    bool fullScreen = false;
    bool redBlueStereo = false;
    double stereoOffset = EngineContract::kStereoOffset;
    bool endlessLoop = false;
    bool safe = false;
    int decalCount = 0;
    int particleSystemCount = 0;
    QVector<ScenePair> scenes;

    bool operator==(const RunConfig&) const = default;
};
