#include "GpuChoice.h"

QString GpuChoice::check(const QList<GpuDevice>& devices, int index) {
    if (index >= 0 && index < devices.size()) {
        return {};
    }
    if (devices.isEmpty()) {
        return QStringLiteral("--gpu %1: EGL nenabízí žádné grafické zařízení").arg(index);
    }
    return QStringLiteral(
               "--gpu %1: takové grafické zařízení není, EGL nabízí 0 až %2 (vypíše je --list-gpus)")
        .arg(index)
        .arg(devices.size() - 1);
}

GpuChoice::Window GpuChoice::forWindow(const GpuDevice& device) {
    if (device.software) {
        return {"LIBGL_ALWAYS_SOFTWARE", "1", {}};
    }
    if (!device.pciSlot.isEmpty()) {
        // Mesa names a PCI device in DRI_PRIME with underscores for the
        // slot's separators.
        QString slot = device.pciSlot;
        slot.replace(u':', u'_').replace(u'.', u'_');
        return {"DRI_PRIME", QStringLiteral("pci-%1").arg(slot).toLatin1(), {}};
    }
    return {
        {},
        {},
        QStringLiteral("--gpu %1: zařízení %2 nelze zvolit pro okno (není softwarové ani na sběrnici PCI); "
                       "kreslit na ně lze s --offscreen")
            .arg(device.index)
            .arg(label(device))};
}

QString GpuChoice::label(const GpuDevice& device) {
    if (device.software) {
        return QStringLiteral("EGL %1 software").arg(device.index);
    }
    const QString node = !device.renderNode.isEmpty() ? device.renderNode : device.drmNode;
    return node.isEmpty() ? QStringLiteral("EGL %1").arg(device.index)
                          : QStringLiteral("EGL %1 %2").arg(device.index).arg(node);
}

QString GpuChoice::line(const GpuDevice& device) {
    const auto orNone = [](const QString& text) { return text.isEmpty() ? QStringLiteral("žádný") : text; };
    return QStringLiteral("%1: EGL zařízení %2, uzel DRM %3, uzel kreslení %4%5, %6")
        .arg(device.index)
        .arg(device.software ? QStringLiteral("software Mesa") : QStringLiteral("hardware"))
        .arg(orNone(device.drmNode), orNone(device.renderNode),
             device.pciSlot.isEmpty() ? QString() : QStringLiteral(", PCI %1").arg(device.pciSlot),
             device.driver.isEmpty() ? QStringLiteral("zařízení EGL nelze otevřít") : device.driver);
}
