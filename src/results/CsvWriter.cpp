#include "CsvWriter.h"

CsvWriter::CsvWriter(const QString& titles)
    : m_bytes(titles.toUtf8() + "\r\n") {}

CsvWriter& CsvWriter::add(const QByteArray& field) {
    if (m_rowStarted) {
        m_bytes += ',';
    }
    m_bytes += field;
    m_rowStarted = true;
    return *this;
}

void CsvWriter::endRow() {
    m_bytes += "\r\n";
    m_rowStarted = false;
}

QByteArray CsvWriter::Field(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}
