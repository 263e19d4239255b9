#include "SceneFile.h"
#include "TestScenes.h"
#include "contract/EngineContract.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <cstdio>

// Writes the scene and browser files of the seven rated tests into the
// folder given as the first argument. With "--frames N" the browser files
// shorten each test's path to a few tenths of a second with one warm-up frame
// and at most N measured values: quick runs for the tests of the whole chain
// from the front end through the engine and back.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const bool quick = arguments.size() == 4 && arguments[2] == QLatin1String("--frames");
    const int quickFrames = quick ? arguments[3].toInt() : 0;
    if ((arguments.size() != 2 && !quick) ||
        (quick && (quickFrames < 1 || quickFrames > EngineContract::kMaxFrameCount))) {
        std::fprintf(stderr, "usage: trenzor_scenegen <folder> [--frames 1..%d]\n",
                     EngineContract::kMaxFrameCount);
        return 2;
    }
    const QDir folder(arguments[1]);
    for (int i = 0; i < EngineContract::kTestCount; ++i) {
        const struct {
            QString name;
            QByteArray bytes;
        } files[] = {
            {EngineContract::SceneFileName(i), SceneFile::encodeScene(TestScenes::scene(i))},
            {EngineContract::BrowserFileName(i),
             SceneFile::encodePath(quick ? CameraPath(TestScenes::path(i).keys(), 0.3, quickFrames, 1)
                                         : TestScenes::path(i))},
        };
        for (const auto& file : files) {
            QSaveFile out(folder.filePath(file.name));
            if (!out.open(QIODevice::WriteOnly) || out.write(file.bytes) != file.bytes.size() ||
                !out.commit()) {
                std::fprintf(stderr, "trenzor_scenegen: %s: %s\n", qUtf8Printable(out.fileName()),
                             qUtf8Printable(out.errorString()));
                return 1;
            }
        }
    }
    return 0;
}
