#include "ResultsCsv.h"

#include "CsvWriter.h"
#include "contract/TextFile.h"

#include <QFileInfo>
#include <cmath>

namespace {

// Shortest text that reads back as the same value; empty for a value that is
// no number.
QByteArray Exact(double value) {
    return std::isfinite(value) ? QByteArray::number(value, 'g', QLocale::FloatingPointShortest)
                                : QByteArray();
}

// A computed figure to 12 significant digits, so that sums of frame times
// read 0.23 rather than 0.22999999999999998.
QByteArray Figure(double value) {
    return QByteArray::number(value, 'g', 12);
}

// Milliseconds to the microsecond.
QByteArray Ms(double value) {
    return QByteArray::number(value, 'f', 3);
}

} // namespace

namespace ResultsCsv {

QByteArray FramesCsv(const ResultsDetails::Details& details) {
    CsvWriter csv(QStringLiteral("test,název,snímek,čas od začátku testu (ms),doba snímku (ms),snímková "
                                 "frekvence (1/s)"));
    for (const ResultsDetails::TestDetails& test : details.tests) {
        const QByteArray index = QByteArray::number(test.index);
        const QByteArray name = CsvWriter::Field(test.name);
        // A thinned block's values are its frames 1, 1 + stride, ...; their
        // times spread over the test's whole time.
        const FrameStatistics::BlockFigures& figures = test.figures;
        double seconds = 0;
        for (qsizetype value = 0; value < test.rates.size(); ++value) {
            const double rate = test.rates[value];
            csv.add(index).add(name).add(QByteArray::number(value * figures.stride + 1));
            if (FrameStatistics::IsUsable(rate)) {
                seconds += 1.0 / rate;
                csv.add(Ms(seconds * figures.timeScale * 1000.0)).add(Ms(1000.0 / rate));
            } else {
                csv.add({}).add({});
            }
            csv.add(Exact(rate)).endRow();
        }
    }
    return csv.bytes();
}

QByteArray TestsCsv(const ResultsDetails::Details& details) {
    CsvWriter csv(QStringLiteral(
        "test,název,snímky,vynecháno,doba (s),průměr (1/s),1% low (1/s),99. percentil "
        "doby snímku (ms),nejpomalejší snímek (1/s),nejrychlejší snímek (1/s),vzorek "
        "(každý n. snímek),záseky (snímky),záseky (% času),mez záseku (ms),nejpomalejší 1 % času "
        "(1/s),kolísání 99. percentil (ms)"));
    for (const ResultsDetails::TestDetails& test : details.tests) {
        const FrameStatistics::BlockFigures& f = test.figures;
        csv.add(QByteArray::number(test.index))
            .text(test.name)
            .add(QByteArray::number(f.frames))
            .add(QByteArray::number(f.leftOut));
        // A test without a usable frame has no figures, not zeros.
        for (const double figure :
             {f.seconds, f.averageRate, f.low1PercentRate, f.percentile99Ms, f.slowestRate, f.fastestRate}) {
            csv.add(f.frames > 0 ? Figure(figure) : QByteArray());
        }
        csv.add(QByteArray::number(f.stride));
        const Smoothness::Figures smoothness = f.smoothness.value_or(Smoothness::Figures{});
        csv.add(f.smoothness ? QByteArray::number(smoothness.stutterFrames) : QByteArray());
        for (const double figure : {smoothness.stutterPercent, smoothness.stutterLimitMs,
                                    smoothness.slowestTimeRate, smoothness.jitter99Ms}) {
            csv.add(f.smoothness ? Figure(figure) : QByteArray());
        }
        csv.endRow();
    }
    return csv.bytes();
}

QString TestsFileName(const QString& framesFileName) {
    const QFileInfo info(framesFileName);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString base = framesFileName.left(framesFileName.size() - suffix.size());
    return base + QStringLiteral("-testy") + (suffix.isEmpty() ? QStringLiteral(".csv") : suffix);
}

std::optional<FileError> Write(const QString& framesFileName, const ResultsDetails::Details& details) {
    if (std::optional<FileError> error = TextFile::Replace(framesFileName, FramesCsv(details))) {
        return error;
    }
    return TextFile::Replace(TestsFileName(framesFileName), TestsCsv(details));
}

} // namespace ResultsCsv
