// How long the front end takes from the start of its process until its main
// window is on the screen. The benchmark starts itself again as a child that
// runs the program's start exactly as main() does; the child reports the
// moment its main window was first exposed, on the monotonic clock the parent
// read just before starting it. Each child starts in a fresh empty folder, so
// it also writes the default engine configuration file, as a first start does.
//
// Usage: bench_startup [runs]   (default 30; uses the platform of the
// environment, e.g. QT_QPA_PLATFORM=offscreen, or a real X display)

#include "contract/FolderLock.h"
#include "shell/FrontEnd.h"
#include "shell/Hlavni_Form.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

qint64 monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// Notes the first expose of the main window's native window.
class ExposeWatcher : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_seen && event->type() == QEvent::Expose &&
            watched == Hlavni_Form::existing()->windowHandle() &&
            Hlavni_Form::existing()->windowHandle()->isExposed()) {
            m_seen = true;
            std::printf("%lld\n", static_cast<long long>(monotonicNs()));
            std::fflush(stdout);
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        }
        return false;
    }

private:
    bool m_seen = false;
};

int runChild(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ExposeWatcher watcher;
    app.installEventFilter(&watcher);
    FolderLock lock;
    if (!FrontEnd::Start(lock)) {
        return 1;
    }
    return app.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && QByteArray(argv[1]) == "--child") {
        return runChild(argc, argv);
    }
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    QCoreApplication app(argc, argv);
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir folder;
        QProcess child;
        child.setWorkingDirectory(folder.path());
        child.setStandardErrorFile(QProcess::nullDevice());
        const qint64 start = monotonicNs();
        child.start(QCoreApplication::applicationFilePath(), {"--child"});
        if (!child.waitForFinished(10000) || child.exitCode() != 0) {
            std::fprintf(stderr, "run %d failed\n", i);
            return 1;
        }
        const qint64 shown = child.readAllStandardOutput().trimmed().toLongLong();
        ms.push_back((shown - start) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf(
        "main window shown after start, %d runs: min %.1f ms, median %.1f ms, 90th percentile %.1f ms, "
        "max %.1f ms\n",
        runs, ms.front(), ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back());
    return 0;
}
