#include "Engine.h"

#include "Canvas.h"
#include "ConsoleReport.h"
#include "GlErrorCheck.h"
#include "GlProbe.h"
#include "KeyMap.h"
#include "LogHeader.h"
#include "MeshScene.h"
#include "MessageText.h"
#include "RepeatTable.h"
#include "SceneDecoder.h"
#include "StereoView.h"
#include "contract/EngineContract.h"
#include "contract/RunHistory.h"
#include "contract/TestOrder.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 kCounterPeriod = 500'000'000;

} // namespace

Engine::Engine(RunConfig config, QString startupError, Canvas& canvas, std::optional<RunOptions> options)
    : m_config(std::move(config))
    , m_options(std::move(options))
    , m_startupError(std::move(startupError))
    , m_canvas(canvas) {}

Engine::~Engine() = default;

void Engine::initialize() {
    m_clock.start();
    QOpenGLContext* context = m_canvas.glContext();
    if (context && context->isValid()) {
        m_functions = context->functions();
        m_gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(context);
    }
    if (!m_gl || !m_gl->initializeOpenGLFunctions()) {
        m_gl = nullptr;
        ConsoleReport::print(stderr,
                             QStringLiteral("trenzor: OpenGL 2.1 není k dispozici, testy nelze spustit."));
        m_phase = Phase::Done;
        m_canvas.finish(1);
        return;
    }
    m_glRenderer = QString::fromLatin1(reinterpret_cast<const char*>(m_gl->glGetString(GL_RENDERER)));
    if (m_options && m_options->glDebug) {
        m_probe.startDebugOutput(*context);
    }
    m_vsyncState = GlProbe::vsyncState(*context, m_options && m_options->offscreen, !m_config.noVsync);
    if (!m_startupError.isEmpty()) {
        fail(m_startupError);
        return;
    }
    SceneDecoder::Result scenes = SceneDecoder::decode(m_config.scenes, m_options ? m_options->seconds : 0);
    if (!scenes.error.isEmpty()) {
        fail(scenes.error);
        return;
    }
    m_decoded = std::move(scenes.decoded);
    if (m_config.fullScreen) {
        const QString error =
            m_offscreen.create(*m_functions, renderSize(), m_config.colourBits, m_config.depthBits);
        if (!error.isEmpty()) {
            fail(error);
            return;
        }
    }
    readGrantedBits();
    if (!m_config.freeFlight) {
        m_header = LogHeader::compose(granted(), m_glRenderer);
        m_log.emplace(m_header);
        // A repeated run's spread is printed even without a summary file.
        if (m_options && (!m_options->summaryPath.isEmpty() || m_options->repeated())) {
            m_summary.emplace(m_header, m_options->repeated());
        }
    }
    startSlot(0);
}

void Engine::checkGlErrors(const QString& when) {
    const QList<GLenum> errors = GlErrorCheck::take(*m_functions);
    for (const GLenum error : errors) {
        ConsoleReport::print(stderr, QStringLiteral("trenzor: chyba OpenGL %1 v testu %2 \"%3\" %4")
                                         .arg(GlErrorCheck::name(error))
                                         .arg(testNumber())
                                         .arg(sceneName(), when));
    }
    m_testGlErrors += int(errors.size());
    m_glErrors += int(errors.size());
}

// The bits of the buffer the scenes are drawn into: the off-screen picture in
// full screen, the window's surface otherwise; either may differ from what
// the configuration asked for.
void Engine::readGrantedBits() {
    if (m_config.fullScreen) {
        m_offscreen.bind(*m_functions);
    } else {
        m_functions->glBindFramebuffer(GL_FRAMEBUFFER, m_canvas.defaultFramebuffer());
    }
    m_bitsGranted = GlProbe::boundBufferBits(*m_gl);
    m_functions->glBindFramebuffer(GL_FRAMEBUFFER, m_canvas.defaultFramebuffer());
}

LogHeader::Granted Engine::granted() const {
    LogHeader::Granted granted;
    granted.screen = m_canvas.surfacePixels();
    granted.render = renderSize();
    granted.offscreen = m_options && m_options->offscreen;
    granted.fullScreen = m_config.fullScreen;
    granted.colourBits = m_bitsGranted.colour;
    granted.depthBits = m_bitsGranted.depth;
    granted.vsync = m_vsyncState;
    granted.safe = m_config.safe;
    granted.device = m_canvas.deviceLabel();
    granted.tests = m_options ? m_options->tests : QList<int>();
    return granted;
}

// Where the lines about each finished test go: standard error when the
// summary takes standard output, so that it stays valid JSON.
std::FILE* Engine::progressStream() const {
    return m_options && m_options->summaryToStandardOutput() ? stderr : stdout;
}

// The pixels a scene is drawn into: the full-screen picture's, or the
// window's as asked, never more than the window got. Where the scale factor
// cannot give exactly the pixels asked (an odd size at a factor of 2, any
// size at 1.5), the window is a pixel larger; that row or column is left out
// of the picture.
QSize Engine::renderSize() const {
    return m_config.fullScreen
               ? QSize(m_config.resolutionWidth, m_config.resolutionHeight)
               : QSize(m_config.viewportWidth, m_config.viewportHeight).boundedTo(m_canvas.surfacePixels());
}

void Engine::fail(const QString& message) {
    ConsoleReport::print(stderr, QStringLiteral("trenzor: %1").arg(message));
    if (m_scene && m_gl) {
        m_scene->teardown(*m_gl);
    }
    m_scene.reset();
    m_log.reset();
    m_completeLog.reset();
    m_summary.reset();
    if (m_options) {
        // Nobody is there to read a message screen.
        m_phase = Phase::Done;
        m_canvas.finish(1);
        return;
    }
    m_phase = Phase::Message;
    m_messageShown = m_clock.nsecsElapsed();
    m_panel.setText(MessageText::kTitle, message, MessageText::hint(m_config.dontShowIntro),
                    m_canvas.surfacePixels());
}

void Engine::startSlot(int slot) {
    m_slot = slot;
    const SceneDecoder::Slot& decoded = m_decoded[slot];
    m_path = decoded.path;
    m_scene = std::make_unique<MeshScene>(decoded.scene, m_config.safe, m_config.particleSystemCount,
                                          m_config.decalCount);
    m_scene->setup(*m_gl);
    if (m_config.dontShowIntro) {
        beginTest();
    } else {
        showIntro();
    }
}

// The rated test a slot runs: the command line names them; a configuration
// names them by their scene files. A scene of the user's own keeps its
// position in the list.
int Engine::testNumber() const {
    if (m_options) {
        return m_options->tests.value(m_slot, m_slot);
    }
    const QString file = m_config.scenes.value(m_slot).sceneFile;
    for (int test = 0; test < EngineContract::kTestCount; ++test) {
        if (file == EngineContract::SceneFileName(test)) {
            return test;
        }
    }
    return m_slot;
}

QString Engine::sceneName() const {
    return m_scene ? m_scene->data().name : QString();
}

void Engine::showIntro() {
    m_phase = Phase::Intro;
    const SceneData& data = m_scene->data();
    QString body = data.description;
    if (m_config.freeFlight) {
        body +=
            QStringLiteral("\n\nVolný průlet: šipky otáčejí a posouvají kameru, PageUp/PageDown zvedají a "
                           "sklápějí pohled, čárka a tečka úkrok, středník a minus stoupání a klesání, "
                           "0 na numerické klávesnici návrat na začátek, Ctrl zrychlí, myš otáčí pohled.");
    }
    m_panel.setText(QStringLiteral("%1 (%2/%3)").arg(data.name).arg(m_slot + 1).arg(m_config.scenes.size()),
                    body, QStringLiteral("Stiskněte libovolnou klávesu pro spuštění, Esc ukončí."),
                    m_canvas.surfacePixels());
}

void Engine::beginTest() {
    m_lastFrame = m_clock.nsecsElapsed();
    m_nextFrameDue = 0;
    m_counterUpdated = m_lastFrame;
    m_counterFrames = 0;
    m_testPresented = 0;
    m_testGlErrors = 0;
    if (m_config.freeFlight) {
        const CameraPath::Pose start = m_path.sample(0);
        m_camera.emplace(start.eye, start.target, m_scene->data().extent * 0.4f, m_config.headLimit);
        m_flightStart = m_lastFrame;
        m_phase = Phase::Flight;
    } else {
        m_recorder.emplace(m_path.warmupFrames(), m_path.seconds(), m_path.frameLimit());
        m_phase = Phase::Test;
    }
}

void Engine::finishTest() {
    checkGlErrors(QStringLiteral("na konci testu"));
    const FrameRecorder& recorder = *m_recorder;
    const CpuTime::PerFrame cpu = m_cpuTime.perFrame(recorder.counts().measured);
    for (const QString& line :
         ConsoleReport::testLines(testNumber(), m_scene->data().name, recorder, m_testPresented, cpu)) {
        ConsoleReport::print(progressStream(), line);
    }
    m_log->addBlock(recorder.rates(), recorder.sampling());
    if (m_summary) {
        m_summary->addBlock(testNumber(), recorder.rates(), recorder.sampling(), m_testGlErrors);
    }
    m_recorder.reset();
    m_scene->teardown(*m_gl);
    m_scene.reset();
    if (m_slot + 1 < m_config.scenes.size()) {
        startSlot(m_slot + 1);
        return;
    }
    ++m_rounds;
    if (m_summary) {
        m_summary->closeRun();
    }
    if (m_config.endlessLoop) {
        startSlot(0);
    } else if (anotherRun()) {
        QString line = QStringLiteral("trenzor: dokončen běh %1").arg(m_rounds);
        if (m_rounds >= RunOptions::kMinRuns) {
            line += QStringLiteral(", variační koeficient skóre %1 %")
                        .arg(m_summary->scoreSpread().coefficientOfVariationPercent, 0, 'f', 2);
        }
        ConsoleReport::print(progressStream(), line);
        m_completeLog = std::move(m_log);
        m_log.emplace(m_header);
        startSlot(0);
    } else {
        if (m_options && m_options->repeatUntilPercent > 0 &&
            m_summary->scoreSpread().coefficientOfVariationPercent >= m_options->repeatUntilPercent) {
            // The run is complete; a script finds the spread it reached in the
            // summary and decides.
            ConsoleReport::print(stderr,
                                 QStringLiteral("trenzor: ani po %1 bězích neklesl variační koeficient "
                                                "skóre (%2 %) pod %3 %.")
                                     .arg(m_rounds)
                                     .arg(m_summary->scoreSpread().coefficientOfVariationPercent, 0, 'f', 2)
                                     .arg(m_options->repeatUntilPercent));
        }
        finishRun(false);
    }
}

bool Engine::anotherRun() const {
    if (!m_options || !m_options->repeated()) {
        return false;
    }
    if (m_options->repeat > 0) {
        return m_rounds < m_options->repeat;
    }
    return m_rounds < RunOptions::kMinRuns ||
           (m_rounds < RunOptions::kMaxRunsUntil &&
            m_summary->scoreSpread().coefficientOfVariationPercent >= m_options->repeatUntilPercent);
}

void Engine::finishRun(bool aborted) {
    if (m_scene) {
        m_scene->teardown(*m_gl);
        m_scene.reset();
    }
    // A run in which OpenGL reported errors may not have drawn what the
    // tests ask for: its figures stay, but it is not a complete run.
    const bool complete = !aborted && m_glErrors == 0;
    // An aborted repeated run writes its last run through every test, not
    // the tests of the run it broke off.
    if (aborted && m_completeLog) {
        m_log = std::move(m_completeLog);
    }
    m_completeLog.reset();
    if (m_log) {
        if (m_log->blockCount() == 0) {
            ConsoleReport::print(
                stderr,
                QStringLiteral("trenzor: přerušeno před koncem prvního testu, výsledky se nezapíší."));
        } else if (const std::optional<FileError> error = m_log->save(EngineContract::kResultsLogFileName)) {
            m_log.reset();
            fail(error->oneLine());
            return;
        } else {
            if (aborted) {
                // For a script, an abort is a failure and said so on standard
                // error.
                ConsoleReport::print(m_options ? stderr : stdout,
                                     QStringLiteral("trenzor: přerušeno, zapsáno %1 dokončených testů.")
                                         .arg(m_log->blockCount()));
            }
            if (complete && m_options && m_options->history) {
                // The history is the user's convenience: the run and its
                // status stand without it.
                if (!TestOrder::ConditionsNote(m_options->tests).isEmpty()) {
                    ConsoleReport::print(stderr,
                                         QStringLiteral("trenzor: běh se do historie neukládá, nejsou to "
                                                        "všechny testy v obvyklém pořadí."));
                } else if (const std::optional<FileError> error =
                               RunHistory::Keep(EngineContract::kResultsLogFileName, m_log->score())) {
                    ConsoleReport::print(stderr, QStringLiteral("trenzor: běh se neuložil do historie: %1")
                                                     .arg(error->message().replace(QStringLiteral("\n\n"),
                                                                                   QStringLiteral(" "))));
                }
            }
            if (m_summary && !m_options->summaryPath.isEmpty()) {
                if (const QString error = m_summary->save(m_options->summaryPath, complete);
                    !error.isEmpty()) {
                    m_log.reset();
                    fail(error);
                    return;
                }
            }
            if (m_summary) {
                for (const QString& line : RepeatTable::lines(m_summary->summary(complete))) {
                    ConsoleReport::print(progressStream(), line);
                }
            }
        }
        m_log.reset();
        m_summary.reset();
    }
    if (m_glErrors > 0) {
        ConsoleReport::print(
            stderr, QStringLiteral("trenzor: OpenGL ohlásilo %1 chyb, běh není úplný.").arg(m_glErrors));
    }
    m_phase = Phase::Done;
    // A run of the command line succeeds only when every test ran to its end;
    // any run with OpenGL errors fails.
    m_canvas.finish((aborted && m_options) || m_glErrors > 0 ? 1 : 0);
}

void Engine::abort() {
    switch (m_phase) {
    case Phase::Intro:
    case Phase::Test:
    case Phase::Flight:
        finishRun(true);
        break;
    case Phase::Starting:
    case Phase::Message:
        m_phase = Phase::Done;
        m_canvas.finish(1);
        break;
    case Phase::Done:
        break;
    }
}

void Engine::abandonUnseen(int seconds) {
    if (m_phase == Phase::Done) {
        return;
    }
    // Said on standard error only: a message screen in a window that cannot
    // be seen would only keep the run waiting.
    ConsoleReport::print(
        stderr, QStringLiteral("trenzor: okno testu nebylo %1 s vidět (skryté nebo zakryté), běh bez "
                               "obsluhy končí bez výsledků.")
                    .arg(seconds));
    m_log.reset();
    m_completeLog.reset();
    m_summary.reset();
    m_recorder.reset();
    m_phase = Phase::Done;
    m_canvas.finish(1);
}

void Engine::keyChanged(int qtKey, bool keypad, bool pressed, bool autoRepeat) {
    if (pressed && qtKey == Qt::Key_Escape) {
        abort();
        return;
    }
    if (pressed && !autoRepeat && m_phase == Phase::Intro) {
        beginTest();
        return;
    }
    if (pressed && m_phase == Phase::Message) {
        abort();
        return;
    }
    if (m_phase == Phase::Flight && !autoRepeat) {
        for (int action = 0; action < FlightCamera::kActionCount; ++action) {
            if (KeyMap::matches(m_config.keyCodes[std::size_t(action)], qtKey, keypad)) {
                m_camera->setHeld(FlightCamera::Action(action), pressed);
            }
        }
    }
}

void Engine::mouseMoved(double x, double y) {
    if (m_phase == Phase::Flight && m_lastMouse.x() >= 0) {
        m_camera->mouseMoved(x - m_lastMouse.x(), y - m_lastMouse.y(), m_config.mouseSensitivity);
    }
    m_lastMouse = {x, y};
}

void Engine::exposureChanged(bool exposed) {
    if (!m_gl) {
        return;
    }
    const qint64 now = m_clock.nsecsElapsed();
    if (m_recorder) {
        if (exposed) {
            m_recorder->resume(now);
        } else {
            m_recorder->pause(now);
        }
    }
    // Free flight goes on from where it stood, without the hidden time.
    m_lastFrame = now;
}

void Engine::drawScene(const CameraPath::Pose& pose, double time) {
    const QSize size = renderSize();
    if (m_config.fullScreen) {
        m_offscreen.bind(*m_functions);
    }
    m_gl->glViewport(0, 0, size.width(), size.height());
    const QVector3D clear = m_scene->data().clearColour;
    m_gl->glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    m_gl->glClearColor(clear.x(), clear.y(), clear.z(), 1);
    m_gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    MeshScene::View view;
    view.projection.perspective(float(m_config.fieldOfView), float(size.width()) / float(size.height()),
                                float(m_config.nearPlane), float(m_config.farPlane));
    view.time = time;
    const QVector3D up(0, 1, 0);
    if (m_config.redBlueStereo) {
        // Each eye writes only its own colour channel of the anaglyph.
        const std::array<CameraPath::Pose, 2> eyes = StereoView::eyes(pose, m_config.stereoOffset);
        for (int eye = 0; eye < 2; ++eye) {
            m_gl->glColorMask(eye == 0, GL_FALSE, eye == 1, GL_TRUE);
            m_gl->glClear(GL_DEPTH_BUFFER_BIT);
            view.eye = eyes[std::size_t(eye)].eye;
            view.view.setToIdentity();
            view.view.lookAt(view.eye, eyes[std::size_t(eye)].target, up);
            m_scene->draw(*m_gl, view);
        }
        m_gl->glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    } else {
        view.eye = pose.eye;
        view.view.lookAt(pose.eye, pose.target, up);
        m_scene->draw(*m_gl, view);
    }
    if (!m_config.noTimer) {
        const qint64 now = m_clock.nsecsElapsed();
        ++m_counterFrames;
        if (now - m_counterUpdated >= kCounterPeriod || m_counterFrames == 1) {
            const double rate = m_counterFrames * 1e9 / double(std::max<qint64>(now - m_counterUpdated, 1));
            m_counter.setText(QStringLiteral("%1 snímků/s").arg(rate, 0, 'f', 1), {}, {}, QSize(200, 28));
            m_counterUpdated = now;
            m_counterFrames = 0;
        }
        m_counter.draw(*m_gl, size, QPoint(8, 8));
    }
    if (m_config.fullScreen) {
        m_offscreen.present(*m_functions, *m_gl, m_canvas.defaultFramebuffer(), m_canvas.surfacePixels());
    }
}

void Engine::drawPanel() {
    const QSize size = m_canvas.surfacePixels();
    m_functions->glBindFramebuffer(GL_FRAMEBUFFER, m_canvas.defaultFramebuffer());
    m_gl->glViewport(0, 0, size.width(), size.height());
    m_gl->glClearColor(0, 0, 0, 1);
    m_gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    m_panel.draw(*m_gl, size, QPoint(0, 0));
}

void Engine::frame() {
    if (!m_gl) {
        return;
    }
    const qint64 start = m_clock.nsecsElapsed();
    if (continuous() && start < m_nextFrameDue) {
        return;
    }
    switch (m_phase) {
    case Phase::Starting:
    case Phase::Done:
        return;
    case Phase::Message:
        // An unattended run has nobody to press a key.
        if (m_config.dontShowIntro &&
            start - m_messageShown >= qint64(MessageText::kUnattendedMs) * 1'000'000) {
            m_phase = Phase::Done;
            m_canvas.finish(1);
            return;
        }
        [[fallthrough]];
    case Phase::Intro:
        drawPanel();
        m_canvas.present();
        return;
    case Phase::Test: {
        FrameRecorder& recorder = *m_recorder;
        const double time = recorder.frameStarted(start);
        drawScene(m_path.sample(time), time);
        m_canvas.present();
        ++m_testPresented;
        const bool wasMeasuring = recorder.measuring();
        recorder.frameShown(m_clock.nsecsElapsed());
        if (!wasMeasuring && recorder.measuring()) {
            m_cpuTime.start();
            checkGlErrors(QStringLiteral("po prvním měřeném snímku"));
        }
        break;
    }
    case Phase::Flight:
        m_camera->advance(double(start - m_lastFrame) / 1e9);
        drawScene({m_camera->eye(), m_camera->target()}, double(start - m_flightStart) / 1e9);
        m_canvas.present();
        break;
    }
    // The frame-rate limit gives each frame at least its share of a second,
    // counted from the start of the frame. The window waits for it in its
    // event loop, where keys are still answered, never in a sleep.
    if (m_config.frameRateLimit > 0) {
        m_nextFrameDue = start + qint64(std::min(1e9 / m_config.frameRateLimit, 1e18));
    }
    m_lastFrame = start;
    if (m_phase == Phase::Test && m_recorder->finished()) {
        finishTest();
    }
}

int Engine::msecsToNextFrame() const {
    if (!continuous()) {
        return kPanelPeriodMs;
    }
    const qint64 left = m_nextFrameDue - m_clock.nsecsElapsed();
    // Woken a millisecond early and then polled: a timer may fire late, never
    // early enough to make the limit stricter than asked.
    return int(std::clamp<qint64>(left / 1'000'000 - 1, 0, kPanelPeriodMs));
}

void Engine::shutdown() {
    if (!m_gl) {
        return;
    }
    if (m_scene) {
        m_scene->teardown(*m_gl);
        m_scene.reset();
    }
    m_probe.stopDebugOutput();
    m_offscreen.destroy(*m_functions);
    m_panel.release(*m_gl);
    m_counter.release(*m_gl);
}
