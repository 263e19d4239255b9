#pragma once

#include "EglDevices.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QString>
#include <memory>

// An OpenGL context with no display server at all, for an off-screen run:
// made through EGL on Mesa's surfaceless platform and handed to Qt, whose
// eglfs platform adopts contexts of its own EGL display. A device chosen by
// index gets a context of its own on EGL's device platform, current under
// Qt's: Qt adopts only contexts of its display, and OpenGL's calls go to
// whichever context is current. Created after the application object, with
// the environment prepare() set before it; lives as long as the run.
class HeadlessContext {
public:
    // Whether a run draws through this class: an off-screen run with no
    // display to reach, or one on a chosen device.
    static bool wanted(bool offscreen, int gpu);
    // Before the application object: Qt's platform without a display.
    static void prepare();

    HeadlessContext() = default;
    ~HeadlessContext();
    HeadlessContext(const HeadlessContext&) = delete;
    HeadlessContext& operator=(const HeadlessContext&) = delete;

    // gpu: the device's index, or -1 for the device Mesa picks. Returns an
    // error text, or empty when the context is current.
    QString create(int gpu, bool debug);
    bool makeCurrent();
    QOpenGLContext* context() const { return m_context.get(); }
    // "EGL 0 software": the device that draws, as line 5 names it.
    QString deviceLabel() const { return m_label; }

private:
    // The surfaceless display is Qt's own as well, and Qt terminates it when
    // the application object goes; the chosen device's is terminated here.
    void* m_display = nullptr;
    void* m_eglContext = nullptr;
    // The chosen device's display and context, drawn with under Qt's.
    EglDevices::Display m_deviceDisplay;
    void* m_deviceContext = nullptr;
    std::unique_ptr<QOpenGLContext> m_context;
    QOffscreenSurface m_surface;
    QString m_label;
};
