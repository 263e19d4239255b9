#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>

// What the engine measured of energy, power, temperatures and clock
// frequencies while each test ran, where the machine lets a user read them:
// written into the run's JSON summary as the field "sensors" and, for the
// front end's details window, beside the results log as "energie.json",
// tied to the log by the SHA-256 of its bytes so that an earlier run's
// figures are never shown with a newer log. For each kind of reading it
// says where it came from or why it could not be had ("nedostupné").
// Stateless.
class EnergyReport {
public:
    // The file beside the results log.
    static inline const QString kFileName = QStringLiteral("energie.json");

    // Where a kind of reading came from, or why there is none.
    struct Source {
        // The sensors' files, relative to the sysfs root; empty when none.
        QString files;
        // Why the reading cannot be had; empty when it can.
        QString unavailable;
        bool available() const { return unavailable.isEmpty(); }
        bool operator==(const Source&) const = default;
    };

    // One test's figures; a figure the machine did not give is empty.
    struct Test {
        int index = 0;
        std::optional<double> joules;
        std::optional<double> watts;
        // The test's points (its average frame rate) per watt.
        std::optional<double> pointsPerWatt;
        // The highest temperatures seen (°C) and the mean clocks (MHz).
        std::optional<double> cpuCelsius;
        std::optional<double> gpuCelsius;
        std::optional<double> cpuMegahertz;
        std::optional<double> gpuMegahertz;
        bool operator==(const Test&) const = default;
    };

    struct Report {
        // The SHA-256 (hex) of the results log written with it; empty in a
        // summary, which travels as one file.
        QString logSha256;
        Source energy;
        Source cpuTemperature;
        Source gpuTemperature;
        Source cpuFrequency;
        Source gpuFrequency;
        QList<Test> tests;
        bool operator==(const Report&) const = default;
    };

    struct Decoded {
        Report report;
        // Why the bytes are no report, or empty.
        QString error;
    };

    static QJsonObject toJson(const Report& report);
    static QByteArray encode(const Report& report);
    static Decoded decode(const QByteArray& bytes);

    // The figure with its unit in Czech ("12,3 W"), or "nedostupné" and the
    // source's reason.
    static QString figureText(const std::optional<double>& value, const Source& source, int decimals,
                              const QString& unit);
};
