#pragma once

#include "SceneData.h"

#include <QImage>

// Computes the pixels of a procedural texture from its recipe when a scene
// loads; the result tiles seamlessly. Stateless.
class TextureImage {
public:
    static QImage render(const SceneData::Texture& recipe);
};
