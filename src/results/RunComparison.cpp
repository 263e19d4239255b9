#include "RunComparison.h"

#include "CsvWriter.h"
#include "contract/FileResult.h"
#include "contract/InputFile.h"
#include "contract/RepeatStatistics.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// One part of a test: its usable frames and their time in seconds, and the
// time of those frames that stutter.
struct Part {
    double frames = 0;
    double seconds = 0;
    double stutterSeconds = 0;
};

// The test's usable frames cut along its time into kParts equal parts; a
// frame belongs to the part in which it starts, and stutters when it is
// longer than stutterLimitMs. Empty for a test without a usable frame.
QList<Part> Parts(const QList<double>& rates, double stutterLimitMs = HUGE_VAL) {
    double total = 0;
    for (const double rate : rates) {
        if (FrameStatistics::IsUsable(rate)) {
            total += 1.0 / rate;
        }
    }
    if (!(total > 0)) {
        return {};
    }
    QList<Part> parts(RunComparison::kParts);
    double start = 0;
    for (const double rate : rates) {
        if (!FrameStatistics::IsUsable(rate)) {
            continue;
        }
        const int index =
            std::clamp(int(start / total * RunComparison::kParts), 0, RunComparison::kParts - 1);
        parts[index].frames += 1;
        parts[index].seconds += 1.0 / rate;
        if (1000.0 / rate > stutterLimitMs) {
            parts[index].stutterSeconds += 1.0 / rate;
        }
        start += 1.0 / rate;
    }
    return parts;
}

QList<Part> MergedInPairs(const QList<Part>& parts) {
    QList<Part> merged;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        merged.append({parts[i].frames + parts[i + 1].frames, parts[i].seconds + parts[i + 1].seconds,
                       parts[i].stutterSeconds + parts[i + 1].stutterSeconds});
    }
    return merged;
}

// The paired differences of the parts: log ratios of the rates, or the
// stutter's share of the time in percent of the current run minus the
// other's. Empty when a part of either run has no frame.
QList<double> Differences(const QList<Part>& current, const QList<Part>& other, bool stutter) {
    QList<double> differences;
    for (qsizetype i = 0; i < current.size(); ++i) {
        if (current[i].frames == 0 || other[i].frames == 0) {
            return {};
        }
        differences.append(stutter ? 100 * (current[i].stutterSeconds / current[i].seconds -
                                            other[i].stutterSeconds / other[i].seconds)
                                   : std::log((current[i].frames / current[i].seconds) /
                                              (other[i].frames / other[i].seconds)));
    }
    return differences;
}

double Mean(const QList<double>& values) {
    double sum = 0;
    for (const double value : values) {
        sum += value;
    }
    return sum / double(values.size());
}

// The lag-1 autocorrelation plus 1 / n: the plain estimate of a few values
// lies about 1 / n below the true one, and a merge stopped on it leaves
// correlated parts that make false alarms twice as frequent. 1 / n for
// values that do not vary.
double Autocorrelation(const QList<double>& values) {
    const double mean = Mean(values);
    double products = 0;
    double squares = 0;
    for (qsizetype i = 0; i < values.size(); ++i) {
        squares += (values[i] - mean) * (values[i] - mean);
        if (i + 1 < values.size()) {
            products += (values[i] - mean) * (values[i + 1] - mean);
        }
    }
    return (squares > 0 ? products / squares : 0) + 1.0 / double(values.size());
}

QString Text(QByteArrayView bytes) {
    return QString::fromUtf8(bytes);
}

} // namespace

namespace RunComparison {

double DifferencePercent(double current, double other) {
    return other != 0 ? (current / other - 1) * 100 : 0;
}

namespace {

// The paired t-test over the parts, merged while they follow each other too
// closely. For rates the differences are log ratios, turned into percent;
// for stutter they are percentage points already.
Judgement JudgeParts(QList<Part> current, QList<Part> other, bool stutter) {
    Judgement judgement;
    if (current.isEmpty() || other.isEmpty()) {
        return judgement;
    }
    QList<double> differences = Differences(current, other, stutter);
    // Parts without a frame (a frame longer than a part) and parts that
    // follow each other too closely are merged with their neighbours.
    while (current.size() > kMinParts &&
           (differences.isEmpty() || Autocorrelation(differences) > kMaxAutocorrelation)) {
        current = MergedInPairs(current);
        other = MergedInPairs(other);
        differences = Differences(current, other, stutter);
    }
    if (differences.isEmpty()) {
        return judgement;
    }
    const qsizetype n = differences.size();
    const RepeatStatistics::Spread spread = RepeatStatistics::Of(differences);
    const double mean = spread.mean;
    // What correlation is left after merging widens the interval.
    const double r = std::clamp(Autocorrelation(differences), 0.0, 0.9);
    const double standardError =
        spread.standardDeviation / std::sqrt(double(n)) * std::sqrt((1 + r) / (1 - r));
    const double halfWidth = RepeatStatistics::StudentT95(int(n) - 1) * standardError;
    judgement.parts = int(n);
    judgement.differencePercent = stutter ? mean : (std::exp(mean) - 1) * 100;
    judgement.marginPercent = stutter ? halfWidth : (std::exp(halfWidth) - 1) * 100;
    if (std::abs(mean) <= halfWidth) {
        judgement.verdict = Verdict::WithinNoise;
    } else {
        // Less stutter is the better run, as a faster one is.
        judgement.verdict = (mean > 0) != stutter ? Verdict::Faster : Verdict::Slower;
    }
    return judgement;
}

} // namespace

Judgement Judge(const QList<double>& currentRates, const QList<double>& otherRates) {
    return JudgeParts(Parts(currentRates), Parts(otherRates), false);
}

Judgement JudgeStutter(const QList<double>& currentRates, double currentLimitMs,
                       const QList<double>& otherRates, double otherLimitMs) {
    return JudgeParts(Parts(currentRates, currentLimitMs), Parts(otherRates, otherLimitMs), true);
}

Comparison Compare(const ResultsDetails::Details& current, const ResultsDetails::Details& other) {
    Comparison comparison;
    // Each row's test as a position in each run, -1 where a run lacks it.
    QList<std::pair<qsizetype, qsizetype>> rows;
    if (current.testsNumbered && other.testsNumbered) {
        std::map<int, std::pair<qsizetype, qsizetype>> byNumber;
        for (qsizetype i = 0; i < current.tests.size(); ++i) {
            byNumber.try_emplace(current.tests[i].index, -1, -1).first->second.first = i;
        }
        for (qsizetype i = 0; i < other.tests.size(); ++i) {
            byNumber.try_emplace(other.tests[i].index, -1, -1).first->second.second = i;
        }
        for (const auto& [number, at] : byNumber) {
            rows.append(at);
        }
    } else {
        for (qsizetype i = 0; i < std::max(current.tests.size(), other.tests.size()); ++i) {
            rows.append({i < current.tests.size() ? i : -1, i < other.tests.size() ? i : -1});
        }
    }
    for (const auto& [currentAt, otherAt] : rows) {
        TestComparison test;
        test.currentAt = currentAt;
        test.otherAt = otherAt;
        test.name = test.inCurrent() ? current.tests[currentAt].name : other.tests[otherAt].name;
        if (test.inCurrent()) {
            test.current = current.tests[currentAt].figures;
        }
        if (test.inOther()) {
            test.other = other.tests[otherAt].figures;
        }
        if (test.inCurrent() && test.inOther()) {
            if (LacksFrameTimes(current.tests[currentAt]) || LacksFrameTimes(other.tests[otherAt])) {
                test.judgement.verdict = Verdict::NoFrameTimes;
                test.stutter.verdict = Verdict::NoFrameTimes;
            } else {
                test.judgement = Judge(current.tests[currentAt].rates, other.tests[otherAt].rates);
                if (test.current.smoothness && test.other.smoothness) {
                    test.stutter =
                        JudgeStutter(current.tests[currentAt].rates, test.current.smoothness->stutterLimitMs,
                                     other.tests[otherAt].rates, test.other.smoothness->stutterLimitMs);
                }
            }
        }
        comparison.tests.append(test);
    }
    comparison.conditionDifferences = ConditionDifferences(current.summary, other.summary);
    return comparison;
}

ResultsDetails::Details ReadRun(const QString& fileName) {
    if (!fileName.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive)) {
        return ResultsDetails::ReadDetails(fileName);
    }
    ResultsDetails::Details failed;
    failed.outcome = ResultsLog::Outcome::ReadFailed;
    const FileResult<RunSummaryCodec::Summary> summary = ResultsDetails::ReadSummary(fileName);
    if (!summary.ok()) {
        failed.error = summary.error();
        return failed;
    }
    if (summary->last.tests.isEmpty()) {
        failed.error =
            FileError{FileError::Operation::Read, fileName, Text("souhrn běhu neobsahuje žádný test")};
        return failed;
    }
    return ResultsDetails::DetailsOf(RunEvaluation::OfSummary(*summary));
}

bool LacksFrameTimes(const ResultsDetails::TestDetails& test) {
    return test.rates.isEmpty() && test.figures.frames > 0;
}

QStringList ConditionDifferences(const ResultsLog::ResultsLogSummary& current,
                                 const ResultsLog::ResultsLogSummary& other) {
    // The engine writes the conditions as "okno 640x480, barvy 24 b, Z 24 b,
    // vsync vypnuta" with an optional ", bezpečný mód": item by item.
    const QString separator = QStringLiteral(", ");
    const QStringList mine = current.extraText.split(separator);
    const QStringList theirs = other.extraText.split(separator);
    QStringList differences;
    for (qsizetype i = 0; i < std::max(mine.size(), theirs.size()); ++i) {
        const QString a = mine.value(i).trimmed();
        const QString b = theirs.value(i).trimmed();
        if (a != b) {
            differences << QStringLiteral("%1 / %2").arg(a.isEmpty() ? QStringLiteral("–") : a,
                                                         b.isEmpty() ? QStringLiteral("–") : b);
        }
    }
    if (current.graphicsCardText.trimmed() != other.graphicsCardText.trimmed()) {
        differences << QStringLiteral("grafická karta %1 / %2")
                           .arg(current.graphicsCardText.trimmed(), other.graphicsCardText.trimmed());
    }
    return differences;
}

QString ConditionsWarning(const QStringList& differences) {
    return differences.isEmpty() ? QString()
                                 : Text("Podmínky běhů se liší: ") + differences.join(QStringLiteral("; "));
}

QByteArray Csv(const Comparison& comparison) {
    CsvWriter csv(Text(
        "test,průměr tento běh (1/s),průměr zvolený běh (1/s),rozdíl průměru (%),1% low "
        "tento běh (1/s),1% low zvolený běh (1/s),rozdíl 1% low (%),99. percentil tento běh "
        "(ms),99. percentil zvolený běh (ms),rozdíl 99. percentilu (%),rozdíl z částí "
        "(%),95% interval (± %),částí,význam,záseky tento běh (% času),záseky zvolený běh (% času),rozdíl "
        "záseků z částí (procentní body),95% interval záseků (± body),význam rozdílu záseků"));
    const auto number = [](bool present, double value) {
        return present ? QByteArray::number(value, 'f', 3) : QByteArray();
    };
    const auto stutterShare = [&number](const FrameStatistics::BlockFigures& figures) {
        return number(figures.smoothness.has_value(),
                      figures.smoothness ? figures.smoothness->stutterPercent : 0);
    };
    for (const TestComparison& test : comparison.tests) {
        const bool both = test.inCurrent() && test.inOther();
        const bool judged = test.judgement.parts > 0;
        csv.text(test.name);
        for (const auto& [current, other] :
             {std::pair{test.current.averageRate, test.other.averageRate},
              std::pair{test.current.low1PercentRate, test.other.low1PercentRate},
              std::pair{test.current.percentile99Ms, test.other.percentile99Ms}}) {
            csv.add(number(test.inCurrent(), current))
                .add(number(test.inOther(), other))
                .add(number(both && other != 0, DifferencePercent(current, other)));
        }
        csv.add(number(judged, test.judgement.differencePercent))
            .add(number(judged, test.judgement.marginPercent))
            .add(judged ? QByteArray::number(test.judgement.parts) : QByteArray())
            .text(VerdictText(test.judgement.verdict));
        const bool stutterJudged = test.stutter.parts > 0;
        csv.add(stutterShare(test.current))
            .add(stutterShare(test.other))
            .add(number(stutterJudged, test.stutter.differencePercent))
            .add(number(stutterJudged, test.stutter.marginPercent))
            .text(StutterVerdictText(test.stutter.verdict))
            .endRow();
    }
    return csv.bytes();
}

QString VerdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::Faster:
        return Text("rychlejší");
    case Verdict::Slower:
        return Text("pomalejší");
    case Verdict::WithinNoise:
        return Text("rozdíl v rámci šumu");
    case Verdict::NoFrameTimes:
        return Text("bez snímků nelze posoudit");
    case Verdict::NotJudged:
        break;
    }
    return Text("–");
}

QString StutterLine(const TestComparison& test) {
    const auto share = [](const FrameStatistics::BlockFigures& figures) {
        return figures.smoothness
                   ? QString::number(figures.smoothness->stutterPercent, 'f', 2) + Text(" % času")
                   : Text("–");
    };
    QString line =
        Text("Záseky – %1: tento běh %2, zvolený běh %3: %4")
            .arg(test.name, share(test.current), share(test.other), StutterVerdictText(test.stutter.verdict));
    if (test.stutter.parts > 0) {
        line += Text(" (%1%2 ± %3 procentního bodu, 95 %)")
                    .arg(test.stutter.differencePercent > 0 ? Text("+") : QString(),
                         QString::number(test.stutter.differencePercent, 'f', 2),
                         QString::number(test.stutter.marginPercent, 'f', 2));
    }
    return line;
}

QString StutterVerdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::Faster:
        return Text("méně záseků");
    case Verdict::Slower:
        return Text("více záseků");
    case Verdict::WithinNoise:
    case Verdict::NoFrameTimes:
    case Verdict::NotJudged:
        break;
    }
    return VerdictText(verdict);
}

} // namespace RunComparison
