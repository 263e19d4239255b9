#include "LogHeader.h"

#include "ConsoleReport.h"
#include "SystemInfo.h"
#include "contract/EngineContract.h"
#include "contract/TestOrder.h"

#include <QCoreApplication>
#include <QDateTime>

QString LogHeader::conditions(const Granted& granted) {
    const QSize screen = granted.screen;
    const QSize render = granted.render;
    const QString size =
        granted.offscreen
            ? QStringLiteral("%1x%2 mimo obrazovku%3")
                  .arg(screen.width())
                  .arg(screen.height())
                  .arg(granted.device.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(granted.device))
        : granted.fullScreen ? QStringLiteral("%1x%2 na obrazovce %3x%4")
                                   .arg(render.width())
                                   .arg(render.height())
                                   .arg(screen.width())
                                   .arg(screen.height())
                             : QStringLiteral("okno %1x%2").arg(render.width()).arg(render.height());
    return QStringLiteral("%1, barvy %2 b, Z %3 b, %4%5%6")
        .arg(size)
        .arg(granted.colourBits)
        .arg(granted.depthBits)
        .arg(granted.vsync, granted.safe ? QStringLiteral(", bezpečný mód") : QString(),
             granted.tests.isEmpty() ? QString() : TestOrder::ConditionsNote(granted.tests));
}

QStringList LogHeader::compose(const Granted& granted, const QString& glRenderer) {
    using EngineContract::LogLine;
    SystemInfo info;
    QStringList header(EngineContract::kLogHeaderLines);
    header[int(LogLine::Program)] = QStringLiteral("Trenzor %1").arg(QCoreApplication::applicationVersion());
    header[int(LogLine::Date)] = QDateTime::currentDateTime().toString(EngineContract::kLogDateFormat);
    header[int(LogLine::Memory)] = info.memory();
    header[int(LogLine::OperatingSystem)] = info.operatingSystem();
    header[int(LogLine::Conditions)] = conditions(granted);
    header[int(LogLine::Processor)] = info.processor();
    header[int(LogLine::GraphicsCard)] = glRenderer;
    for (const QString& warning : info.warnings()) {
        ConsoleReport::print(stderr, QStringLiteral("trenzor: %1").arg(warning));
    }
    return header;
}
