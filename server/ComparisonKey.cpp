#include "ComparisonKey.h"

#include <QCryptographicHash>
#include <QRegularExpression>

QString ComparisonKey::engineVersion(const QString& program) {
    static const QRegularExpression version(QStringLiteral(R"(^\S+ (\d+)\.(\d+)(?:\.\d+)?$)"));
    const QRegularExpressionMatch match = version.match(program);
    if (!match.hasMatch()) {
        return program;
    }
    return match.captured(1) + QLatin1Char('.') + match.captured(2);
}

ComparisonKey ComparisonKey::of(const QString& program, const RunConditions& conditions,
                                const QString& scenes) {
    const QString description =
        QStringLiteral("verze %1, scény %2, %3x%4, barvy %5 b, Z %6 b, %7")
            .arg(engineVersion(program),
                 scenes.isEmpty() ? QStringLiteral("neuvedené") : scenes.left(kScenesShown))
            .arg(conditions.width)
            .arg(conditions.height)
            .arg(conditions.colourBits)
            .arg(conditions.depthBits)
            .arg(conditions.safe ? QStringLiteral("bezpečný mód") : QStringLiteral("shadery"));
    // The whole scenes' hash, not the part the text shows.
    const QByteArray hash = QCryptographicHash::hash((description + QLatin1Char('\n') + scenes).toUtf8(),
                                                     QCryptographicHash::Sha256);
    return ComparisonKey{QString::fromLatin1(hash.toHex().left(16)), description};
}
