#pragma once

#include <QString>
#include <QVector>
#include <array>

// Everything the engine configuration file asks of one engine run, with the
// values the engine uses when a directive is absent. Built once by
// ConfigParser and read-only afterwards.
struct RunConfig {
    struct ScenePair {
        QString browserFile;
        QString sceneFile;
    };

    int viewportWidth = 640;
    int viewportHeight = 480;
    bool freeFlight = false;
    // Windows virtual-key codes: turn left, turn right, look up, look down,
    // forward, back, strafe left, strafe right, rise, sink, back to the start,
    // faster.
    std::array<int, 12> keyCodes{37, 39, 33, 34, 38, 40, 188, 190, 186, 189, 96, 17};
    // Added to a right angle: the head stops this many radians short of
    // looking straight up or down.
    double headLimit = -0.2;
    double nearPlane = 0.5;
    double farPlane = 3000.0;
    double fieldOfView = 45.0;
    double mouseSensitivity = 0.01;
    bool noTimer = false;
    bool noVsync = false;
    double frameRateLimit = 0.0;
    int resolutionWidth = 640;
    int resolutionHeight = 480;
    int colourBits = 16;
    int depthBits = 16;
    bool dontShowIntro = false;
    bool fullScreen = false;
    bool redBlueStereo = false;
    double stereoOffset = 1.5;
    bool endlessLoop = false;
    bool safe = false;
    int decalCount = 0;
    int particleSystemCount = 0;
    QVector<ScenePair> scenes;
};
