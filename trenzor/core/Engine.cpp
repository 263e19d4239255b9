#include "Engine.h"

#include "Canvas.h"
#include "ConsoleReport.h"
#include "EnergyMeter.h"
#include "GlErrorCheck.h"
#include "GlProbe.h"
#include "KeyMap.h"
#include "LogHeader.h"
#include "MessageText.h"
#include "contract/FrameStatistics.h"

#include <QOpenGLContext>
#include <algorithm>

Engine::Engine(RunConfig config, QString startupError, Canvas& canvas, std::optional<RunOptions> options)
    : m_config(std::move(config))
    , m_options(std::move(options))
    , m_startupError(std::move(startupError))
    , m_canvas(canvas)
    , m_record(m_config, m_options)
    , m_view(m_config, m_canvas, m_clock) {}

void Engine::initialize() {
    m_clock.start();
    if (!m_view.open(m_canvas.glContext(), m_options && m_options->glDebug)) {
        ConsoleReport::print(stderr,
                             QStringLiteral("trenzor: OpenGL 2.1 není k dispozici, testy nelze spustit."));
        m_phase = Phase::Done;
        m_canvas.finish(1);
        return;
    }
    const QString vsync =
        GlProbe::vsyncState(*m_canvas.glContext(), m_options && m_options->offscreen, !m_config.noVsync);
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
    if (const QString error = m_view.create(); !error.isEmpty()) {
        fail(error);
        return;
    }
    if (!m_config.freeFlight) {
        const LogHeader::Granted granted = m_view.granted(m_options ? &*m_options : nullptr, vsync);
        m_record.begin(LogHeader::compose(granted, m_view.renderer()), scenes.scenesHash);
        if (!m_options || m_options->sensors) {
            m_sensors.emplace(SysfsSensors(SysfsSensors::rootFromEnvironment()));
            m_record.setSensors(m_sensors->sensors().sources());
        }
    }
    startSlot(0);
}

void Engine::checkGlErrors(const QString& when) {
    const QList<GLenum> errors = m_view.takeGlErrors();
    for (const GLenum error : errors) {
        ConsoleReport::print(stderr, QStringLiteral("trenzor: chyba OpenGL %1 v testu %2 \"%3\" %4")
                                         .arg(GlErrorCheck::name(error))
                                         .arg(m_record.test(m_slot))
                                         .arg(sceneName(), when));
    }
    m_record.countGlErrors(int(errors.size()));
}

void Engine::fail(const QString& message) {
    ConsoleReport::print(stderr, QStringLiteral("trenzor: %1").arg(message));
    m_view.unload();
    m_record.discard();
    if (m_options) {
        // Nobody is there to read a message screen.
        m_phase = Phase::Done;
        m_canvas.finish(1);
        return;
    }
    m_phase = Phase::Message;
    m_messageShown = m_clock.nsecsElapsed();
    m_view.setPanel(MessageText::kTitle, message, MessageText::hint(m_config.dontShowIntro));
}

void Engine::startSlot(int slot) {
    m_slot = slot;
    const SceneDecoder::Slot& decoded = m_decoded[slot];
    m_path = decoded.path;
    m_view.load(decoded.scene);
    if (m_config.dontShowIntro) {
        beginTest();
    } else {
        showIntro();
    }
}

QString Engine::sceneName() const {
    return m_view.scene() ? m_view.scene()->data().name : QString();
}

void Engine::showIntro() {
    m_phase = Phase::Intro;
    const SceneData& data = m_view.scene()->data();
    m_view.setPanel(QStringLiteral("%1 (%2/%3)").arg(data.name).arg(m_slot + 1).arg(m_config.scenes.size()),
                    MessageText::introBody(data.description, m_config.freeFlight), MessageText::kIntroHint);
}

void Engine::beginTest() {
    m_lastFrame = m_clock.nsecsElapsed();
    m_nextFrameDue = 0;
    m_view.restartCounter(m_lastFrame);
    m_testPresented = 0;
    m_record.beginTest();
    m_testStartNs = SensorSampler::now();
    if (m_config.freeFlight) {
        const CameraPath::Pose start = m_path.sample(0);
        m_camera.emplace(start.eye, start.target, m_view.scene()->data().extent * 0.4f, m_config.headLimit);
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
         ConsoleReport::testLines(m_record.test(m_slot), sceneName(), recorder, m_testPresented, cpu)) {
        ConsoleReport::print(m_record.progressStream(), line);
    }
    if (m_sensors) {
        m_record.addEnergy(
            EnergyMeter::Measure(m_sensors->take(), m_sensors->sensors().counterRanges(), m_testStartNs,
                                 SensorSampler::now(), m_record.test(m_slot),
                                 FrameStatistics::Block(recorder.rates(), recorder.sampling()).averageRate));
    }
    m_record.addTest(m_record.test(m_slot), recorder.rates(), recorder.sampling());
    m_recorder.reset();
    m_view.unload();
    if (m_slot + 1 < m_config.scenes.size()) {
        startSlot(m_slot + 1);
        return;
    }
    m_record.closeRound();
    if (m_config.endlessLoop || m_record.nextRound()) {
        startSlot(0);
    } else {
        finishRun(false);
    }
}

void Engine::finishRun(bool aborted) {
    m_view.unload();
    if (const RunRecord::Outcome outcome = m_record.finish(aborted); !outcome.error.isEmpty()) {
        fail(outcome.error);
    } else {
        m_phase = Phase::Done;
        m_canvas.finish(outcome.status);
    }
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
    m_record.discard();
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
    if (!m_view.ready()) {
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

void Engine::frame() {
    if (!m_view.ready()) {
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
        m_view.drawPanel();
        m_canvas.present();
        return;
    case Phase::Test: {
        FrameRecorder& recorder = *m_recorder;
        const double time = recorder.frameStarted(start);
        m_view.draw(m_path.sample(time), time);
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
        m_view.draw({m_camera->eye(), m_camera->target()}, double(start - m_flightStart) / 1e9);
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
    m_view.release();
}
