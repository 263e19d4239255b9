#pragma once

// The front end's side of the agreement between its configuration writers
// and the test engine's parser, kept apart because both sides name a type
// EngineConfig.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <cstdint>
#include <optional>

namespace Fuzz {

struct FrontEndChoice {
    // The configuration the front end writes for the choice.
    QByteArray bytes;
    int width = 0;
    int height = 0;
    int colourBits = 0;
    int depthBits = 0;
    bool fullScreen = false;
    bool stereo = false;
    bool noIntro = false;
    bool endless = false;
    bool safeMode = false;
    bool freeFlight = false;
    // Browser file, scene file.
    QList<QPair<QString, QString>> scenes;
};

// A choice the settings dialog can confirm, picked by the input: its first
// byte the check boxes and the mode, the second the ticked tests, the third
// the list entries, the rest the two free-flight file names (Windows-1250,
// split at the first zero byte). Empty for an input the dialog would refuse:
// too short, no test ticked, or a name the picker cannot hand over.
std::optional<FrontEndChoice> frontEndChoice(const uint8_t* data, size_t size);

} // namespace Fuzz
