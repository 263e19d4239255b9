#include "SceneDecoder.h"
#include "SceneFile.h"
#include "TestScenes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cmath>

// The scene and browser formats: what the generator writes loads back
// unchanged, and no truncated, corrupted or foreign file gets through.
class TestSceneFile : public QObject {
    Q_OBJECT

private:
    static void putU32(QByteArray& bytes, qsizetype offset, quint32 value) {
        qToLittleEndian(value, bytes.data() + offset);
    }
    static quint32 getU32(const QByteArray& bytes, qsizetype offset) {
        return qFromLittleEndian<quint32>(bytes.constData() + offset);
    }

    // A small scene using every kind of record.
    static SceneData smallScene() {
        SceneData scene = TestScenes::scene(4);
        scene.textures.resize(2);
        scene.textures[1].size = 8;
        for (SceneData::Material& material : scene.materials) {
            material.texture = std::min(material.texture, 1);
        }
        scene.instances.resize(3);
        return scene;
    }

private slots:
    void generatedFilesLoadBackUnchanged() {
        for (int i = 0; i < EngineContract::kTestCount; ++i) {
            const SceneData scene = TestScenes::scene(i);
            const SceneFile::SceneResult loaded = SceneFile::decodeScene(SceneFile::encodeScene(scene));
            QVERIFY2(loaded.ok(), qPrintable(loaded.error));
            QCOMPARE(loaded.scene.name, scene.name);
            QVERIFY(!loaded.scene.description.isEmpty());
            QCOMPARE(loaded.scene.meshes.size(), scene.meshes.size());
            QCOMPARE(loaded.scene.instances.size(), scene.instances.size());
            QCOMPARE(loaded.scene.meshes.last().indices, scene.meshes.last().indices);
            QCOMPARE(loaded.scene.meshes.first().vertices.last().position,
                     scene.meshes.first().vertices.last().position);
            QCOMPARE(loaded.scene.instances.last().spin, scene.instances.last().spin);

            const CameraPath path = TestScenes::path(i);
            const SceneFile::PathResult loadedPath = SceneFile::decodePath(SceneFile::encodePath(path));
            QVERIFY2(loadedPath.ok(), qPrintable(loadedPath.error));
            QCOMPARE(loadedPath.path.seconds(), 10.0);
            QCOMPARE(loadedPath.path.frameLimit(), 32766);
            QCOMPARE(loadedPath.path.keys().size(), path.keys().size());
            QCOMPARE(loadedPath.path.sample(3.3).eye, path.sample(3.3).eye);
        }
    }

    void sevenScenesDiffer() {
        QSet<QString> names;
        QSet<qsizetype> sizes;
        for (int i = 0; i < EngineContract::kTestCount; ++i) {
            names.insert(TestScenes::scene(i).name);
            sizes.insert(SceneFile::encodeScene(TestScenes::scene(i)).size());
        }
        QCOMPARE(names.size(), EngineContract::kTestCount);
        QCOMPARE(sizes.size(), EngineContract::kTestCount);
        QCOMPARE(TestScenes::scene(0).name, QStringLiteral("Průlet krajinou"));
        QCOMPARE(TestScenes::scene(6).name, QStringLiteral("Materiály"));
    }

    void everyTruncationIsRefused() {
        const QByteArray scene = SceneFile::encodeScene(smallScene());
        for (qsizetype size = 0; size < scene.size(); ++size) {
            QVERIFY2(!SceneFile::decodeScene(scene.left(size)).ok(), qPrintable(QString::number(size)));
        }
        const QByteArray path = SceneFile::encodePath(TestScenes::path(1));
        for (qsizetype size = 0; size < path.size(); ++size) {
            QVERIFY2(!SceneFile::decodePath(path.left(size)).ok(), qPrintable(QString::number(size)));
        }
    }

    // The payload size in the header would catch a plain truncation by
    // itself; here it is kept consistent so that the record checks are what
    // must refuse the file.
    void truncationWithMatchingHeaderIsRefused() {
        const QByteArray scene = SceneFile::encodeScene(smallScene());
        for (qsizetype size = 12; size < scene.size(); size += 7) {
            QByteArray cut = scene.left(size);
            putU32(cut, 8, quint32(size - 12));
            QVERIFY2(!SceneFile::decodeScene(cut).ok(), qPrintable(QString::number(size)));
        }
    }

    void everyCorruptedCountIsRefused() {
        QVector<qsizetype> offsets;
        const QByteArray scene = SceneFile::encodeScene(smallScene(), &offsets);
        QVERIFY(offsets.size() >= 6);
        for (qsizetype offset : offsets) {
            const quint32 count = getU32(scene, offset);
            for (quint32 wrong : {count + 1, count + 3, count - 1, 0xFFFFFFFFu, 0x80000000u}) {
                if (wrong == count) {
                    continue;
                }
                QByteArray bad = scene;
                putU32(bad, offset, wrong);
                const SceneFile::SceneResult result = SceneFile::decodeScene(bad);
                QVERIFY2(!result.ok(),
                         qPrintable(QStringLiteral("offset %1 count %2").arg(offset).arg(wrong)));
            }
        }
        QVector<qsizetype> pathOffsets;
        const QByteArray path = SceneFile::encodePath(TestScenes::path(0), &pathOffsets);
        QCOMPARE(pathOffsets.size(), 1);
        const quint32 keys = getU32(path, pathOffsets[0]);
        for (quint32 wrong : {keys + 1, keys - 1, 0u, 0xFFFFFFFFu}) {
            QByteArray bad = path;
            putU32(bad, pathOffsets[0], wrong);
            QVERIFY(!SceneFile::decodePath(bad).ok());
        }
    }

    void foreignAndMismatchedFilesAreNamed() {
        const QByteArray scene = SceneFile::encodeScene(smallScene());
        const QByteArray path = SceneFile::encodePath(TestScenes::path(0));
        QVERIFY(SceneFile::decodeScene(path).error.contains(QStringLiteral("jiného druhu")));
        QVERIFY(SceneFile::decodePath(scene).error.contains(QStringLiteral("jiného druhu")));
        QVERIFY(SceneFile::decodeScene("MZ this is some other file").error.contains(QStringLiteral("není")));
        QByteArray newer = scene;
        newer[4] = 2;
        QVERIFY(SceneFile::decodeScene(newer).error.contains(QStringLiteral("verze")));
        QVERIFY(!SceneFile::decodeScene(scene + "x").ok());
    }

    // The slots of a run: a file two slots name is read once and shared, a
    // path is flown in the time asked, the files' hash names what was drawn,
    // and a file that cannot be read or decoded is named.
    void slotsAreDecodedBeforeTheRun() {
        QTemporaryDir dir;
        const QString browser = dir.filePath(QStringLiteral("browser0.bin"));
        const QString scene = dir.filePath(QStringLiteral("test4.bin"));
        const QString broken = dir.filePath(QStringLiteral("vadny.bin"));
        for (const auto& [name, bytes] :
             {std::pair{browser, SceneFile::encodePath(TestScenes::path(0))},
              std::pair{scene, SceneFile::encodeScene(smallScene())}, std::pair{broken, QByteArray("x")}}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(bytes), bytes.size());
        }
        const SceneDecoder::Result result = SceneDecoder::decode({{browser, scene}, {browser, scene}}, 5.0);
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        QCOMPARE(result.decoded.size(), 2);
        QCOMPARE(result.decoded[1].scene.name, smallScene().name);
        QCOMPARE(result.decoded[1].path.seconds(), 5.0);
        QVERIFY((result.decoded[1].path.sample(1.65).eye - TestScenes::path(0).sample(3.3).eye).length() <
                1e-4f);
        QCOMPARE(SceneDecoder::decode({{browser, scene}}, 0).decoded[0].path.seconds(), 10.0);
        // The files' hash depends on their bytes and their slots, not on the time asked.
        QCOMPARE(SceneDecoder::decode({{browser, scene}, {browser, scene}}, 0).scenesHash, result.scenesHash);
        QCOMPARE(result.scenesHash.size(), 64);
        QVERIFY(SceneDecoder::decode({{browser, scene}}, 0).scenesHash != result.scenesHash);
        const QString copy = dir.filePath(QStringLiteral("test5.bin"));
        QVERIFY(QFile::copy(scene, copy));
        QCOMPARE(SceneDecoder::decode({{browser, copy}, {browser, scene}}, 0).scenesHash, result.scenesHash);
        SceneData other = smallScene();
        other.name += QLatin1Char('2');
        QFile changed(copy);
        QVERIFY(changed.open(QIODevice::WriteOnly));
        QVERIFY(changed.write(SceneFile::encodeScene(other)) > 0);
        changed.close();
        const SceneDecoder::Result changedResult =
            SceneDecoder::decode({{browser, scene}, {browser, copy}}, 0);
        QVERIFY(changedResult.error.isEmpty());
        QVERIFY(changedResult.scenesHash != result.scenesHash);

        const SceneDecoder::Result failed = SceneDecoder::decode({{browser, scene}, {browser, broken}}, 0);
        QVERIFY(failed.decoded.isEmpty());
        QVERIFY2(failed.error.startsWith(QStringLiteral("Soubor scény %1 je vadný: ").arg(broken)),
                 qPrintable(failed.error));
        QVERIFY(SceneDecoder::decode({{broken + "x", scene}}, 0).error.contains(broken + "x"));
    }

    void badReferencesAreRefused() {
        SceneData scene = smallScene();
        scene.meshes[0].indices[4] = quint32(scene.meshes[0].vertices.size());
        QVERIFY(
            SceneFile::decodeScene(SceneFile::encodeScene(scene)).error.contains(QStringLiteral("index")));

        scene = smallScene();
        scene.instances[1].material = quint32(scene.materials.size());
        QVERIFY(!SceneFile::decodeScene(SceneFile::encodeScene(scene)).ok());

        scene = smallScene();
        scene.materials[0].texture = 2;
        QVERIFY(
            SceneFile::decodeScene(SceneFile::encodeScene(scene)).error.contains(QStringLiteral("texturu")));

        scene = smallScene();
        scene.textures[0].size = 100;
        QVERIFY(!SceneFile::decodeScene(SceneFile::encodeScene(scene)).ok());

        scene = smallScene();
        scene.meshes[0].vertices[0].position.setX(std::numeric_limits<float>::quiet_NaN());
        QVERIFY(
            SceneFile::decodeScene(SceneFile::encodeScene(scene)).error.contains(QStringLiteral("číslo")));
    }

    void pathLimitsAreChecked() {
        const QVector<CameraPath::Key> keys = {{0, {0, 0, 5}, {0, 0, 0}}, {1, {5, 0, 5}, {0, 0, 0}}};
        QVERIFY(SceneFile::decodePath(SceneFile::encodePath(CameraPath(keys, 1, 32766, 0))).ok());
        QVERIFY(!SceneFile::decodePath(SceneFile::encodePath(CameraPath(keys, 1, 32767, 0))).ok());
        QVERIFY(!SceneFile::decodePath(SceneFile::encodePath(CameraPath(keys, 1, 0, 0))).ok());
        QVERIFY(!SceneFile::decodePath(SceneFile::encodePath(CameraPath(keys, 0, 10, 0))).ok());
        // Warm-up frames are drawn before the test's time starts: a file
        // asking billions of them would hold the engine without end.
        const SceneFile::PathResult mostWarmup =
            SceneFile::decodePath(SceneFile::encodePath(CameraPath(keys, 1, 10, 1000)));
        QVERIFY2(mostWarmup.ok(), qPrintable(mostWarmup.error));
        QCOMPARE(mostWarmup.path.warmupFrames(), 1000);
        for (const int warmup : {1001, -1}) {
            QVERIFY(SceneFile::decodePath(SceneFile::encodePath(CameraPath(keys, 1, 10, warmup)))
                        .error.contains(QStringLiteral("zahřívacích snímků")));
        }
        const QVector<CameraPath::Key> backwards = {{0, {0, 0, 5}, {0, 0, 0}}, {0, {5, 0, 5}, {0, 0, 0}}};
        QVERIFY(SceneFile::decodePath(SceneFile::encodePath(CameraPath(backwards, 1, 10, 0)))
                    .error.contains(QStringLiteral("stoupat")));
        // Finite but so far out that smoothing between the keys overflows.
        const QVector<CameraPath::Key> farOut = {
            {0, {0, 0, 5}, {0, 0, 0}}, {1, {-2.5e38f, 0, 5}, {0, 0, 0}}, {2, {2.5e38f, 0, 5}, {0, 0, 0}}};
        QVERIFY(!std::isfinite(CameraPath(farOut, 2, 10, 0).sample(1.5).eye.x()));
        QVERIFY(SceneFile::decodePath(SceneFile::encodePath(CameraPath(farOut, 2, 10, 0)))
                    .error.contains(QStringLiteral("dál než")));
        const QVector<CameraPath::Key> atTheEdge = {{0, {0, 0, 1e6f}, {0, 0, 0}},
                                                    {1, {-1e6f, 1e6f, 0}, {0, 0, -1e6f}}};
        QVERIFY(SceneFile::decodePath(SceneFile::encodePath(CameraPath(atTheEdge, 1, 10, 0))).ok());
    }
};

QTEST_APPLESS_MAIN(TestSceneFile)
#include "tst_scenefile.moc"
