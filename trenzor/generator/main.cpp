#include "SceneFile.h"
#include "TestScenes.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <cstdio>

// Writes the scene and browser files of the seven rated tests into the
// folder given as the only argument.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: trenzor_scenegen <folder>\n");
        return 2;
    }
    const QDir folder(arguments[1]);
    for (int i = 0; i < TestScenes::kCount; ++i) {
        const struct {
            QString name;
            QByteArray bytes;
        } files[] = {
            {QStringLiteral("test%1.bin").arg(i), SceneFile::encodeScene(TestScenes::scene(i))},
            {QStringLiteral("browser%1.bin").arg(i), SceneFile::encodePath(TestScenes::path(i))},
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
