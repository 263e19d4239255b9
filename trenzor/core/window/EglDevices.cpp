#include "EglDevices.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <QFileInfo>
#include <cstring>
#include <vector>

#ifndef EGL_DRM_RENDER_NODE_FILE_EXT
#define EGL_DRM_RENDER_NODE_FILE_EXT 0x3377
#endif

namespace {

struct Entry {
    PFNEGLQUERYDEVICESEXTPROC queryDevices =
        reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    PFNEGLQUERYDEVICESTRINGEXTPROC deviceString =
        reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(eglGetProcAddress("eglQueryDeviceStringEXT"));
    PFNEGLGETPLATFORMDISPLAYEXTPROC platformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    PFNEGLQUERYDISPLAYATTRIBEXTPROC displayAttrib =
        reinterpret_cast<PFNEGLQUERYDISPLAYATTRIBEXTPROC>(eglGetProcAddress("eglQueryDisplayAttribEXT"));

    bool usable() const { return queryDevices && deviceString && platformDisplay; }

    std::vector<EGLDeviceEXT> devices() const {
        EGLint count = 0;
        if (!usable() || !queryDevices(0, nullptr, &count) || count <= 0) {
            return {};
        }
        std::vector<EGLDeviceEXT> found(std::size_t(count), nullptr);
        queryDevices(count, found.data(), &count);
        found.resize(std::size_t(count));
        return found;
    }
};

bool hasExtension(const char* list, const char* name) {
    if (!list) {
        return false;
    }
    const QByteArrayList names = QByteArray(list).split(' ');
    return names.contains(QByteArray(name));
}

QString deviceText(const Entry& egl, EGLDeviceEXT device, const char* extensions, const char* extension,
                   EGLint name) {
    if (!hasExtension(extensions, extension)) {
        return {};
    }
    const char* text = egl.deviceString(device, name);
    return text ? QString::fromLocal8Bit(text) : QString();
}

// What EGL says of the display's driver without a context: Mesa's name of
// the driver (EGL_MESA_query_driver) where it says it, and the vendor, which
// every initialised display names.
QString driverOf(EGLDisplay display) {
    const QString vendor = QString::fromLatin1(eglQueryString(display, EGL_VENDOR));
    const auto driverName =
        reinterpret_cast<PFNEGLGETDISPLAYDRIVERNAMEPROC>(eglGetProcAddress("eglGetDisplayDriverName"));
    const char* name =
        hasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_MESA_query_driver") && driverName
            ? driverName(display)
            : nullptr;
    return name ? QStringLiteral("ovladač %1, %2").arg(QString::fromLatin1(name), vendor) : vendor;
}

} // namespace

QList<GpuDevice> EglDevices::list() {
    const Entry egl;
    QList<GpuDevice> result;
    const std::vector<EGLDeviceEXT> devices = egl.devices();
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const char* extensions = egl.deviceString(devices[i], EGL_EXTENSIONS);
        GpuDevice device;
        device.index = int(i);
        device.software = hasExtension(extensions, "EGL_MESA_device_software");
        device.drmNode =
            deviceText(egl, devices[i], extensions, "EGL_EXT_device_drm", EGL_DRM_DEVICE_FILE_EXT);
        device.renderNode = deviceText(egl, devices[i], extensions, "EGL_EXT_device_drm_render_node",
                                       EGL_DRM_RENDER_NODE_FILE_EXT);
        const QString node = device.renderNode.isEmpty() ? device.drmNode : device.renderNode;
        if (!node.isEmpty()) {
            // The kernel's device behind the node names its bus slot.
            const QFileInfo bus(
                QStringLiteral("/sys/class/drm/%1/device/subsystem").arg(QFileInfo(node).fileName()));
            if (QFileInfo(bus.symLinkTarget()).fileName() == QLatin1String("pci")) {
                device.pciSlot = QFileInfo(QFileInfo(bus.path()).canonicalFilePath()).fileName();
            }
        }
        QString error;
        if (const Display display = EglDevices::display(int(i), error)) {
            device.driver = driverOf(display.get());
        }
        result.append(device);
    }
    return result;
}

void EglDevices::Terminate::operator()(void* display) const {
    eglTerminate(display);
}

EglDevices::Display EglDevices::display(int index, QString& error) {
    const Entry egl;
    const std::vector<EGLDeviceEXT> devices = egl.devices();
    if (index < 0 || std::size_t(index) >= devices.size()) {
        error = QStringLiteral("EGL nenabízí grafické zařízení %1").arg(index);
        return {};
    }
    const EGLDisplay display =
        egl.platformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[std::size_t(index)], nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        error = QStringLiteral("EGL nemůže kreslit na zařízení %1 (chyba EGL 0x%2)")
                    .arg(index)
                    .arg(eglGetError(), 0, 16);
        return {};
    }
    return Display(display);
}

int EglDevices::indexOf(void* display) {
    const Entry egl;
    EGLAttrib device = 0;
    if (!egl.displayAttrib || !egl.displayAttrib(display, EGL_DEVICE_EXT, &device)) {
        return -1;
    }
    const std::vector<EGLDeviceEXT> devices = egl.devices();
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (reinterpret_cast<EGLAttrib>(devices[i]) == device) {
            return int(i);
        }
    }
    return -1;
}
