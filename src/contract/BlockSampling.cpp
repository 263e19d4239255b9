#include "BlockSampling.h"

#include "EngineContract.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace {

// The digits are bounded so that the numbers fit before they are checked.
const QRegularExpression& ClosingPattern() {
    static const QRegularExpression pattern(
        QStringLiteral("^0 vzorek: každý ([1-9][0-9]{0,8})\\. snímek; zobrazeno ([1-9][0-9]{0,9}) snímků za "
                       "([0-9]{1,9}(?:\\.[0-9]{1,9})?) s$"));
    return pattern;
}

} // namespace

QString BlockSampling::ClosingLine() const {
    if (!thinned()) {
        return QStringLiteral("0");
    }
    return QStringLiteral("0 %1; zobrazeno %2 snímků za %3 s")
        .arg(Mark())
        .arg(frames)
        .arg(seconds, 0, 'f', 6);
}

BlockSampling BlockSampling::FromClosingLine(const QString& line, int values) {
    const QRegularExpressionMatch match = ClosingPattern().match(line.trimmed());
    if (!match.hasMatch() || values < 1) {
        return {};
    }
    const int stride = match.captured(1).toInt();
    const qint64 frames = match.captured(2).toLongLong();
    const double seconds = match.captured(3).toDouble();
    // The engine keeps the measured frames 0, stride, 2 stride, ...: values
    // of them are written for more than (values - 1) stride frames and at
    // most values stride.
    const bool fits = stride >= 2 && frames <= std::numeric_limits<int>::max() &&
                      frames > qint64(values - 1) * stride && frames <= qint64(values) * stride;
    if (!fits || !std::isfinite(seconds) || seconds <= 0 || seconds > EngineContract::kMaxTestSeconds) {
        return {};
    }
    return BlockSampling{stride, int(frames), seconds};
}

QString BlockSampling::Mark() const {
    return QStringLiteral("vzorek: každý %1. snímek").arg(stride);
}
