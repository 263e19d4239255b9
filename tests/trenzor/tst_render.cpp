#include "GlErrorCheck.h"
#include "HeadlessWeston.h"
#include "MeshScene.h"
#include "OffscreenTarget.h"
#include "ScenePicture.h"
#include "StereoView.h"
#include "TestScenes.h"
#include "contract/RunConfig.h"

#include <QDir>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QTest>
#include <algorithm>
#include <cstdlib>

// Each test's scene drawn off screen the way a standard full-screen run draws
// it (a 640x480 picture, a 16-bit depth buffer, the fixed clipping planes),
// compared pixel by pixel with a reference that draws every triangle from
// both sides into a 24-bit depth buffer, the back sides first so that they
// show only where nothing lies in front of them. A mesh wound the wrong way
// round loses the faces it shows; a back face that wins a depth tie at 16
// bits shows as a dark speck. Either makes the two pictures differ.
//
// The pictures of one driver can be kept (--write-pictures FOLDER) and those
// of another compared with them (--compare-with FOLDER), within the same
// allowance: zink on lavapipe, or an EGL context on Wayland (--wayland, on a
// headless Weston of the test's own), against llvmpipe under X.
class TestRender : public QObject {
    Q_OBJECT

public:
    TestRender(QString writeFolder, QString compareFolder)
        : m_writeFolder(std::move(writeFolder))
        , m_compareFolder(std::move(compareFolder)) {}

private:
    // Two separate objects a hair apart may still swap a pixel or two at
    // 16 bits; a lost face or a speck along every silhouette costs hundreds
    // to thousands.
    static constexpr int kAllowedPixels = 300;
    QString m_writeFolder;
    QString m_compareFolder;
    QOffscreenSurface m_surface;
    QOpenGLContext m_context;
    QOpenGLFunctions* m_functions = nullptr;
    QOpenGLFunctions_2_1* m_gl = nullptr;

    static constexpr QSize kPicture{640, 480};

    // Every opaque instance also drawn with its triangles turned round,
    // before the scene's own instances. Blended layers are drawn from both
    // sides as they are.
    static SceneData twoSided(SceneData data) {
        const auto meshCount = std::uint32_t(data.meshes.size());
        for (std::uint32_t m = 0; m < meshCount; ++m) {
            SceneData::Mesh reversed = data.meshes[m];
            for (qsizetype i = 0; i + 2 < reversed.indices.size(); i += 3) {
                std::swap(reversed.indices[i + 1], reversed.indices[i + 2]);
            }
            data.meshes.append(reversed);
        }
        QVector<SceneData::Instance> backs;
        for (const SceneData::Instance& instance : data.instances) {
            if (data.materials[instance.material].blend != SceneData::Blend::Opaque) {
                continue;
            }
            SceneData::Instance back = instance;
            back.mesh += meshCount;
            backs.append(back);
        }
        data.instances = backs + data.instances;
        return data;
    }

    QImage render(const SceneData& data, bool safe, int depthBits, const CameraPath::Pose& pose, double time,
                  const RunConfig& config = {}) {
        OffscreenTarget target;
        const QString error = target.create(*m_functions, kPicture, 24, depthBits);
        if (!error.isEmpty()) {
            qWarning("%s", qPrintable(error));
            return {};
        }
        MeshScene scene(data, safe, 0, 0);
        scene.setup(*m_gl);
        target.bind(*m_functions);
        ScenePicture::draw(*m_gl, scene, config, pose, time, kPicture);
        const QImage image = ScenePicture::readBack(*m_functions, kPicture);
        scene.teardown(*m_gl);
        target.destroy(*m_functions);
        return image;
    }

    static QString pictureName(int test, bool safe, int moment) {
        return QStringLiteral("%1-%2-%3.png").arg(test).arg(safe ? "safe" : "shaded").arg(moment);
    }

    // Pixels whose colour differs by more than a rounding step.
    static int differingPixels(const QImage& a, const QImage& b) {
        int differing = 0;
        for (int y = 0; y < a.height(); ++y) {
            const uchar* p = a.constScanLine(y);
            const uchar* q = b.constScanLine(y);
            for (int x = 0; x < a.width() * 4; x += 4) {
                const int d = std::max(
                    {std::abs(p[x] - q[x]), std::abs(p[x + 1] - q[x + 1]), std::abs(p[x + 2] - q[x + 2])});
                differing += d > 40 ? 1 : 0;
            }
        }
        return differing;
    }

    static void eachTestOnBothPaths() {
        QTest::addColumn<int>("test");
        QTest::addColumn<bool>("safe");
        for (int test = 0; test < EngineContract::kTestCount; ++test) {
            for (bool safe : {false, true}) {
                QTest::addRow("%d %s", test, safe ? "safe" : "shaded") << test << safe;
            }
        }
    }

private slots:
    void initTestCase() {
        m_surface.create();
        QVERIFY(m_context.create());
        QVERIFY(m_context.makeCurrent(&m_surface));
        m_functions = m_context.functions();
        m_gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(&m_context);
        QVERIFY(m_gl && m_gl->initializeOpenGLFunctions());
        qInfo("%s on %s", reinterpret_cast<const char*>(m_gl->glGetString(GL_RENDERER)),
              qPrintable(QGuiApplication::platformName()));
    }

    void everyFaceAndNoSpeckAtSixteenBits_data() { eachTestOnBothPaths(); }

    void everyFaceAndNoSpeckAtSixteenBits() {
        QFETCH(int, test);
        QFETCH(bool, safe);
        const SceneData data = TestScenes::scene(test);
        const SceneData reference = twoSided(data);
        const CameraPath path = TestScenes::path(test);
        int differing = 0;
        int moment = 0;
        for (double time = 0; time <= path.seconds(); time += 1.25, ++moment) {
            const QImage drawn = render(data, safe, 16, path.sample(time), time);
            const QImage expected = render(reference, safe, 24, path.sample(time), time);
            QVERIFY(!drawn.isNull() && !expected.isNull());
            differing += differingPixels(drawn, expected);
            const QList<GLenum> errors = GlErrorCheck::take(*m_functions);
            QVERIFY2(errors.isEmpty(), qPrintable(GlErrorCheck::name(errors.value(0))));
            if (!m_writeFolder.isEmpty()) {
                QVERIFY(QDir().mkpath(m_writeFolder));
                QVERIFY(drawn.save(QDir(m_writeFolder).filePath(pictureName(test, safe, moment))));
            }
        }
        qInfo("%d pixels differ in the nine pictures", differing);
        QVERIFY2(differing <= kAllowedPixels, qPrintable(QString::number(differing)));
    }

    // The red-blue anaglyph: each eye's picture in its own colour channel,
    // as the eye half the offset to the camera's side sees it alone; green
    // keeps the clear colour.
    void stereoEyesInTheirChannels() {
        const SceneData data = TestScenes::scene(1);
        const CameraPath::Pose pose = TestScenes::path(1).sample(2.5);
        RunConfig stereo;
        stereo.redBlueStereo = true;
        stereo.stereoOffset = 3;
        const QImage both = render(data, false, 24, pose, 2.5, stereo);
        const std::array<CameraPath::Pose, 2> eyes = StereoView::eyes(pose, stereo.stereoOffset);
        const QImage left = render(data, false, 24, eyes[0], 2.5);
        const QImage right = render(data, false, 24, eyes[1], 2.5);
        const int clearGreen = qRound(data.clearColour.y() * 255);
        int differing = 0;
        for (int y = 0; y < both.height(); ++y) {
            const uchar* b = both.constScanLine(y);
            const uchar* l = left.constScanLine(y);
            const uchar* r = right.constScanLine(y);
            for (int x = 0; x < both.width() * 4; x += 4) {
                differing += std::abs(b[x] - l[x]) > 40 || std::abs(b[x + 2] - r[x + 2]) > 40 ||
                             std::abs(b[x + 1] - clearGreen) > 1;
            }
        }
        QVERIFY2(differing <= kAllowedPixels, qPrintable(QString::number(differing)));
        // The eyes do see different pictures.
        QVERIFY(differingPixels(left, right) > 1000);
    }

    // Errors are taken once each, and named.
    void glErrorsTakenAndNamed() {
        QVERIFY(GlErrorCheck::take(*m_functions).isEmpty());
        m_gl->glEnable(0x7fff);
        QCOMPARE(GlErrorCheck::take(*m_functions), QList<GLenum>{GL_INVALID_ENUM});
        m_gl->glPopMatrix();
        QCOMPARE(GlErrorCheck::take(*m_functions), QList<GLenum>{GL_STACK_UNDERFLOW});
        QVERIFY(GlErrorCheck::take(*m_functions).isEmpty());
        QCOMPARE(GlErrorCheck::name(GL_INVALID_OPERATION), QStringLiteral("GL_INVALID_OPERATION (0x0502)"));
        QCOMPARE(GlErrorCheck::name(0x0506), QStringLiteral("GL_INVALID_FRAMEBUFFER_OPERATION (0x0506)"));
        QCOMPARE(GlErrorCheck::name(0x1234), QStringLiteral("0x1234"));
    }

    // The same pictures as another driver drew them.
    void sameAsTheOtherDriver_data() { eachTestOnBothPaths(); }

    void sameAsTheOtherDriver() {
        if (m_compareFolder.isEmpty()) {
            QSKIP("no other driver's pictures given (--compare-with)");
        }
        QFETCH(int, test);
        QFETCH(bool, safe);
        const SceneData data = TestScenes::scene(test);
        const CameraPath path = TestScenes::path(test);
        int differing = 0;
        int moment = 0;
        for (double time = 0; time <= path.seconds(); time += 1.25, ++moment) {
            const QImage drawn = render(data, safe, 16, path.sample(time), time);
            const QString name = QDir(m_compareFolder).filePath(pictureName(test, safe, moment));
            const QImage other = QImage(name).convertToFormat(QImage::Format_RGBA8888);
            QVERIFY2(!other.isNull(), qPrintable(name));
            QCOMPARE(other.size(), drawn.size());
            differing += differingPixels(drawn, other);
        }
        qInfo("%d pixels differ from the other driver's nine pictures", differing);
        QVERIFY2(differing <= kAllowedPixels, qPrintable(QString::number(differing)));
    }
};

// Takes the test's own options out of the command line before QtTest reads
// it, and with --wayland starts the compositor before the application
// connects to a display.
int main(int argc, char* argv[]) {
    QString writeFolder;
    QString compareFolder;
    bool wayland = false;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--write-pictures" && i + 1 < argc) {
            writeFolder = QString::fromLocal8Bit(argv[++i]);
        } else if (argument == "--compare-with" && i + 1 < argc) {
            compareFolder = QString::fromLocal8Bit(argv[++i]);
        } else if (argument == "--wayland") {
            wayland = true;
        } else {
            rest.push_back(argv[i]);
        }
    }
    HeadlessWeston weston;
    if (wayland) {
        if (const QString error = weston.start(1); !error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        const QProcessEnvironment environment = weston.environment();
        for (const QString& name : {"XDG_RUNTIME_DIR", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            qputenv(name.toLatin1().constData(), environment.value(name).toLocal8Bit());
        }
        qunsetenv("DISPLAY");
    }
    int restCount = int(rest.size());
    QGuiApplication app(restCount, rest.data());
    TestRender test(writeFolder, compareFolder);
    return QTest::qExec(&test, restCount, rest.data());
}
#include "tst_render.moc"
