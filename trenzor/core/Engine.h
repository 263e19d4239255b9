#pragma once

#include "CameraPath.h"
#include "CpuTime.h"
#include "FlightCamera.h"
#include "FrameRecorder.h"
#include "RunOptions.h"
#include "RunRecord.h"
#include "SceneDecoder.h"
#include "SceneView.h"
#include "contract/RunConfig.h"

#include <QElapsedTimer>
#include <QString>
#include <QVector>
#include <optional>

class Canvas;

// Runs the scene list of one configuration: for each slot its intro screen,
// then either the measured test along the browser file's camera path or free
// flight, repeating the list when asked to. Holds the phases, the keys and
// the pacing of frames; the run's record (RunRecord) keeps the measured
// blocks and saves the results, the scene view (SceneView) draws. Driven by
// the window:
// initialize() once the context exists, frame() as often as it can,
// shutdown() before the context goes. Errors end in a message screen (and
// on standard error) and no log. A run of the command line's options is
// unattended: a failure or an abort ends it at once with a non-zero status,
// and it may be drawn off screen, repeated and summed up in JSON.
class Engine {
public:
    enum class Phase { Starting, Message, Intro, Test, Flight, Done };

    Engine(RunConfig config, QString startupError, Canvas& canvas,
           std::optional<RunOptions> options = std::nullopt);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    void initialize();
    void frame();
    void shutdown();
    void keyChanged(int qtKey, bool keypad, bool pressed, bool autoRepeat);
    void mouseMoved(double x, double y);
    // The window became visible or stopped being visible: a test pauses
    // while nobody can see it.
    void exposureChanged(bool exposed);
    // The window is being closed: the same as Esc.
    void abort();
    // An unattended run whose window nobody has seen for this many seconds:
    // it ends with status 1 and writes no results, since a run that may wait
    // for ever is worse for a script than one that fails.
    void abandonUnseen(int seconds);

    // True while frames should follow each other as fast as possible; a
    // waiting screen needs only an occasional frame.
    bool continuous() const { return m_phase == Phase::Test || m_phase == Phase::Flight; }
    // How long the window may wait before the next frame(): a waiting screen
    // needs a frame now and then, a frame-rate limit holds the next frame
    // back; at most kPanelPeriodMs, so the window stays answering.
    int msecsToNextFrame() const;
    Phase phase() const { return m_phase; }
    int slot() const { return m_slot; }
    const RunRecord& record() const { return m_record; }
    // The moment of the camera path the running test shows.
    double pathTime() const { return m_recorder ? m_recorder->pathTime() : 0.0; }

private:
    // The name of the scene the current slot shows.
    QString sceneName() const;
    void fail(const QString& message);
    void startSlot(int slot);
    void beginTest();
    void finishTest();
    void finishRun(bool aborted);
    void showIntro();
    // Reports every OpenGL error recorded since the last check, saying when
    // it was found; the record counts them for the test and the run.
    void checkGlErrors(const QString& when);

    static constexpr int kPanelPeriodMs = 30;

    RunConfig m_config;
    // Set for a run of the command line's options.
    std::optional<RunOptions> m_options;
    QString m_startupError;
    Canvas& m_canvas;
    // Every slot's files are read and checked once, before anything is
    // drawn; the run, repeated or not, draws from here.
    QVector<SceneDecoder::Slot> m_decoded;
    Phase m_phase = Phase::Starting;
    int m_slot = 0;
    QElapsedTimer m_clock;
    RunRecord m_record;
    SceneView m_view;
    CameraPath m_path;
    std::optional<FrameRecorder> m_recorder;
    std::optional<FlightCamera> m_camera;
    qint64 m_lastFrame = 0;
    qint64 m_nextFrameDue = 0;
    qint64 m_messageShown = 0;
    int m_testPresented = 0;
    CpuTime m_cpuTime;
    qint64 m_flightStart = 0;
    QPointF m_lastMouse{-1, -1};
};
