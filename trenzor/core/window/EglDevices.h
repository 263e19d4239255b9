#pragma once

#include "GpuDevice.h"

#include <QList>
#include <QString>

// The graphics devices EGL's device platform offers (EGL_EXT_device_
// enumeration), each asked for its DRM nodes and, through a context of its
// own, for its renderer. Needs no display server. Only static functions;
// every EGL object made on the way is released again.
class EglDevices {
public:
    static QList<GpuDevice> list();
    // The device an EGL display draws on, by its index in list(); -1 when
    // EGL cannot say.
    static int indexOf(void* display);
    // The device's own EGL display, initialised; nullptr with an error.
    static void* display(int index, QString& error);
};
