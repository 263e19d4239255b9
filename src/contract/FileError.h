#pragma once

#include <QString>

// A file that could not be opened, read, written or started, with the
// system's reason. The message names both, so the user knows what to fix:
// the front end shows message(), the test engine prints oneLine().
//
// The programs' file operations report failure in one way: an
// std::optional<FileError> that is empty on success. An operation that yields
// nothing else returns it; one that yields data returns a FileResult, whose
// error() is that optional, as are LineReader::error(),
// ResultsLogReader::error() and the results log's ReadResult::error.
struct FileError {
    enum class Operation {
        // Opening a file to read it, where that is told apart from reading.
        Open,
        Read,
        Write,
        // Starting a program file: the front end starts only the test engine.
        Start,
    };
    Operation operation = Operation::Write;
    QString fileName;
    QString reason;

    // The failure with the system's reason for the error number.
    static FileError fromSystem(Operation operation, const QString& fileName, int error);

    // For a message box: what failed, a blank line, the reason.
    QString message() const;
    // For a line on standard error, as the test engine prints it:
    // "Soubor vysledek.log nelze zapsat: <reason>".
    QString oneLine() const;
};
