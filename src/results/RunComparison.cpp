#include "RunComparison.h"

#include "CsvWriter.h"
#include "contract/FileResult.h"
#include "contract/InputFile.h"
#include "contract/RepeatStatistics.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// One part of a test: its usable frames and their time in seconds.
struct Part {
    double frames = 0;
    double seconds = 0;
};

// The test's usable frames cut along its time into kParts equal parts; a
// frame belongs to the part in which it starts. Empty for a test without a
// usable frame.
QList<Part> Parts(const QList<double>& rates) {
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
        start += 1.0 / rate;
    }
    return parts;
}

QList<Part> MergedInPairs(const QList<Part>& parts) {
    QList<Part> merged;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        merged.append({parts[i].frames + parts[i + 1].frames, parts[i].seconds + parts[i + 1].seconds});
    }
    return merged;
}

// The log ratios of the parts' rates; empty when a part of either run has no
// frame, which has no rate.
QList<double> LogRatios(const QList<Part>& current, const QList<Part>& other) {
    QList<double> ratios;
    for (qsizetype i = 0; i < current.size(); ++i) {
        if (current[i].frames == 0 || other[i].frames == 0) {
            return {};
        }
        ratios.append(
            std::log((current[i].frames / current[i].seconds) / (other[i].frames / other[i].seconds)));
    }
    return ratios;
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

Judgement Judge(const QList<double>& currentRates, const QList<double>& otherRates) {
    Judgement judgement;
    QList<Part> current = Parts(currentRates);
    QList<Part> other = Parts(otherRates);
    if (current.isEmpty() || other.isEmpty()) {
        return judgement;
    }
    QList<double> ratios = LogRatios(current, other);
    // Parts without a frame (a frame longer than a part) and parts that
    // follow each other too closely are merged with their neighbours.
    while (current.size() > kMinParts &&
           (ratios.isEmpty() || Autocorrelation(ratios) > kMaxAutocorrelation)) {
        current = MergedInPairs(current);
        other = MergedInPairs(other);
        ratios = LogRatios(current, other);
    }
    if (ratios.isEmpty()) {
        return judgement;
    }
    const qsizetype n = ratios.size();
    const RepeatStatistics::Spread spread = RepeatStatistics::Of(ratios);
    const double mean = spread.mean;
    // What correlation is left after merging widens the interval.
    const double r = std::clamp(Autocorrelation(ratios), 0.0, 0.9);
    const double standardError =
        spread.standardDeviation / std::sqrt(double(n)) * std::sqrt((1 + r) / (1 - r));
    const double halfWidth = RepeatStatistics::StudentT95(int(n) - 1) * standardError;
    judgement.parts = int(n);
    judgement.differencePercent = (std::exp(mean) - 1) * 100;
    judgement.marginPercent = (std::exp(halfWidth) - 1) * 100;
    if (std::abs(mean) <= halfWidth) {
        judgement.verdict = Verdict::WithinNoise;
    } else {
        judgement.verdict = mean > 0 ? Verdict::Faster : Verdict::Slower;
    }
    return judgement;
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
            } else {
                test.judgement = Judge(current.tests[currentAt].rates, other.tests[otherAt].rates);
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
    CsvWriter csv(Text("test,průměr tento běh (1/s),průměr zvolený běh (1/s),rozdíl průměru (%),1% low "
                       "tento běh (1/s),1% low zvolený běh (1/s),rozdíl 1% low (%),99. percentil tento běh "
                       "(ms),99. percentil zvolený běh (ms),rozdíl 99. percentilu (%),rozdíl z částí "
                       "(%),95% interval (± %),částí,význam"));
    const auto number = [](bool present, double value) {
        return present ? QByteArray::number(value, 'f', 3) : QByteArray();
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
            .text(VerdictText(test.judgement.verdict))
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

} // namespace RunComparison
