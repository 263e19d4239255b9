#pragma once

#include "contract/BlockSampling.h"
#include "contract/FileError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// The results log "vysledek.log": seven description lines, then per test a
// frame count line N and N + 1 value lines (the N instantaneous frame rates
// in frames per second, then 0, which closes the block without adding to
// the sum, and which in a thinned block goes on to say how it was thinned:
// BlockSampling), then a closing text line. Windows-1250, CR LF.
// ResultsLogReader reads it back. Lives for one rated run, collecting
// finished blocks until it is written.
class ResultsLogWriter {
public:
    explicit ResultsLogWriter(QStringList header);

    void addBlock(const QVector<double>& rates, const BlockSampling& sampling);
    int blockCount() const { return int(m_blocks.size()); }
    // The encoded log's score, as the front end evaluates the file
    // (RunEvaluation); 0 without frames.
    double score() const;
    QByteArray encode() const;

    // Writes the whole log through a temporary file that replaces path only
    // when complete; empty on success.
    std::optional<FileError> save(const QString& path) const;
    // Removes a log left by an earlier run; returns an error text or empty.
    // Nothing there is no error.
    static QString removeOld(const QString& path);
    // A number as the log writes it: plain decimal, "." as point.
    static QString formatRate(double rate);

private:
    QStringList m_header;
    struct Block {
        QVector<double> rates;
        BlockSampling sampling;
    };
    QVector<Block> m_blocks;
};
