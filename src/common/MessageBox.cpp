#include "MessageBox.h"

#include "Recording.h"

#include <QMessageBox>

namespace {
// The test hook's state. Outside tests it stays off and empty.
struct Recorder {
    Recording<MessageBox::Shown> shown;
    std::function<void(const MessageBox::Shown&)> whileShown;
};
Recorder& recorder() {
    static Recorder r;
    return r;
}
} // namespace

QString MessageBox::applicationTitle() {
    return QStringLiteral("3D výkon");
}

void MessageBox::show(const QString& text, int style, const QString& title) {
    const Shown message{text, style, title.isEmpty() ? applicationTitle() : title};
    if (recorder().shown.active()) {
        recorder().shown.note(message);
        if (recorder().whileShown) {
            recorder().whileShown(message);
        }
        return;
    }
    QMessageBox box(style == Warning ? QMessageBox::Warning : QMessageBox::NoIcon, message.title, text,
                    QMessageBox::Ok);
    box.exec();
}

void MessageBox::startRecording() {
    recorder().shown.start();
}

void MessageBox::stopRecording() {
    recorder() = Recorder{};
}

const QList<MessageBox::Shown>& MessageBox::recorded() {
    return recorder().shown.entries();
}

void MessageBox::clearRecorded() {
    recorder().shown.clear();
}

void MessageBox::setWhileShown(std::function<void(const Shown&)> action) {
    recorder().whileShown = std::move(action);
}
