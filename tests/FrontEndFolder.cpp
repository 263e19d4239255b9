#include "FrontEndFolder.h"

#include "TestSupport.h"
#include "common/DesktopLauncher.h"
#include "common/FileDialog.h"
#include "common/MessageBox.h"

#include <QThreadPool>

FrontEndFolder::FrontEndFolder() {
    MessageBox::startRecording();
    DesktopLauncher::startRecording();
}

FrontEndFolder::~FrontEndFolder() {
    // A run the results window is still keeping in the history writes into
    // the folder that is about to go.
    QThreadPool::globalInstance()->waitForDone();
    TestSupport::destroyAllWindows();
    FileDialog::setAnswer({});
    MessageBox::stopRecording();
    DesktopLauncher::stopRecording();
}
