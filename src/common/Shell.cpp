#include "Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {
struct Recorder {
    bool active = false;
    QList<Shell::Launch> launches;
};
Recorder& recorder() {
    static Recorder r;
    return r;
}
} // namespace

void Shell::open(const QString& file, const QString& parameters) {
    if (recorder().active) {
        recorder().launches.append({file, parameters});
        return;
    }
    const QFileInfo info(QDir::current(), file);
    if (info.isFile() && info.isExecutable()) {
        QProcess::startDetached(info.absoluteFilePath(), {parameters}, QDir::currentPath());
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

void Shell::startRecording() {
    recorder().active = true;
    recorder().launches.clear();
}

void Shell::stopRecording() {
    recorder() = Recorder{};
}

const QList<Shell::Launch>& Shell::recorded() {
    return recorder().launches;
}
