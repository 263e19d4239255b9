#include "CommandLine.h"
#include "HeadlessContext.h"
#include "ValidationRun.h"

#include <QDir>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <cstdio>

// Draws the references of picture validation into the folder given, as
// --validate draws its pictures, from the scene files of the current
// folder. Refuses any renderer but llvmpipe: the references are Mesa's
// conformant software renderer's pictures.
int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "použití: %s SLOŽKA\n", argv[0]);
        return 2;
    }
    HeadlessContext::prepare();
    QGuiApplication app(argc, argv);
    const CommandLine::Result command =
        CommandLine::parse({QStringLiteral("trenzor"), QStringLiteral("--validate")});
    HeadlessContext context;
    if (const QString error = context.create(-1, false); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(error));
        return 1;
    }
    const QString renderer = QString::fromLatin1(
        reinterpret_cast<const char*>(context.context()->functions()->glGetString(GL_RENDERER)));
    if (!renderer.startsWith(QLatin1String("llvmpipe"))) {
        std::fprintf(stderr, "vzory kreslí jen llvmpipe, ne %s\n", qUtf8Printable(renderer));
        return 1;
    }
    QList<ValidationRun::Picture> pictures;
    const ValidationRun validation(command.config, command.options);
    if (const QString error = validation.draw(*context.context(), std::nullopt, pictures); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(error));
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "složku %s nelze vytvořit\n", qUtf8Printable(folder.path()));
        return 1;
    }
    for (const ValidationRun::Picture& picture : pictures) {
        const QString path =
            folder.filePath(ValidationRun::pictureName(picture.test, picture.safe, picture.moment));
        // The references live in the repository: each channel is kept to
        // its upper four bits, at the middle of the step it stands for,
        // which halves what PNG makes of them and costs at most 8 of the
        // comparison's tolerance of 40.
        QImage image = picture.image;
        for (int y = 0; y < image.height(); ++y) {
            uchar* line = image.scanLine(y);
            for (int x = 0; x < image.width() * 3; ++x) {
                line[x] = uchar((line[x] & 0xf0) | 0x08);
            }
        }
        if (!image.save(path, "PNG", 0)) {
            std::fprintf(stderr, "%s nelze zapsat\n", qUtf8Printable(path));
            return 1;
        }
    }
    std::printf("%lld vzorů (%s) v %s\n", static_cast<long long>(pictures.size()), qUtf8Printable(renderer),
                qUtf8Printable(folder.path()));
    return 0;
}
