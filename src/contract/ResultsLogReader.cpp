#include "contract/ResultsLogReader.h"

#include "contract/Cp1250Codec.h"
#include "contract/EngineContract.h"
#include "contract/NumberRules.h"
#include "contract/TextFile.h"

#include <algorithm>

namespace {

// A frame count line: its leading number rounded halves-to-even. Empty when
// the count cannot be a block's: beyond 16 bits or above the largest count.
std::optional<int> FrameCount(QByteArrayView line) {
    const std::optional<qint16> count =
        NumberRules::RoundToInt16(NumberRules::LeadingNumber(line.begin(), line.end()));
    if (!count || *count > EngineContract::kMaxFrameCount) {
        return std::nullopt;
    }
    return *count;
}

QString Text(QByteArrayView line) {
    return Cp1250Codec::decode(line.data(), line.size());
}

} // namespace

ResultsLogReader::ResultsLogReader(const QString& fileName) {
    // Anything but a normal file could block the read or never end.
    if (!TextFile::NormalFileExists(fileName)) {
        fail(Status::NoLog);
        return;
    }
    m_reader.emplace(fileName);
    if (m_reader->error()) {
        fail(Status::ReadFailed);
        return;
    }
    readHeader();
}

ResultsLogReader::ResultsLogReader(const QByteArray& bytes)
    : m_reader(std::in_place, LineReader::InMemory{bytes}) {
    readHeader();
}

void ResultsLogReader::readHeader() {
    if (m_reader->fileSize() > kMaxLogSize) {
        fail(Status::TooLarge);
        return;
    }
    // The engine writes the header lines before any block, so a log ending
    // among them was cut off while it was being written.
    for (int i = 0; i < EngineContract::kLogHeaderLines; ++i) {
        const std::optional<QByteArrayView> line = nextLine();
        if (!line) {
            return;
        }
        m_header.append(Text(*line));
    }
}

void ResultsLogReader::fail(Status status) {
    m_status = status;
    if (status == Status::ReadFailed) {
        m_error = m_reader->error();
    }
}

std::optional<QByteArrayView> ResultsLogReader::nextLine() {
    if (m_reader->atEnd()) {
        fail(m_reader->error() ? Status::ReadFailed : Status::Damaged);
        return std::nullopt;
    }
    const QByteArrayView line = m_reader->readLine();
    if (m_reader->lineTooLong()) {
        fail(Status::Damaged);
        return std::nullopt;
    }
    return line;
}

bool ResultsLogReader::nextBlock() {
    if (m_status != Status::Ok || m_closed) {
        return false;
    }
    // Every block is followed by a line that either starts the next one or
    // closes the data; a log without it was cut off. The line after the
    // header always starts a block.
    const std::optional<QByteArrayView> countLine = nextLine();
    if (!countLine) {
        return false;
    }
    if (!m_firstBlock && !NumberRules::IsNumberLine(countLine->begin(), countLine->end())) {
        m_closingLine = Text(*countLine);
        m_closed = true;
        return false;
    }
    m_firstBlock = false;
    const std::optional<int> count = FrameCount(*countLine);
    if (!count) {
        fail(Status::Damaged);
        return false;
    }
    m_block.frameCount = *count;
    // Sized keeping their memory, which the next block reuses: a block is
    // read once per line, and the score's read is as fast as the file allows.
    m_block.values.resize(std::max(*count + 1, 0));
    m_lastValueLine.resize(0);
    double* value = m_block.values.data();
    for (int i = 0; i <= *count; ++i) {
        const std::optional<QByteArrayView> line = nextLine();
        if (!line) {
            m_block.values.resize(i);
            return false;
        }
        value[i] = NumberRules::LeadingNumber(line->begin(), line->end());
        if (i == *count) {
            m_lastValueLine.append(*line);
        }
    }
    return true;
}

BlockSampling ResultsLogReader::sampling() const {
    // Decoded only when asked: the score needs no thinning, and a large log
    // of many short blocks is read faster without.
    return BlockSampling::FromClosingLine(Text(m_lastValueLine), m_block.frameCount);
}
