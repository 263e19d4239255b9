#include "RunConditions.h"

#include <QRegularExpression>

bool RunConditions::vsyncOff() const {
    return vsync == QLatin1String("synchr. vypnuta") ||
           (offscreen && vsync == QLatin1String("nezobrazuje se"));
}

std::optional<RunConditions> RunConditions::parse(const QString& line) {
    static const QRegularExpression pattern(QStringLiteral(
        R"(^(?:okno (\d+)x(\d+)|(\d+)x(\d+) na obrazovce \d+x\d+|(\d+)x(\d+) mimo obrazovku(?: \([^()]*\))?))"
        R"(, barvy (\d+) b, Z (\d+) b, (.+?)(, bezpečný mód)?(?:, testy [0-9]+(?:,[0-9]+)*)?$)"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    RunConditions conditions;
    // The size is in whichever pair of the three forms matched.
    for (int first : {1, 3, 5}) {
        if (match.hasCaptured(first)) {
            conditions.width = match.captured(first).toInt();
            conditions.height = match.captured(first + 1).toInt();
            conditions.offscreen = first == 5;
        }
    }
    conditions.colourBits = match.captured(7).toInt();
    conditions.depthBits = match.captured(8).toInt();
    conditions.vsync = match.captured(9);
    conditions.safe = match.hasCaptured(10);
    return conditions;
}
