#pragma once

#include "GpuDevice.h"

#include <QList>
#include <QString>

// What choosing a graphics device by its index takes: for an off-screen run
// the device itself, for a window the environment through which Mesa's
// window-system drivers pick it. Pure logic on the listed devices; only
// static functions.
class GpuChoice {
public:
    struct Window {
        // The variable to set before the window system is reached; empty
        // name with an error.
        QByteArray name;
        QByteArray value;
        QString error;
    };

    // The device of that index, or why there is none.
    static QString check(const QList<GpuDevice>& devices, int index);
    // How a window is drawn on the device: software through Mesa's software
    // driver, a PCI device through DRI_PRIME; any other cannot be chosen.
    static Window forWindow(const GpuDevice& device);
    // A line of --list-gpus.
    static QString line(const GpuDevice& device);
    // The device as line 5 names it.
    static QString label(const GpuDevice& device);
};
