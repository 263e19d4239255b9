#include "FrontEndFolder.h"

#include "TestSupport.h"
#include "common/DesktopLauncher.h"
#include "common/FileDialog.h"
#include "common/MessageBox.h"

FrontEndFolder::FrontEndFolder() {
    MessageBox::startRecording();
    DesktopLauncher::startRecording();
}

FrontEndFolder::~FrontEndFolder() {
    TestSupport::destroyAllWindows();
    FileDialog::setAnswer({});
    MessageBox::stopRecording();
    DesktopLauncher::stopRecording();
}
