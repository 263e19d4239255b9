#pragma once

#include "SensorSample.h"
#include "contract/EnergyReport.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The energy, power, temperature and clock sensors that the kernel's sysfs
// offers a user without root, found once under a root folder ("/sys", or
// for the tests a tree of their own) and then read as often as asked:
// RAPL's package counters (powercap intel-rapl:N/energy_uj, wrapping at
// max_energy_range_uj), else hwmon's energy*_input counters; hwmon's
// power*_input or power*_average; hwmon's temp*_input of the CPU and GPU
// drivers; cpufreq's scaling_cur_freq, a GPU driver's hwmon freq*_input and
// DRM's gt_cur_freq_mhz. A sensor that cannot be read when found is left
// out and its reason kept. Reads files only; owned by one thread at a time.
class SysfsSensors {
public:
    // The folder read instead of "/sys" when this variable is set: only the
    // tests set it, with a tree they build.
    static constexpr char kRootVariable[] = "TRENZOR_SYSFS_ROOT";

    explicit SysfsSensors(const QString& root);

    // The root that the environment gives, "/sys" without the variable.
    static QString rootFromEnvironment();
    // Why a sensor's file cannot be read, from the system's error number:
    // a file that exists but is refused needs root.
    static QString reason(const QString& file, int error);

    // Where each kind of reading comes from or why there is none; no tests.
    const EnergyReport::Report& sources() const { return m_sources; }
    // The ranges of the energy counters in µJ (0: unknown), in the order of
    // SensorSample::counters.
    const QList<quint64>& counterRanges() const { return m_ranges; }
    SensorSample read(qint64 ns) const;

private:
    // A file of numbers and what multiplies them into the unit reported.
    struct Input {
        QString path;
        double scale = 1;
    };
    // Keeps the inputs that can be read now; the source says which they
    // are, or why none could be had.
    QList<Input> usable(const QList<Input>& candidates, EnergyReport::Source& source) const;

    QString m_root;
    EnergyReport::Report m_sources;
    QList<Input> m_counters;
    QList<quint64> m_ranges;
    QList<Input> m_power;
    QList<Input> m_cpuTemperatures;
    QList<Input> m_gpuTemperatures;
    QList<Input> m_cpuClocks;
    QList<Input> m_gpuClocks;
};
