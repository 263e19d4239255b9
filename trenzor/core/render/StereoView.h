#pragma once

#include "CameraPath.h"

#include <array>

// Where the red-blue anaglyph's two eyes look from: parallel, half the
// offset either side of the camera, the left eye first. Only a static
// function.
class StereoView {
public:
    static std::array<CameraPath::Pose, 2> eyes(const CameraPath::Pose& camera, double offset);
};
