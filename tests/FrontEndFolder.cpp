#include "FrontEndFolder.h"

#include "TestSupport.h"
#include "common/FileDialog.h"
#include "common/MessageBox.h"
#include "common/Shell.h"

FrontEndFolder::FrontEndFolder() {
    MessageBox::startRecording();
    Shell::startRecording();
}

FrontEndFolder::~FrontEndFolder() {
    TestSupport::destroyAllWindows();
    FileDialog::setAnswer({});
    MessageBox::stopRecording();
    Shell::stopRecording();
}
