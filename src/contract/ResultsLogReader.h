#pragma once

#include "contract/BlockSampling.h"
#include "contract/FileError.h"
#include "contract/LineReader.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Reads the results log "vysledek.log" as ResultsLogWriter writes it,
// streaming: the header lines when it is opened, then one test block at a
// time, then the text line that closes the data. A block is a frame count
// line N and N + 1 value lines; a line that is not a number where the next
// block could start closes the data. Only the block being read is held, so
// memory does not grow with the log. Judges nothing but the form: what the
// values are worth is the reader's caller's to say. Holds the file open for
// its lifetime and reads it once.
class ResultsLogReader {
public:
    // The largest log read. A rated run writes a few megabytes; endless
    // repetition adds blocks for as long as it runs. Reading a larger file
    // would hold the front end's window for seconds.
    static constexpr qint64 kMaxLogSize = 64 * 1024 * 1024;

    enum class Status {
        // Read so far without fault; after the last block, read to its end.
        Ok,
        // No normal file of that name: missing, or a directory, FIFO or
        // device, which could not be read to an end.
        NoLog,
        // The log ends before its data is complete, holds a frame count
        // beyond EngineContract::kMaxFrameCount or 16 bits, or a line longer
        // than LineReader::kMaxLineLength.
        Damaged,
        // The file is larger than kMaxLogSize.
        TooLarge,
        // The file exists but the system refused to read it: error() says why.
        ReadFailed,
    };

    struct Block {
        // The frame count line's number; a negative count has no value lines.
        int frameCount = 0;
        // The leading numbers of all frameCount + 1 value lines: the frame
        // rates, then the closing value, which a thinned block's line follows
        // with how it was thinned.
        QList<double> values;
    };

    // Opens the log and reads its header lines.
    explicit ResultsLogReader(const QString& fileName);
    // The same for a log's bytes, held by the reader.
    explicit ResultsLogReader(const QByteArray& bytes);

    Status status() const { return m_status; }
    // Empty unless the status is ReadFailed.
    const std::optional<FileError>& error() const { return m_error; }

    // The EngineContract::kLogHeaderLines texts, in EngineContract::LogLine
    // order; complete while the status is Ok.
    const QStringList& header() const { return m_header; }

    // Reads the next block. False once the data is closed (the status stays
    // Ok) or the log cannot be read on (status() says why); a block read
    // before a fault was delivered all the same.
    bool nextBlock();
    // The block nextBlock() last read; its list is reused for the next one.
    const Block& block() const { return m_block; }
    // How the block nextBlock() last read was thinned, as its last value
    // line says.
    BlockSampling sampling() const;

    // The line that closed the data, once nextBlock() has returned false
    // with the status Ok.
    const QString& closingLine() const { return m_closingLine; }

private:
    // Checks the size and reads the header lines.
    void readHeader();
    // The next line; empty when the log ends or fails there, which sets
    // the status.
    std::optional<QByteArrayView> nextLine();
    void fail(Status status);

    // Opened only for a normal file.
    std::optional<LineReader> m_reader;
    Status m_status = Status::Ok;
    std::optional<FileError> m_error;
    QStringList m_header;
    bool m_firstBlock = true;
    bool m_closed = false;
    Block m_block;
    // The last value line of the block last read, for its thinning.
    QByteArray m_lastValueLine;
    QString m_closingLine;
};
