#include "ValidationRun.h"

#include "ConsoleReport.h"
#include "GlErrorCheck.h"
#include "GlProbe.h"
#include "LogHeader.h"
#include "OffscreenTarget.h"
#include "PictureComparison.h"
#include "RunSummary.h"
#include "ScenePicture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>

namespace {

constexpr QSize kPicture{640, 480};
// Where on its path each picture is taken, as a share of the path's time.
constexpr double kMomentShare[ValidationRun::kMoments] = {0.2, 0.5, 0.8};

QImage drawPicture(QOpenGLFunctions& f, QOpenGLFunctions_2_1& gl, const RunConfig& config,
                   const SceneDecoder::Slot& slot, bool safe, double time,
                   std::optional<FaultyScene::Fault> fault) {
    const std::unique_ptr<MeshScene> scene =
        fault ? std::make_unique<FaultyScene>(slot.scene, safe, config.particleSystemCount, config.decalCount,
                                              *fault)
              : std::make_unique<MeshScene>(slot.scene, safe, config.particleSystemCount, config.decalCount);
    scene->setup(gl);
    ScenePicture::draw(gl, *scene, config, slot.path, time, kPicture);
    const QImage image = ScenePicture::readBack(f, kPicture);
    scene->teardown(gl);
    return image.convertToFormat(QImage::Format_RGB888);
}

} // namespace

ValidationRun::ValidationRun(RunConfig config, RunOptions options)
    : m_config(std::move(config))
    , m_options(std::move(options)) {}

QString ValidationRun::pictureName(int test, bool safe, int moment) {
    return QStringLiteral("%1-%2-%3.png").arg(test).arg(safe ? "safe" : "shaded").arg(moment);
}

std::optional<FaultyScene::Fault> ValidationRun::faultFromEnvironment() {
    const QByteArray name = qgetenv("TRENZOR_VALIDATE_FAULT");
    if (name == "depth") {
        return FaultyScene::Fault::Depth;
    }
    if (name == "texture") {
        return FaultyScene::Fault::Texture;
    }
    if (name == "backfaces") {
        return FaultyScene::Fault::BackFaces;
    }
    return std::nullopt;
}

QString ValidationRun::draw(QOpenGLContext& context, std::optional<FaultyScene::Fault> fault,
                            QList<Picture>& pictures, QString* scenesHash) const {
    QOpenGLFunctions& f = *context.functions();
    auto* gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(&context);
    if (!gl || !gl->initializeOpenGLFunctions()) {
        return QStringLiteral("OpenGL 2.1 není k dispozici, obraz nelze ověřit.");
    }
    const SceneDecoder::Result scenes = SceneDecoder::decode(m_config.scenes, 0);
    if (!scenes.error.isEmpty()) {
        return scenes.error;
    }
    if (scenesHash) {
        *scenesHash = scenes.scenesHash;
    }
    OffscreenTarget target;
    if (QString error = target.create(f, kPicture, 24, m_config.depthBits); !error.isEmpty()) {
        return error;
    }
    target.bind(f);
    for (qsizetype slot = 0; slot < scenes.decoded.size(); ++slot) {
        for (const bool safe : {false, true}) {
            for (int moment = 0; moment < kMoments; ++moment) {
                const double time = scenes.decoded[slot].path.seconds() * kMomentShare[moment];
                pictures.append({m_options.tests.value(slot), safe, moment,
                                 drawPicture(f, *gl, m_config, scenes.decoded[slot], safe, time, fault)});
            }
        }
    }
    target.destroy(f);
    const QList<GLenum> errors = GlErrorCheck::take(f);
    if (!errors.isEmpty()) {
        return QStringLiteral("OpenGL ohlásilo chybu %1 při kreslení obrázků k ověření.")
            .arg(GlErrorCheck::name(errors.first()));
    }
    return {};
}

int ValidationRun::run(QOpenGLContext& context, const QString& deviceLabel, QByteArray* json) const {
    QElapsedTimer clock;
    clock.start();
    std::FILE* report = m_options.summaryToStandardOutput() ? stderr : stdout;
    QList<Picture> pictures;
    QString scenesHash;
    if (const QString error = draw(context, faultFromEnvironment(), pictures, &scenesHash);
        !error.isEmpty()) {
        ConsoleReport::print(stderr, QStringLiteral("trenzor: %1").arg(error));
        return 1;
    }
    bool allPassed = true;
    QJsonArray tests;
    for (qsizetype first = 0; first < pictures.size(); first += 2 * kMoments) {
        const int test = pictures[first].test;
        int differing = 0;
        bool passed = true;
        for (qsizetype i = first; i < first + 2 * kMoments; ++i) {
            const Picture& picture = pictures[i];
            const QString name = pictureName(picture.test, picture.safe, picture.moment);
            const QImage reference(QStringLiteral(":/validace/%1").arg(name));
            const PictureComparison::Result result = PictureComparison::compare(picture.image, reference);
            differing += result.differing;
            if (result.passed()) {
                continue;
            }
            passed = false;
            // What differs is kept for whoever looks into it: the picture
            // and where it differs.
            const QDir folder(QString::fromLatin1(kFolder));
            const QString drawnPath = folder.filePath(name);
            QString maskName = name;
            maskName.replace(QLatin1String(".png"), QLatin1String("-rozdil.png"));
            if (!QDir().mkpath(folder.path()) || !picture.image.save(drawnPath) ||
                !result.mask.save(folder.filePath(maskName))) {
                ConsoleReport::print(stderr, QStringLiteral("trenzor: obrázky do složky %1 nelze zapsat.")
                                                 .arg(QDir(folder).absolutePath()));
            }
        }
        allPassed = allPassed && passed;
        ConsoleReport::print(report, QStringLiteral("test %1: %2, %3 rozdílných bodů v %4 obrázcích")
                                         .arg(test)
                                         .arg(passed ? QStringLiteral("prošel") : QStringLiteral("neprošel"))
                                         .arg(differing)
                                         .arg(2 * kMoments));
        tests.append(QJsonObject{{"index", test}, {"passed", passed}, {"differingPixels", differing}});
    }
    ConsoleReport::print(
        report,
        QStringLiteral("ověření obrazu: %1 za %2 s")
            .arg(allPassed
                     ? QStringLiteral("vše souhlasí")
                     : QStringLiteral("obraz se liší od vzorů (složka %1)").arg(QString::fromLatin1(kFolder)))
            .arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1));
    if (!m_options.summaryPath.isEmpty() || json) {
        LogHeader::Granted granted;
        granted.screen = granted.render = kPicture;
        granted.offscreen = true;
        granted.colourBits = 24;
        granted.depthBits = m_config.depthBits;
        granted.device = deviceLabel;
        granted.vsync = GlProbe::vsyncState(context, true, false);
        const QString renderer =
            QString::fromLatin1(reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER)));
        RunSummary summary(LogHeader::compose(granted, renderer), false);
        summary.setScenes(scenesHash);
        summary.setValidation(QJsonObject{{"passed", allPassed},
                                          {"tolerance", PictureComparison::kTolerance},
                                          {"allowedPixels", PictureComparison::kAllowedPixels},
                                          {"tests", tests}});
        if (json)
            *json = RunSummaryCodec::encode(summary.summary(allPassed));
        if (const QString error =
                m_options.summaryPath.isEmpty() ? QString() : summary.save(m_options.summaryPath, allPassed);
            !error.isEmpty()) {
            ConsoleReport::print(stderr, QStringLiteral("trenzor: %1").arg(error));
            return 1;
        }
    }
    return allPassed ? 0 : 1;
}
