#pragma once

#include "FaultyScene.h"
#include "RunOptions.h"
#include "SceneDecoder.h"
#include "contract/RunConfig.h"

#include <QImage>
#include <QList>
#include <QString>
#include <optional>

class QOpenGLContext;

// Picture validation: each test's scene drawn at three fixed moments of its
// path, on both paths (shaded and safe), into a 640x480 picture of 24-bit
// colour with the rated run's other settings, and each picture compared
// with the reference drawn by llvmpipe and compiled into the program
// (resources/validace). Prints per test whether it passed, with the count of
// differing pixels; saves a failed picture and its difference mask in the
// folder "validace"; writes the summary's "validation" field. Also draws
// the references themselves for trenzor_refgen. Used once, with a current
// context.
class ValidationRun {
public:
    struct Picture {
        int test = 0;
        bool safe = false;
        int moment = 0;
        QImage image;
    };

    static constexpr int kMoments = 3;
    static constexpr char kFolder[] = "validace";

    ValidationRun(RunConfig config, RunOptions options);

    // Draws every picture of the configured tests, with the fault when one
    // is given, and tells the scene files' hash when asked; an error text
    // names what kept them from being drawn.
    QString draw(QOpenGLContext& context, std::optional<FaultyScene::Fault> fault, QList<Picture>& pictures,
                 QString* scenesHash = nullptr) const;
    // Compares, reports and saves as described; returns the exit status.
    // With json, the summary's JSON also goes there, for an upload.
    int run(QOpenGLContext& context, const QString& deviceLabel, QByteArray* json = nullptr) const;

    // "3-safe-1.png"
    static QString pictureName(int test, bool safe, int moment);
    // The fault TRENZOR_VALIDATE_FAULT asks for.
    static std::optional<FaultyScene::Fault> faultFromEnvironment();

private:
    RunConfig m_config;
    RunOptions m_options;
};
