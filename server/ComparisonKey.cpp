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

ComparisonKey ComparisonKey::of(const QString& program, const RunConditions& conditions) {
    const QString description =
        QStringLiteral("verze %1, %2x%3, barvy %4 b, Z %5 b, %6")
            .arg(engineVersion(program))
            .arg(conditions.width)
            .arg(conditions.height)
            .arg(conditions.colourBits)
            .arg(conditions.depthBits)
            .arg(conditions.safe ? QStringLiteral("bezpečný mód") : QStringLiteral("shadery"));
    const QByteArray hash = QCryptographicHash::hash(description.toUtf8(), QCryptographicHash::Sha256);
    return ComparisonKey{QString::fromLatin1(hash.toHex().left(16)), description};
}
