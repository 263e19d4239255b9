#pragma once

#include "GpuDevice.h"

#include <QList>
#include <QString>
#include <memory>

// The graphics devices EGL's device platform offers (EGL_EXT_device_
// enumeration), each asked for its DRM nodes and its driver, without a
// context. Needs no display server. Only static functions; every EGL display
// they initialise is terminated again when its owner lets it go.
class EglDevices {
public:
    // Terminates an initialised EGL display.
    struct Terminate {
        void operator()(void* display) const;
    };
    using Display = std::unique_ptr<void, Terminate>;

    static QList<GpuDevice> list();
    // The device an EGL display draws on, by its index in list(); -1 when
    // EGL cannot say.
    static int indexOf(void* display);
    // The device's own EGL display, initialised; empty with an error.
    static Display display(int index, QString& error);
};
