#pragma once

#include <QString>
#include <functional>

class QWidget;

// The program's file dialogs. Tests put an answer in place of the dialog:
// it gets the proposed file name and returns the chosen one, or an empty
// text for a cancelled dialog, and nothing is shown.
class FileDialog {
public:
    // A modal "save as" dialog proposing the file; the chosen file's name,
    // empty when cancelled.
    static QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                                const QString& filter);

    // A modal "open" dialog starting in the folder; the chosen file's name,
    // empty when cancelled.
    static QString openFileName(QWidget* parent, const QString& caption, const QString& folder,
                                const QString& filter);

    // Test hook: answer every dialog with this instead of showing it; an
    // empty function shows dialogs again.
    static void setAnswer(std::function<QString(const QString& proposed)> answer);
};
