#pragma once

#include "SensorSample.h"
#include "contract/EnergyReport.h"

#include <QList>

// Turns the sensors' samples into one test's figures. Energy comes from the
// counters' increments, a counter that went back having wrapped at its
// range (a range of 0: started again from 0), and from the power sensors'
// samples by the trapezoid rule; their mean power over the samples that
// bracket the test, times the test's time, is the test's energy. Pure
// functions.
namespace EnergyMeter {

// The increment of a counter from one reading to the next.
quint64 Increment(quint64 before, quint64 after, quint64 range);

// The figures of the test that ran from fromNs to toNs, drawn from the
// samples at and between the last one before its start and the first one
// after its end. averageRate: the test's points, for points per watt.
EnergyReport::Test Measure(const QList<SensorSample>& samples, const QList<quint64>& ranges, qint64 fromNs,
                           qint64 toNs, int index, double averageRate);

} // namespace EnergyMeter
