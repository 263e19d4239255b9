// An engine whose window nobody sees: an unattended run (the command line's
// options, or "*DONTSHOWINTRO" in the configuration) gives up after its
// window has been unseen for 30 s at a stretch, with a message, status 1 and
// no results; a run with somebody at the screen keeps waiting. The windows
// are unmapped and mapped again with xdotool on the X display the test
// starts; the three runs go on side by side, idle while unseen. The
// command line's run is a repeated one hidden after its first run, which
// leaves no log behind either. A run whose window a window manager never
// maps at all gives up the same way.

#include "EngineFolder.h"
#include "EngineProcess.h"
#include "EngineWindow.h"
#include "SceneFile.h"
#include "TestScenes.h"
#include "TestSupport.h"

#include <QtTest>
#include <xcb/xcb.h>

// A window manager that never maps a window: it holds the display's
// substructure redirect and leaves every map request unanswered, as one that
// opens new windows minimised or on another workspace would. Lives for one
// test; the redirect ends with its connection.
class NeverMappingManager {
public:
    NeverMappingManager()
        : m_connection(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(m_connection) != 0) {
            return;
        }
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
        xcb_generic_error_t* error = xcb_request_check(
            m_connection, xcb_change_window_attributes_checked(m_connection, root, XCB_CW_EVENT_MASK, &mask));
        m_holding = error == nullptr;
        std::free(error);
    }
    ~NeverMappingManager() { xcb_disconnect(m_connection); }
    NeverMappingManager(const NeverMappingManager&) = delete;
    NeverMappingManager& operator=(const NeverMappingManager&) = delete;

    bool holding() const { return m_holding; }

private:
    xcb_connection_t* m_connection;
    bool m_holding = false;
};

class TestUnseen : public QObject {
    Q_OBJECT

    static constexpr qint64 kUnseenMs = EngineWindow::kUnattendedUnseenMs;
    // How long the window of the run that is shown again stays unmapped
    // first: long, yet less than the limit.
    static constexpr qint64 kFirstStretchMs = kUnseenMs * 2 / 3;

    EngineFolder m_folder;

    static QByteArray configuration(bool unattended) {
        QByteArray out = "*PLAYERCOUNT 1\r\n*PLAYERVIEWPORT 0 0 0 160 120\r\n*PLAYERCONTROLLER 0 -1\r\n"
                         "*NOVSYNC\r\n*NOTIMER\r\n*RESOLUTION 160 120 16\r\n";
        out += unattended ? "*DONTSHOWINTRO\r\n" : "";
        return out + "*SCENELIST 0 \"long.bin\"\r\n*SCENELIST 0 \"test1.bin\"\r\n";
    }

    // A run in a folder of its own, so that each has its own results log.
    struct Run {
        QString folder;
        std::unique_ptr<EngineProcess> engine;
        QString window;
        QElapsedTimer unmapped;
    };

    Run start(const QString& name, const QStringList& arguments, const QByteArray& config) {
        Run run;
        run.folder = m_folder.filePath(name);
        [&] {
            QVERIFY(QDir().mkpath(run.folder));
            for (const QString& file : {"trenzor.exe", "test1.bin", "browser1.bin", "long.bin"}) {
                QVERIFY(QFile::link(m_folder.filePath(file), QDir(run.folder).filePath(file)));
            }
            if (!config.isEmpty()) {
                QVERIFY(TestSupport::writeRaw(QDir(run.folder).filePath("nastaveni.atr"), config));
            }
        }();
        QDir::setCurrent(run.folder);
        run.engine = std::make_unique<EngineProcess>(arguments);
        QDir::setCurrent(m_folder.path());
        return run;
    }

    static bool unmap(Run& run) {
        run.window = run.engine->poll();
        if (run.window.isEmpty()) {
            return false;
        }
        EngineProcess::xdotool({"windowunmap", "--sync", run.window});
        run.unmapped.start();
        return true;
    }

    static bool hasLog(const Run& run) { return QFile::exists(QDir(run.folder).filePath("vysledek.log")); }

private slots:
    void initTestCase() {
        const QString error = m_folder.fill();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        // A path of two minutes: no run here ends by reaching its end.
        QVERIFY(TestSupport::writeRaw(
            QStringLiteral("long.bin"),
            SceneFile::encodePath(CameraPath(TestScenes::path(1).keys(), 120, 32766, 1))));
    }

    void unattendedRunsGiveUpAndAnInteractiveOneWaits() {
        // A repeated run, hidden once its first run has gone through the
        // test: giving up, it leaves no log of that run either.
        Run options = start("options",
                            {"--tests", "1", "--seconds", "2", "--repeat", "20", "--size", "160x120",
                             "--summary", "summary.json"},
                            {});
        Run again = start("again", {"0"}, configuration(true));
        Run interactive = start("interactive", {"0"}, configuration(false));

        // Each window unmapped once it shows; the interactive run's test
        // started with a key first.
        bool keyPressed = false;
        bool shownAgain = false;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 60000 &&
               !(options.unmapped.isValid() && again.unmapped.isValid() && interactive.unmapped.isValid())) {
            if (!options.unmapped.isValid()) {
                options.engine->poll();
                if (options.engine->out().contains("trenzor: dokončen běh 1")) {
                    unmap(options);
                }
            }
            if (!again.unmapped.isValid()) {
                unmap(again);
            }
            if (!interactive.unmapped.isValid()) {
                const QString window = interactive.engine->poll();
                if (!window.isEmpty() && !keyPressed) {
                    QTest::qWait(500);
                    EngineProcess::pressKey(window, QStringLiteral("space"));
                    keyPressed = true;
                    QTest::qWait(1000);
                } else if (keyPressed) {
                    unmap(interactive);
                }
            }
            QTest::qWait(100);
        }
        QVERIFY(options.unmapped.isValid() && again.unmapped.isValid() && interactive.unmapped.isValid());

        // One run is seen again for a moment before its limit, and so
        // starts a new stretch.
        while (options.engine->running() || !shownAgain) {
            options.engine->poll();
            again.engine->poll();
            if (!shownAgain && again.unmapped.elapsed() >= kFirstStretchMs) {
                EngineProcess::xdotool({"windowmap", "--sync", again.window});
                QTest::qWait(1000);
                EngineProcess::xdotool({"windowunmap", "--sync", again.window});
                again.unmapped.start();
                shownAgain = true;
            }
            QVERIFY(clock.elapsed() < 180000);
            QTest::qWait(100);
        }
        const qint64 optionsUnseenMs = options.unmapped.elapsed();
        QCOMPARE(options.engine->end(), 1);
        QVERIFY2(options.engine->errors().contains("okno testu nebylo 30 s vid"),
                 options.engine->errors().constData());
        QVERIFY2(optionsUnseenMs >= kUnseenMs - 500, qPrintable(QString::number(optionsUnseenMs)));
        QVERIFY(!hasLog(options));
        QVERIFY(!QFile::exists(QDir(options.folder).filePath("summary.json")));

        // The run seen again ends a whole stretch after it was hidden again.
        again.engine->poll();
        QVERIFY(again.engine->running());
        QCOMPARE(again.engine->end(120000), 1);
        const qint64 againUnseenMs = again.unmapped.elapsed();
        QVERIFY2(againUnseenMs >= kUnseenMs - 500, qPrintable(QString::number(againUnseenMs)));
        QVERIFY2(again.engine->errors().contains("okno testu nebylo 30 s vid"),
                 again.engine->errors().constData());
        QVERIFY(!hasLog(again));

        // The interactive run still waits, long after the others gave up.
        QVERIFY2(interactive.unmapped.elapsed() > kUnseenMs + 5000,
                 qPrintable(QString::number(interactive.unmapped.elapsed())));
        interactive.engine->poll();
        QVERIFY2(interactive.engine->running(), interactive.engine->errors().constData());
        QVERIFY2(!interactive.engine->errors().contains("trenzor:"),
                 interactive.engine->errors().constData());
        QCOMPARE(interactive.engine->end(), -1);
    }
    // The command line's run under a window manager that never maps its
    // window: never exposed, it gives up a whole stretch after its start.
    void unattendedRunNeverShownGivesUp() {
        const NeverMappingManager manager;
        QVERIFY(manager.holding());
        Run never = start("never", {"--tests", "1", "--seconds", "2", "--size", "160x120"}, {});
        const int status = never.engine->end(kUnseenMs + 60000);
        const qint64 ranMs = never.engine->elapsedMs();
        QVERIFY2(status == 1, never.engine->errors().constData());
        QVERIFY2(never.engine->errors().contains("okno testu nebylo 30 s vid"),
                 never.engine->errors().constData());
        QVERIFY2(ranMs >= kUnseenMs - 500, qPrintable(QString::number(ranMs)));
        QVERIFY(never.engine->windowSeen().isEmpty());
        QVERIFY(!hasLog(never));
    }
};

QTEST_MAIN(TestUnseen)
#include "tst_unseen.moc"
