#include "RunSummaryCodec.h"

#include "EngineContract.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <array>
#include <cfloat>
#include <climits>
#include <cmath>

namespace {

// The field names of the log's header lines, in EngineContract::LogLine
// order.
constexpr const char* kHeaderFields[] = {
    "program", "date", "memory", "operatingSystem", "conditions", "processor", "graphicsCard",
};
static_assert(std::size(kHeaderFields) == RunSummaryCodec::kHeaderFieldCount);

QJsonObject testObject(const RunSummaryCodec::Test& test) {
    const FrameStatistics::BlockFigures& figures = test.figures;
    QJsonObject object{
        {"index", test.index},
        {"glErrors", test.glErrors},
        {"name", test.name},
        {"values", figures.values},
        {"leftOut", figures.leftOut},
        {"frames", figures.frames},
        {"sampleEvery", figures.stride},
        {"seconds", figures.seconds},
        {"averageRate", figures.averageRate},
        {"percentile99Ms", figures.percentile99Ms},
        {"low1PercentRate", figures.low1PercentRate},
        {"slowestRate", figures.slowestRate},
        {"fastestRate", figures.fastestRate},
    };
    if (const std::optional<Smoothness::Figures>& smoothness = figures.smoothness) {
        object.insert(QLatin1String("stutterLimitMs"), smoothness->stutterLimitMs);
        object.insert(QLatin1String("stutterFrames"), smoothness->stutterFrames);
        object.insert(QLatin1String("stutterPercent"), smoothness->stutterPercent);
        object.insert(QLatin1String("slowestTimeRate"), smoothness->slowestTimeRate);
        object.insert(QLatin1String("jitter99Ms"), smoothness->jitter99Ms);
    }
    return object;
}

QJsonArray testArray(const QList<RunSummaryCodec::Test>& tests) {
    QJsonArray array;
    for (const RunSummaryCodec::Test& test : tests) {
        array.append(testObject(test));
    }
    return array;
}

QJsonObject runObject(const RunSummaryCodec::RunFigures& run) {
    return {
        {"framesPerSecond", run.framesPerSecond},
        {"geometricMeanRate", run.geometricMeanRate},
        {"score", run.score},
        {"leftOut", run.leftOut},
    };
}

QJsonObject spreadObject(const RepeatStatistics::Spread& spread) {
    QJsonObject object{
        {"count", spread.count},
        {"mean", spread.mean},
        {"standardDeviation", spread.standardDeviation},
        {"confidence95Low", spread.confidenceLow},
        {"confidence95High", spread.confidenceHigh},
        {"coefficientOfVariationPercent", spread.coefficientOfVariationPercent},
    };
    // A summary read from an engine before the stability is written back
    // without it.
    if (spread.stabilityPercent) {
        object.insert(QLatin1String("stabilityPercent"), *spread.stabilityPercent);
    }
    return object;
}

// Reads fields of the JSON objects, remembering the first field that is
// missing or of the wrong kind; later reads then give defaults. Lives for
// one decode.
class FieldReader {
public:
    const QString& error() const { return m_error; }

    QJsonObject object(const QJsonObject& in, const char* name) {
        const QJsonValue value = in.value(QLatin1String(name));
        if (!value.isObject()) {
            wrong(name, "objekt");
        }
        return value.toObject();
    }
    QJsonArray array(const QJsonObject& in, const char* name) {
        const QJsonValue value = in.value(QLatin1String(name));
        if (!value.isArray()) {
            wrong(name, "pole");
        }
        return value.toArray();
    }
    QString text(const QJsonObject& in, const char* name) {
        const QJsonValue value = in.value(QLatin1String(name));
        if (!value.isString()) {
            wrong(name, "text");
        }
        return value.toString();
    }
    bool flag(const QJsonObject& in, const char* name) {
        const QJsonValue value = in.value(QLatin1String(name));
        if (!value.isBool()) {
            wrong(name, "true nebo false");
        }
        return value.toBool();
    }
    // Any finite number.
    double number(const QJsonObject& in, const char* name) {
        const QJsonValue value = in.value(QLatin1String(name));
        if (!value.isDouble() || !std::isfinite(value.toDouble())) {
            wrong(name, "číslo");
            return 0;
        }
        return value.toDouble();
    }
    // A figure of frames: a number from 0 to high.
    double figure(const QJsonObject& in, const char* name, double high = DBL_MAX) {
        const QJsonValue value = in.value(QLatin1String(name));
        const double number = value.toDouble(-1);
        if (!value.isDouble() || !(number >= 0 && number <= high)) {
            wrong(name, high == DBL_MAX ? QStringLiteral("nezáporné číslo")
                                        : QStringLiteral("číslo od 0 do %1").arg(high));
            return 0;
        }
        return number;
    }
    // A whole number from low to high.
    int whole(const QJsonObject& in, const char* name, int low = 0, int high = INT_MAX) {
        const QJsonValue value = in.value(QLatin1String(name));
        const double number = value.toDouble(-1.5);
        if (!value.isDouble() || number != std::floor(number) || number < low || number > high) {
            wrong(name, "celé číslo");
            return low;
        }
        return int(number);
    }
    // An element of an array that must be an object.
    QJsonObject element(const QJsonValue& value, const char* arrayName) {
        if (!value.isObject()) {
            wrong(arrayName, "pole objektů");
        }
        return value.toObject();
    }

    // A fault found beyond the fields' own kinds.
    void fail(const QString& why) {
        if (m_error.isEmpty()) {
            m_error = why;
        }
    }

private:
    void wrong(const char* name, const char* kind) { wrong(name, QString::fromUtf8(kind)); }
    void wrong(const char* name, const QString& kind) {
        fail(QStringLiteral("pole \"%1\" chybí nebo není %2").arg(QLatin1String(name), kind));
    }

    QString m_error;
};

RunSummaryCodec::Test readTest(FieldReader& reader, const QJsonObject& in) {
    RunSummaryCodec::Test test;
    test.index = reader.whole(in, "index", 0, EngineContract::kTestCount - 1);
    test.name = reader.text(in, "name");
    test.glErrors = reader.whole(in, "glErrors");
    // What a block of the log can hold: its values, and as many frames as
    // the values stand for, in no longer than a test can take.
    test.figures.values = reader.whole(in, "values", 0, EngineContract::kMaxFrameCount);
    test.figures.leftOut = reader.whole(in, "leftOut", 0, test.figures.values);
    test.figures.stride = reader.whole(in, "sampleEvery", 1);
    test.figures.frames = reader.whole(
        in, "frames", 0, int(std::min<qint64>(qint64(test.figures.values) * test.figures.stride, INT_MAX)));
    test.figures.seconds = reader.figure(in, "seconds", EngineContract::kMaxTestSeconds);
    test.figures.averageRate = reader.figure(in, "averageRate");
    test.figures.percentile99Ms = reader.figure(in, "percentile99Ms");
    test.figures.low1PercentRate = reader.figure(in, "low1PercentRate");
    test.figures.slowestRate = reader.figure(in, "slowestRate");
    test.figures.fastestRate = reader.figure(in, "fastestRate");
    // Engines before the smoothness figures wrote none of them.
    if (in.contains(QLatin1String("stutterFrames"))) {
        Smoothness::Figures smoothness;
        smoothness.stutterLimitMs = reader.figure(in, "stutterLimitMs");
        smoothness.stutterFrames = reader.whole(in, "stutterFrames", 0, test.figures.frames);
        smoothness.stutterPercent = reader.figure(in, "stutterPercent", 100);
        smoothness.slowestTimeRate = reader.figure(in, "slowestTimeRate");
        smoothness.jitter99Ms = reader.figure(in, "jitter99Ms");
        test.figures.smoothness = smoothness;
    }
    return test;
}

RunSummaryCodec::Pass readPass(FieldReader& reader, const QJsonObject& in) {
    RunSummaryCodec::Pass pass;
    for (const QJsonValue value : reader.array(in, "tests")) {
        pass.tests.append(readTest(reader, reader.element(value, "tests")));
        // A run goes through each test once: a second one of the same
        // number would hide the first.
        for (qsizetype earlier = 0; earlier + 1 < pass.tests.size(); ++earlier) {
            if (pass.tests[earlier].index == pass.tests.constLast().index) {
                reader.fail(QStringLiteral("test %1 je v souhrnu dvakrát").arg(pass.tests.constLast().index));
            }
        }
    }
    const QJsonObject run = reader.object(in, "run");
    pass.run.framesPerSecond = reader.number(run, "framesPerSecond");
    pass.run.geometricMeanRate = reader.number(run, "geometricMeanRate");
    pass.run.score = reader.number(run, "score");
    pass.run.leftOut = reader.whole(run, "leftOut");
    return pass;
}

RepeatStatistics::Spread readSpread(FieldReader& reader, const QJsonObject& in) {
    RepeatStatistics::Spread spread;
    spread.count = reader.whole(in, "count");
    spread.mean = reader.number(in, "mean");
    spread.standardDeviation = reader.number(in, "standardDeviation");
    spread.confidenceLow = reader.number(in, "confidence95Low");
    spread.confidenceHigh = reader.number(in, "confidence95High");
    spread.coefficientOfVariationPercent = reader.number(in, "coefficientOfVariationPercent");
    // Engines before the stability wrote none.
    if (in.contains(QLatin1String("stabilityPercent"))) {
        spread.stabilityPercent = reader.figure(in, "stabilityPercent", 100);
    }
    return spread;
}

} // namespace

QByteArray RunSummaryCodec::encode(const Summary& summary) {
    QJsonObject root;
    for (std::size_t line = 0; line < std::size(kHeaderFields); ++line) {
        root.insert(QLatin1String(kHeaderFields[line]), summary.header.value(qsizetype(line)));
    }
    root.insert(QLatin1String("complete"), summary.complete);
    if (!summary.scenes.isEmpty()) {
        root.insert(QLatin1String("scenes"), summary.scenes);
    }
    root.insert(QLatin1String("glErrors"), summary.glErrors);
    root.insert(QLatin1String("tests"), testArray(summary.last.tests));
    root.insert(QLatin1String("run"), runObject(summary.last.run));
    if (!summary.runs.isEmpty()) {
        QJsonArray runs;
        for (qsizetype i = 0; i < summary.runs.size(); ++i) {
            const Pass& pass = summary.runs[i];
            QJsonObject run{{"tests", testArray(pass.tests)}, {"run", runObject(pass.run)}};
            if (summary.sustainMinutes > 0) {
                run.insert(QLatin1String("startSeconds"), summary.runStartSeconds.value(i));
            }
            runs.append(run);
        }
        root.insert(QLatin1String("runs"), runs);
    }
    if (summary.sustainMinutes > 0) {
        root.insert(QLatin1String("sustainMinutes"), summary.sustainMinutes);
    }
    if (summary.scoreSpread) {
        QJsonArray tests;
        for (const TestSpread& test : summary.testSpread) {
            QJsonObject object = spreadObject(test.averageRate);
            object.insert(QLatin1String("index"), test.index);
            object.insert(QLatin1String("name"), test.name);
            tests.append(object);
        }
        root.insert(QLatin1String("spread"),
                    QJsonObject{{"tests", tests}, {"score", spreadObject(*summary.scoreSpread)}});
    }
    if (!summary.validation.isEmpty()) {
        root.insert(QLatin1String("validation"), summary.validation);
    }
    if (!summary.sensors.isEmpty()) {
        root.insert(QLatin1String("sensors"), summary.sensors);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

RunSummaryCodec::Decoded RunSummaryCodec::decode(const QByteArray& bytes) {
    Decoded decoded;
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        decoded.error = QStringLiteral("není platný JSON (znak %1: %2)")
                            .arg(parseError.offset)
                            .arg(parseError.errorString());
        return decoded;
    }
    if (!document.isObject()) {
        decoded.error = QStringLiteral("není objekt JSON");
        return decoded;
    }
    const QJsonObject root = document.object();
    FieldReader reader;
    Summary& summary = decoded.summary;
    for (const char* field : kHeaderFields) {
        summary.header.append(reader.text(root, field));
    }
    summary.complete = reader.flag(root, "complete");
    // Engines before the scene files' hash wrote none.
    if (root.contains(QLatin1String("scenes"))) {
        summary.scenes = reader.text(root, "scenes");
    }
    summary.glErrors = reader.whole(root, "glErrors");
    summary.last = readPass(reader, root);
    if (root.contains(QLatin1String("sustainMinutes"))) {
        summary.sustainMinutes = reader.whole(root, "sustainMinutes", kMinSustainMinutes, kMaxSustainMinutes);
    }
    if (root.contains(QLatin1String("runs"))) {
        for (const QJsonValue value : reader.array(root, "runs")) {
            const QJsonObject run = reader.element(value, "runs");
            summary.runs.append(readPass(reader, run));
            if (summary.sustainMinutes > 0) {
                // Another run starts only while the time is not up, each
                // after the one before.
                const double start = reader.figure(run, "startSeconds", summary.sustainMinutes * 60.0);
                if (!summary.runStartSeconds.isEmpty() && start < summary.runStartSeconds.constLast()) {
                    reader.fail(
                        QStringLiteral("běh %1 začal dřív než běh před ním").arg(summary.runs.size()));
                }
                summary.runStartSeconds.append(start);
            }
        }
    }
    if (root.contains(QLatin1String("spread"))) {
        const QJsonObject spread = reader.object(root, "spread");
        for (const QJsonValue value : reader.array(spread, "tests")) {
            const QJsonObject object = reader.element(value, "tests");
            TestSpread test;
            test.index = reader.whole(object, "index", 0, EngineContract::kTestCount - 1);
            test.name = reader.text(object, "name");
            test.averageRate = readSpread(reader, object);
            summary.testSpread.append(test);
        }
        summary.scoreSpread = readSpread(reader, reader.object(spread, "score"));
    }
    if (root.contains(QLatin1String("validation"))) {
        summary.validation = reader.object(root, "validation");
    }
    if (root.contains(QLatin1String("sensors"))) {
        summary.sensors = reader.object(root, "sensors");
    }
    if (!reader.error().isEmpty()) {
        decoded.error = QStringLiteral("není souhrn běhu: %1").arg(reader.error());
        decoded.summary = {};
    }
    return decoded;
}
