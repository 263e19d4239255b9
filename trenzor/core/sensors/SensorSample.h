#pragma once

#include <QList>
#include <QtGlobal>
#include <optional>

// One reading of all the sensors found, taken at one moment of the steady
// clock (ns). A reading that failed this time is empty.
struct SensorSample {
    qint64 ns = 0;
    // The energy counters in µJ, in SysfsSensors' order; empty when any
    // could not be read.
    QList<quint64> counters;
    // The sum of the power sensors in W.
    std::optional<double> watts;
    // The hottest CPU and GPU sensor (°C), the mean CPU and GPU clock (MHz).
    std::optional<double> cpuCelsius;
    std::optional<double> gpuCelsius;
    std::optional<double> cpuMegahertz;
    std::optional<double> gpuMegahertz;
};
