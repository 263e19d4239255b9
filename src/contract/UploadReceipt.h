#pragma once

#include "contract/FileError.h"
#include "contract/UploadAnswer.h"

#include <QDateTime>
#include <QString>
#include <optional>

// The receipt of the uploads from this working folder: the file "odeslane.txt",
// readable by its owner only (mode 0600 when created), one line per stored
// upload with the date, the run's page, its address on the API and the key
// that deletes it. The service keeps no way to give the key again, so it is
// written here before anything else is said. Lines are only ever appended;
// a new file starts with comment lines that say how to delete a run.
namespace UploadReceipt {

extern const QString FileName;

// Appends the line for this stored upload, made at this time. A duplicate
// gets "-" for a key: the key went to the log's first upload.
std::optional<FileError> append(const UploadAnswer& answer, const QDateTime& when);

} // namespace UploadReceipt
