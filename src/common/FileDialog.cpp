#include "FileDialog.h"

#include <QFileDialog>

namespace {
// The test hook's answer. Outside tests it stays empty.
std::function<QString(const QString&)>& answer() {
    static std::function<QString(const QString&)> a;
    return a;
}
} // namespace

QString FileDialog::saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                                 const QString& filter) {
    if (answer()) {
        return answer()(proposed);
    }
    return QFileDialog::getSaveFileName(parent, caption, proposed, filter);
}

QString FileDialog::openFileName(QWidget* parent, const QString& caption, const QString& folder,
                                 const QString& filter) {
    if (answer()) {
        return answer()(folder);
    }
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

void FileDialog::setAnswer(std::function<QString(const QString& proposed)> action) {
    answer() = std::move(action);
}
