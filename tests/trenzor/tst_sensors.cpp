#include "EnergyMeter.h"
#include "EngineProcess.h"
#include "SysfsSensors.h"
#include "contract/EnergyReport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>

// Energy, power, temperatures and clocks: the figures of a test from its
// samples, the sensors found in a sysfs tree the test builds, and the real
// engine run on such a tree, its figures in the summary and in energie.json.
class TestSensors : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // A file of the fake sysfs tree, with its folders.
    void put(const QString& path, const QByteArray& text) {
        const QString full = m_dir.filePath(QStringLiteral("sys/") + path);
        QVERIFY(QDir().mkpath(QFileInfo(full).path()));
        QFile file(full);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text + '\n');
    }
    QString root() const { return m_dir.filePath(QStringLiteral("sys")); }

    static SensorSample sample(double seconds, QList<quint64> counters, std::optional<double> watts,
                               std::optional<double> celsius = std::nullopt) {
        SensorSample s;
        s.ns = qint64(seconds * 1e9);
        s.counters = std::move(counters);
        s.watts = watts;
        s.cpuCelsius = celsius;
        return s;
    }

private slots:
    void measure_data() {
        QTest::addColumn<QList<SensorSample>>("samples");
        QTest::addColumn<QList<quint64>>("ranges");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<double>("watts");
        QTest::addColumn<double>("celsius");
        // 10 W, 20 W, 30 W each half a second: trapezoids of 15 W and 25 W.
        QTest::addRow("power by trapezoid")
            << QList{sample(0, {}, 10), sample(0.5, {}, 20), sample(1, {}, 30)} << QList<quint64>{} << 0.0
            << 1.0 << 20.0 << -1.0;
        // The samples around the test count, those before and after them
        // not, also when a sample falls on the start and the end.
        QTest::addRow("bracketing samples")
            << QList{sample(0, {}, 100, 90), sample(1, {}, 10, 40), sample(1.5, {}, 10, 50),
                     sample(2, {}, 10, 45), sample(3, {}, 100, 95)}
            << QList<quint64>{} << 1.0 << 2.0 << 10.0 << 50.0;
        // A package wraps at 10 J: 1 J + 1 J, then 1 J; another counter
        // without a range adds 1 J a second.
        QTest::addRow("counters wrap at their range")
            << QList{sample(0, {9'000'000, 5}, {}), sample(1, {1'000'000, 1'000'005}, {}),
                     sample(2, {2'000'000, 2'000'005}, {})}
            << QList<quint64>{10'000'000, 0} << 0.0 << 2.0 << 2.5 << -1.0;
        QTest::addRow("counter back without a range starts again")
            << QList{sample(0, {5'000'000}, {}), sample(1, {1'000'000}, {})} << QList<quint64>{0} << 0.0
            << 1.0 << 1.0 << -1.0;
        // A reading that failed leaves its pair out, not the whole test.
        QTest::addRow("counters and sensors add up")
            << QList{sample(0, {0}, 5), sample(1, {}, 5), sample(2, {4'000'000}, 5),
                     sample(3, {6'000'000}, 5)}
            << QList<quint64>{0} << 0.0 << 3.0 << 7.0 << -1.0;
        QTest::addRow("one sample has no power")
            << QList{sample(0, {7}, 9, 60)} << QList<quint64>{0} << 0.0 << 1.0 << -1.0 << 60.0;
        QTest::addRow("no samples") << QList<SensorSample>{} << QList<quint64>{} << 0.0 << 1.0 << -1.0
                                    << -1.0;
    }

    void measure() {
        QFETCH(QList<SensorSample>, samples);
        QFETCH(QList<quint64>, ranges);
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(double, watts);
        QFETCH(double, celsius);
        const EnergyReport::Test test =
            EnergyMeter::Measure(samples, ranges, qint64(from * 1e9), qint64(to * 1e9), 3, 40);
        QCOMPARE(test.index, 3);
        QCOMPARE(test.watts.value_or(-1), watts);
        QCOMPARE(test.cpuCelsius.value_or(-1), celsius);
        if (watts > 0) {
            QCOMPARE(*test.joules, watts * (to - from));
            QCOMPARE(*test.pointsPerWatt, 40 / watts);
        } else {
            QVERIFY(!test.joules && !test.pointsPerWatt);
        }
    }

    void reasons() {
        QCOMPARE(SysfsSensors::reason("class/powercap/intel-rapl:0/energy_uj", EACCES),
                 QString("potřebuje práva roota: class/powercap/intel-rapl:0/energy_uj"));
        QCOMPARE(SysfsSensors::reason("x", EPERM), QString("potřebuje práva roota: x"));
        QCOMPARE(SysfsSensors::reason("x", ENODATA), QString("x: No data available"));
        EnergyReport::Source none{{}, "žádné čidlo"};
        QCOMPARE(EnergyReport::figureText({}, none, 1, "W"), QString("nedostupné (žádné čidlo)"));
        QCOMPARE(EnergyReport::figureText(12.25, {}, 1, "W"), QString("12,3 W"));
    }

    // A tree with a RAPL package and its subzone, a GPU's power and
    // temperature, a CPU's temperature, two CPUs' clocks, a sensor of no
    // CPU or GPU and a DRM card without a clock.
    void sysfsTree() {
        QVERIFY(m_dir.isValid());
        put("class/powercap/intel-rapl:0/energy_uj", "1000");
        put("class/powercap/intel-rapl:0/max_energy_range_uj", "262143328850");
        put("class/powercap/intel-rapl:0:0/energy_uj", "500");
        put("class/hwmon/hwmon0/name", "k10temp");
        put("class/hwmon/hwmon0/temp1_input", "61500");
        put("class/hwmon/hwmon0/temp2_input", "48000");
        put("class/hwmon/hwmon1/name", "amdgpu");
        put("class/hwmon/hwmon1/power1_average", "25000000");
        put("class/hwmon/hwmon1/temp1_input", "70000");
        put("class/hwmon/hwmon1/freq1_input", "1800000000");
        put("class/hwmon/hwmon2/name", "nvme");
        put("class/hwmon/hwmon2/temp1_input", "99000");
        put("devices/system/cpu/cpu0/cpufreq/scaling_cur_freq", "2000000");
        put("devices/system/cpu/cpu1/cpufreq/scaling_cur_freq", "3000000");
        put("class/drm/card0/device/vendor", "0x1002");
        const SysfsSensors sensors(root());
        const EnergyReport::Report& sources = sensors.sources();
        QCOMPARE(sources.energy.files,
                 QString("class/powercap/intel-rapl:0/energy_uj, class/hwmon/hwmon1/power1_average"));
        QCOMPARE(sensors.counterRanges(), QList<quint64>{262143328850});
        QCOMPARE(sources.gpuFrequency.files, QString("class/hwmon/hwmon1/freq1_input"));
        const SensorSample sample = sensors.read(42);
        QCOMPARE(sample.ns, 42);
        QCOMPARE(sample.counters, QList<quint64>{1000});
        QCOMPARE(sample.watts.value_or(-1), 25.0);
        QCOMPARE(sample.cpuCelsius.value_or(-1), 61.5);
        QCOMPARE(sample.gpuCelsius.value_or(-1), 70.0);
        QCOMPARE(sample.cpuMegahertz.value_or(-1), 2500.0);
        QCOMPARE(sample.gpuMegahertz.value_or(-1), 1800.0);

        // A counter that cannot be read: its reason, and the power sensor
        // alone gives the energy.
        QVERIFY(QFile::remove(root() + "/class/powercap/intel-rapl:0/energy_uj"));
        QVERIFY(QDir().mkpath(root() + "/class/powercap/intel-rapl:0/energy_uj"));
        QVERIFY(QFile::remove(root() + "/class/hwmon/hwmon1/power1_average"));
        const SysfsSensors broken(root());
        QCOMPARE(broken.sources().energy.unavailable,
                 QString("class/powercap/intel-rapl:0/energy_uj: Is a directory"));
        QVERIFY(!broken.read(1).watts && broken.read(1).counters.isEmpty());
        QCOMPARE(SysfsSensors(m_dir.filePath("nothing")).sources().gpuTemperature.unavailable,
                 QString("žádné čidlo"));
    }

    // The real engine on a tree whose power sensor says 15 W: each test's
    // energy is 15 W times its time; energie.json belongs to the log beside
    // it; --no-sensors measures nothing.
    void engineRun() {
        QVERIFY(QDir(root()).removeRecursively());
        put("class/hwmon/hwmon0/name", "amdgpu");
        put("class/hwmon/hwmon0/power1_input", "15000000");
        put("class/hwmon/hwmon0/temp1_input", "52000");
        put("devices/system/cpu/cpu0/cpufreq/scaling_cur_freq", "1800000");
        const QDir engineFolder = QFileInfo(QStringLiteral(TRENZOR_EXE)).dir();
        const QDir folder(m_dir.filePath("run"));
        QVERIFY(folder.mkpath("."));
        for (const QString& name : engineFolder.entryList({"test*.bin", "browser*.bin"})) {
            QVERIFY(QFile::copy(engineFolder.filePath(name), folder.filePath(name)));
        }
        const QStringList environment{"-DISPLAY", "-WAYLAND_DISPLAY", "-QT_QPA_PLATFORM",
                                      "TRENZOR_SYSFS_ROOT=" + root()};
        for (const bool sensors : {true, false}) {
            QStringList arguments{"--offscreen", "--tests", "4,2", "--seconds", "1", "--summary", "s.json"};
            if (!sensors) {
                arguments << "--no-sensors";
            }
            EngineProcess process(arguments, EngineProcess::environment(environment),
                                  QStringLiteral(TRENZOR_EXE), folder.path());
            QVERIFY2(process.end(120'000) == 0, process.errors().constData());
            QFile summaryFile(folder.filePath("s.json"));
            QVERIFY(summaryFile.open(QIODevice::ReadOnly));
            const QJsonObject summary = QJsonDocument::fromJson(summaryFile.readAll()).object();
            QCOMPARE(summary.contains("sensors"), sensors);
            QFile energyFile(folder.filePath("energie.json"));
            QVERIFY(energyFile.open(QIODevice::ReadOnly));
            const EnergyReport::Decoded energy = EnergyReport::decode(energyFile.readAll());
            QVERIFY2(energy.error.isEmpty(), qPrintable(energy.error));
            QFile log(folder.filePath("vysledek.log"));
            QVERIFY(log.open(QIODevice::ReadOnly));
            const QString logHash =
                QCryptographicHash::hash(log.readAll(), QCryptographicHash::Sha256).toHex();
            // Without sensors the earlier run's file stays, and says it is
            // not this log's.
            QCOMPARE(energy.report.logSha256 == logHash, sensors);
            if (!sensors) {
                continue;
            }
            QCOMPARE(energy.report.energy.files, QString("class/hwmon/hwmon0/power1_input"));
            QCOMPARE(energy.report.cpuTemperature.unavailable, QString("žádné čidlo"));
            QCOMPARE(energy.report.tests.size(), 2);
            const QJsonArray tests = summary.value("tests").toArray();
            for (qsizetype i = 0; i < 2; ++i) {
                const EnergyReport::Test& test = energy.report.tests[i];
                QCOMPARE(test.index, i == 0 ? 4 : 2);
                QCOMPARE(test.watts.value_or(-1), 15.0);
                QCOMPARE(test.gpuCelsius.value_or(-1), 52.0);
                QCOMPARE(test.cpuMegahertz.value_or(-1), 1800.0);
                // The test's wall time holds its measured frames' time.
                QVERIFY(*test.joules >= 15 * tests[i].toObject().value("seconds").toDouble());
                // The log writes each rate rounded; the engine divides the unrounded.
                const double points = tests[i].toObject().value("averageRate").toDouble();
                QVERIFY(qAbs(*test.pointsPerWatt - points / 15) < 1e-4 * points);
            }
            QCOMPARE(EnergyReport::toJson(energy.report).value("tests"),
                     summary.value("sensors").toObject().value("tests"));
        }
    }
};

QTEST_GUILESS_MAIN(TestSensors)
#include "tst_sensors.moc"
