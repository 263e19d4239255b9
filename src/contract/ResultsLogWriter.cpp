#include "ResultsLogWriter.h"

#include "contract/Cp1250Codec.h"
#include "contract/EngineContract.h"
#include "contract/RunEvaluation.h"
#include "contract/TextFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// Keeps a line a single line in the code page: line breaks become blanks,
// characters the code page lacks become "?".
QByteArray encodeLine(QString text) {
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    for (;;) {
        const Cp1250Codec::Encoded encoded = Cp1250Codec::encode(text);
        if (encoded.ok()) {
            return encoded.bytes + "\r\n";
        }
        const qsizetype at = encoded.unencodableAt;
        const qsizetype length = text[at].isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
        text.replace(at, length, QStringLiteral("?"));
    }
}

} // namespace

ResultsLogWriter::ResultsLogWriter(QStringList header)
    : m_header(std::move(header)) {
    while (m_header.size() < EngineContract::kLogHeaderLines) {
        m_header.append(QString());
    }
    m_header = m_header.mid(0, EngineContract::kLogHeaderLines);
}

void ResultsLogWriter::addBlock(const QVector<double>& rates, const BlockSampling& sampling) {
    m_blocks.append(Block{rates, sampling});
}

QString ResultsLogWriter::formatRate(double rate) {
    return QString::number(rate, 'f', 3);
}

double ResultsLogWriter::score() const {
    return RunEvaluation::OfBytes(encode()).score();
}

QByteArray ResultsLogWriter::encode() const {
    QByteArray out;
    for (const QString& line : m_header) {
        out += encodeLine(line);
    }
    for (const Block& block : m_blocks) {
        out += QByteArray::number(block.rates.size()) + "\r\n";
        for (double rate : block.rates) {
            out += formatRate(rate).toLatin1() + "\r\n";
        }
        out += encodeLine(block.sampling.ClosingLine());
    }
    out += encodeLine(QStringLiteral("Konec výsledků: %1 testů").arg(m_blocks.size()));
    return out;
}

std::optional<FileError> ResultsLogWriter::save(const QString& path) const {
    // Written beside the old place and renamed into it, so the front end
    // finds either no log or a whole one; a short write (a full disk) is an
    // error, never a cut log.
    return TextFile::Replace(path, encode());
}

QString ResultsLogWriter::removeOld(const QString& path) {
    // Removed by name whatever it is: a link goes, not what it points to. A
    // directory in its place cannot go and is reported, so that no run
    // starts while something the front end could take for results remains.
    if (::unlink(QFile::encodeName(path).constData()) != 0) {
        const int error = errno;
        if (error != ENOENT) {
            return QStringLiteral("Starý soubor %1 nelze smazat: %2")
                .arg(path, QString::fromLocal8Bit(std::strerror(error)));
        }
    }
    return {};
}
