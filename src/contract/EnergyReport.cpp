#include "EnergyReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <cmath>

namespace {

struct SourceField {
    const char* name;
    EnergyReport::Source EnergyReport::Report::*member;
};
constexpr SourceField kSources[] = {
    {"energy", &EnergyReport::Report::energy},
    {"cpuTemperature", &EnergyReport::Report::cpuTemperature},
    {"gpuTemperature", &EnergyReport::Report::gpuTemperature},
    {"cpuFrequency", &EnergyReport::Report::cpuFrequency},
    {"gpuFrequency", &EnergyReport::Report::gpuFrequency},
};

struct FigureField {
    const char* name;
    std::optional<double> EnergyReport::Test::*member;
};
constexpr FigureField kFigures[] = {
    {"joules", &EnergyReport::Test::joules},
    {"watts", &EnergyReport::Test::watts},
    {"pointsPerWatt", &EnergyReport::Test::pointsPerWatt},
    {"cpuCelsius", &EnergyReport::Test::cpuCelsius},
    {"gpuCelsius", &EnergyReport::Test::gpuCelsius},
    {"cpuMegahertz", &EnergyReport::Test::cpuMegahertz},
    {"gpuMegahertz", &EnergyReport::Test::gpuMegahertz},
};

} // namespace

QJsonObject EnergyReport::toJson(const Report& report) {
    QJsonObject root;
    if (!report.logSha256.isEmpty()) {
        root.insert(QLatin1String("log"), report.logSha256);
    }
    for (const SourceField& field : kSources) {
        const Source& source = report.*field.member;
        root.insert(QLatin1String(field.name), source.available()
                                                   ? QJsonObject{{"files", source.files}}
                                                   : QJsonObject{{"unavailable", source.unavailable}});
    }
    QJsonArray tests;
    for (const Test& test : report.tests) {
        QJsonObject object{{"index", test.index}};
        for (const FigureField& field : kFigures) {
            if (const std::optional<double>& value = test.*field.member) {
                object.insert(QLatin1String(field.name), *value);
            }
        }
        tests.append(object);
    }
    root.insert(QLatin1String("tests"), tests);
    return root;
}

QByteArray EnergyReport::encode(const Report& report) {
    return QJsonDocument(toJson(report)).toJson(QJsonDocument::Indented);
}

EnergyReport::Decoded EnergyReport::decode(const QByteArray& bytes) {
    Decoded decoded;
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        decoded.error = QStringLiteral("není platný JSON (znak %1: %2)")
                            .arg(parseError.offset)
                            .arg(parseError.errorString());
        return decoded;
    }
    const QJsonObject root = document.object();
    Report& report = decoded.report;
    report.logSha256 = root.value(QLatin1String("log")).toString();
    for (const SourceField& field : kSources) {
        const QJsonObject object = root.value(QLatin1String(field.name)).toObject();
        Source& source = report.*field.member;
        source.files = object.value(QLatin1String("files")).toString();
        source.unavailable = object.value(QLatin1String("unavailable")).toString();
        if (object.isEmpty()) {
            decoded.error = QStringLiteral("pole \"%1\" chybí").arg(QLatin1String(field.name));
            return decoded;
        }
    }
    for (const QJsonValue value : root.value(QLatin1String("tests")).toArray()) {
        const QJsonObject object = value.toObject();
        Test test;
        test.index = object.value(QLatin1String("index")).toInt(-1);
        for (const FigureField& field : kFigures) {
            const QJsonValue figure = object.value(QLatin1String(field.name));
            if (figure.isDouble() && std::isfinite(figure.toDouble())) {
                test.*field.member = figure.toDouble();
            }
        }
        report.tests.append(test);
    }
    return decoded;
}

QString EnergyReport::figureText(const std::optional<double>& value, const Source& source, int decimals,
                                 const QString& unit) {
    if (value) {
        // A decimal comma, and no group separator that would break a line.
        QLocale czech(QLocale::Czech);
        czech.setNumberOptions(QLocale::OmitGroupSeparator);
        return QStringLiteral("%1 %2").arg(czech.toString(*value, 'f', decimals), unit);
    }
    return source.available() ? QStringLiteral("nedostupné (málo vzorků)")
                              : QStringLiteral("nedostupné (%1)").arg(source.unavailable);
}
