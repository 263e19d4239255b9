#include "GlProbe.h"

#include "ConsoleReport.h"
#include "SwapControl.h"

#include <QOpenGLContext>
#include <QOpenGLDebugLogger>
#include <QOpenGLFunctions_2_1>

GlProbe::GlProbe() = default;

GlProbe::~GlProbe() = default;

QString GlProbe::vsyncState(QOpenGLContext& context, bool offscreen, bool vsyncAsked) {
    if (offscreen) {
        return QStringLiteral("nezobrazuje se");
    }
    return SwapControl::describe(vsyncAsked, SwapControl::grantedInterval(context, vsyncAsked));
}

GlProbe::Bits GlProbe::boundBufferBits(QOpenGLFunctions_2_1& gl) {
    Bits bits;
    for (const GLenum channel : {GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS, GL_ALPHA_BITS}) {
        GLint channelBits = 0;
        gl.glGetIntegerv(channel, &channelBits);
        bits.colour += channelBits;
    }
    GLint depth = 0;
    gl.glGetIntegerv(GL_DEPTH_BITS, &depth);
    bits.depth = depth;
    return bits;
}

void GlProbe::startDebugOutput(const QOpenGLContext& context) {
    if (!context.format().testOption(QSurfaceFormat::DebugContext)) {
        ConsoleReport::print(
            stderr, QStringLiteral("trenzor: ovladač nedal ladicí kontext OpenGL; hlášení mohou chybět."));
    }
    m_debugLogger = std::make_unique<QOpenGLDebugLogger>();
    if (!m_debugLogger->initialize()) {
        m_debugLogger.reset();
        ConsoleReport::print(
            stderr, QStringLiteral("trenzor: ovladač nemá rozšíření KHR_debug, ladicí hlášení nebudou."));
        return;
    }
    QObject::connect(
        m_debugLogger.get(), &QOpenGLDebugLogger::messageLogged, [](const QOpenGLDebugMessage& message) {
            const QString severity =
                message.severity() == QOpenGLDebugMessage::HighSeverity     ? QStringLiteral("vysoká")
                : message.severity() == QOpenGLDebugMessage::MediumSeverity ? QStringLiteral("střední")
                : message.severity() == QOpenGLDebugMessage::LowSeverity    ? QStringLiteral("nízká")
                                                                            : QStringLiteral("oznámení");
            ConsoleReport::print(stderr,
                                 QStringLiteral("trenzor: ladění OpenGL (%1, závažnost %2, id %3): %4")
                                     .arg(message.type() == QOpenGLDebugMessage::ErrorType
                                              ? QStringLiteral("chyba")
                                              : QStringLiteral("typ 0x%1").arg(int(message.type()), 0, 16),
                                          severity)
                                     .arg(message.id())
                                     .arg(message.message()));
        });
    m_debugLogger->startLogging(QOpenGLDebugLogger::SynchronousLogging);
    ConsoleReport::print(stderr, QStringLiteral("trenzor: ladicí hlášení OpenGL zapnuta."));
}

void GlProbe::stopDebugOutput() {
    m_debugLogger.reset();
}
