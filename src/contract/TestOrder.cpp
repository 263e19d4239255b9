#include "contract/TestOrder.h"

#include "contract/EngineContract.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

const QString kLabel = QStringLiteral(", testy ");

bool IsStandard(const QList<int>& tests) {
    if (tests.size() != EngineContract::kTestCount) {
        return false;
    }
    for (qsizetype i = 0; i < tests.size(); ++i) {
        if (tests[i] != i) {
            return false;
        }
    }
    return true;
}

} // namespace

namespace TestOrder {

QString ConditionsNote(const QList<int>& tests) {
    if (IsStandard(tests)) {
        return {};
    }
    QStringList numbers;
    for (const int test : tests) {
        numbers.append(QString::number(test));
    }
    return kLabel + numbers.join(QLatin1Char(','));
}

std::optional<QList<int>> Named(const QString& conditions) {
    // Only at the line's end, as the engine writes it: a device's label in
    // the line may hold anything before it.
    static const QRegularExpression note(QRegularExpression::escape(kLabel) +
                                         QStringLiteral("([0-9]+(?:,[0-9]+)*)$"));
    const QRegularExpressionMatch match = note.match(conditions);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    QList<int> tests;
    for (const QString& number : match.captured(1).split(QLatin1Char(','))) {
        tests.append(number.toInt());
    }
    return tests;
}

} // namespace TestOrder
