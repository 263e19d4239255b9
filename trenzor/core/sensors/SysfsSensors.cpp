#include "SysfsSensors.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The drivers whose hwmon temperatures are a CPU's or a GPU's.
const QStringList kCpuDrivers = {QStringLiteral("coretemp"), QStringLiteral("k10temp"),
                                 QStringLiteral("zenpower"), QStringLiteral("cpu_thermal")};
const QStringList kGpuDrivers = {QStringLiteral("amdgpu"), QStringLiteral("radeon"),
                                 QStringLiteral("nouveau"), QStringLiteral("i915"), QStringLiteral("xe")};

struct Number {
    std::optional<double> value;
    int error = 0;
};

// One number of a sysfs file, read with one system call.
Number ReadNumber(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {std::nullopt, errno};
    }
    char buffer[64];
    const ssize_t length = ::read(fd, buffer, sizeof buffer - 1);
    const int error = errno;
    ::close(fd);
    if (length <= 0) {
        return {std::nullopt, length < 0 ? error : EIO};
    }
    buffer[length] = '\0';
    char* end = nullptr;
    const double value = std::strtod(buffer, &end);
    if (end == buffer) {
        return {std::nullopt, EINVAL};
    }
    return {value, 0};
}

QStringList Entries(const QString& folder, const QString& pattern) {
    QStringList paths;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({pattern}, QDir::AllEntries | QDir::System, QDir::Name)) {
        paths.append(dir.filePath(name));
    }
    return paths;
}

QString FirstLine(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readLine()).trimmed() : QString();
}

} // namespace

QString SysfsSensors::rootFromEnvironment() {
    const QString root = qEnvironmentVariable(kRootVariable);
    return root.isEmpty() ? QStringLiteral("/sys") : root;
}

QString SysfsSensors::reason(const QString& file, int error) {
    if (error == EACCES || error == EPERM) {
        return QStringLiteral("potřebuje práva roota: %1").arg(file);
    }
    return QStringLiteral("%1: %2").arg(file, QString::fromLocal8Bit(std::strerror(error)));
}

SysfsSensors::SysfsSensors(const QString& root)
    : m_root(root) {
    QList<Input> rapl;
    QList<quint64> raplRanges;
    // Only the packages: their subzones (intel-rapl:0:1) are parts of them.
    for (const QString& zone :
         Entries(root + QStringLiteral("/class/powercap"), QStringLiteral("intel-rapl:*"))) {
        if (QDir(zone).dirName().count(QLatin1Char(':')) == 1) {
            rapl.append({zone + QStringLiteral("/energy_uj"), 1});
            raplRanges.append(
                quint64(ReadNumber(zone + QStringLiteral("/max_energy_range_uj")).value.value_or(0)));
        }
    }
    QList<Input> hwmonEnergy;
    QList<Input> power;
    for (const QString& hwmon : Entries(root + QStringLiteral("/class/hwmon"), QStringLiteral("hwmon*"))) {
        const QString name = FirstLine(hwmon + QStringLiteral("/name"));
        for (const QString& path : Entries(hwmon, QStringLiteral("energy*_input"))) {
            hwmonEnergy.append({path, 1});
        }
        for (const QString& path : Entries(hwmon, QStringLiteral("power*_input")) +
                                       Entries(hwmon, QStringLiteral("power*_average"))) {
            power.append({path, 1e-6});
        }
        QList<Input>* temperatures = kCpuDrivers.contains(name)   ? &m_cpuTemperatures
                                     : kGpuDrivers.contains(name) ? &m_gpuTemperatures
                                                                  : nullptr;
        if (temperatures) {
            for (const QString& path : Entries(hwmon, QStringLiteral("temp*_input"))) {
                temperatures->append({path, 1e-3});
            }
        }
        if (kGpuDrivers.contains(name)) {
            for (const QString& path : Entries(hwmon, QStringLiteral("freq*_input"))) {
                m_gpuClocks.append({path, 1e-6});
            }
        }
    }
    for (const QString& cpu :
         Entries(root + QStringLiteral("/devices/system/cpu"), QStringLiteral("cpu[0-9]*"))) {
        m_cpuClocks.append({cpu + QStringLiteral("/cpufreq/scaling_cur_freq"), 1e-3});
    }
    for (const QString& card : Entries(root + QStringLiteral("/class/drm"), QStringLiteral("card[0-9]"))) {
        m_gpuClocks.append({card + QStringLiteral("/gt_cur_freq_mhz"), 1});
    }
    // A CPU without cpufreq or a card without the file has no such sensor.
    const auto existing = [](QList<Input>& inputs) {
        inputs.removeIf([](const Input& input) { return !QFileInfo::exists(input.path); });
    };
    existing(m_cpuClocks);
    existing(m_gpuClocks);

    EnergyReport::Source energy;
    m_counters = usable(rapl, energy);
    m_ranges = raplRanges.mid(0, m_counters.size());
    if (m_counters.size() != rapl.size()) {
        // A package that cannot be read would leave its energy out.
        m_counters.clear();
        m_ranges.clear();
        if (energy.available()) {
            energy.unavailable = QStringLiteral("balík procesoru nelze číst");
        }
    }
    EnergyReport::Source fallback;
    if (m_counters.isEmpty()) {
        m_counters = usable(hwmonEnergy, fallback);
        m_ranges = QList<quint64>(m_counters.size(), 0);
    }
    EnergyReport::Source powerSource;
    m_power = usable(power, powerSource);
    // The first reason is the most telling: RAPL's, then the counters', then
    // the power sensors'.
    const EnergyReport::Source* kinds[] = {&energy, &fallback, &powerSource};
    QStringList files;
    QString why;
    for (const EnergyReport::Source* kind : kinds) {
        if (!kind->files.isEmpty()) {
            files.append(kind->files);
        }
        if (why.isEmpty() && !kind->available() && kind->unavailable != QStringLiteral("žádné čidlo")) {
            why = kind->unavailable;
        }
    }
    m_sources.energy.files = files.join(QStringLiteral(", "));
    if (files.isEmpty()) {
        m_sources.energy.unavailable = why.isEmpty() ? QStringLiteral("žádné čidlo") : why;
    }
    m_cpuTemperatures = usable(m_cpuTemperatures, m_sources.cpuTemperature);
    m_gpuTemperatures = usable(m_gpuTemperatures, m_sources.gpuTemperature);
    m_cpuClocks = usable(m_cpuClocks, m_sources.cpuFrequency);
    m_gpuClocks = usable(m_gpuClocks, m_sources.gpuFrequency);
}

QList<SysfsSensors::Input> SysfsSensors::usable(const QList<Input>& candidates,
                                                EnergyReport::Source& source) const {
    QList<Input> usable;
    QStringList files;
    for (const Input& input : candidates) {
        const Number number = ReadNumber(input.path);
        const QString file = input.path.mid(m_root.size() + 1);
        if (number.value) {
            usable.append(input);
            files.append(file);
        } else if (source.unavailable.isEmpty()) {
            source.unavailable = reason(file, number.error);
        }
    }
    if (candidates.isEmpty()) {
        source.unavailable = QStringLiteral("žádné čidlo");
    }
    if (!usable.isEmpty()) {
        source.unavailable.clear();
    }
    source.files = files.join(QStringLiteral(", "));
    return usable;
}

namespace {

// The sum, the highest or the mean of the inputs' readings, empty when any
// could not be read.
enum class Combine { Sum, Highest, Mean };

template <typename Inputs>
std::optional<double> Reading(const Inputs& inputs, Combine combine) {
    if (inputs.isEmpty()) {
        return std::nullopt;
    }
    double result = combine == Combine::Highest ? -1e300 : 0;
    for (const auto& input : inputs) {
        const Number number = ReadNumber(input.path);
        if (!number.value) {
            return std::nullopt;
        }
        const double value = *number.value * input.scale;
        result = combine == Combine::Highest ? std::max(result, value) : result + value;
    }
    return combine == Combine::Mean ? result / double(inputs.size()) : result;
}

} // namespace

SensorSample SysfsSensors::read(qint64 ns) const {
    SensorSample sample;
    sample.ns = ns;
    for (const Input& counter : m_counters) {
        const Number number = ReadNumber(counter.path);
        if (!number.value) {
            sample.counters.clear();
            break;
        }
        sample.counters.append(quint64(*number.value));
    }
    sample.watts = Reading(m_power, Combine::Sum);
    sample.cpuCelsius = Reading(m_cpuTemperatures, Combine::Highest);
    sample.gpuCelsius = Reading(m_gpuTemperatures, Combine::Highest);
    sample.cpuMegahertz = Reading(m_cpuClocks, Combine::Mean);
    sample.gpuMegahertz = Reading(m_gpuClocks, Combine::Mean);
    return sample;
}
