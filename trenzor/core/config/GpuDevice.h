#pragma once

#include <QString>

// One graphics device EGL offers, as the engine lists and chooses it: its
// index in EGL's list, whether it is Mesa's software device, its DRM nodes
// and PCI slot where it has them, and its driver as EGL names it.
// Plain data, filled by EglDevices.
struct GpuDevice {
    int index = 0;
    bool software = false;
    QString drmNode;
    QString renderNode;
    // "0000:01:00.0", empty for a device that is not on the PCI bus.
    QString pciSlot;
    // "ovladač swrast, Mesa Project": Mesa's name of the driver where EGL
    // says it, and EGL's vendor; empty when EGL cannot open the device.
    QString driver;
};
