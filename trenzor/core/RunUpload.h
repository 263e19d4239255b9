#pragma once

#include "contract/ServiceAddress.h"

#include <QByteArray>
#include <chrono>

// Sends a finished run to the results service and says how it went: the
// results log as the run wrote it, the picture validation and the run's
// summary go to api/v1/runs in one request with a deadline. The delete key
// goes to the upload receipt (UploadReceipt) before anything else is said;
// then the run's page and whether it is ranked are printed. Used once, after
// the run, with the application object alive and its loop not running.
namespace RunUpload {

// The upload's deadline: 60 s, or the milliseconds that
// TRENZOR_UPLOAD_DEADLINE_MS gives, which only the tests set.
std::chrono::milliseconds deadline();

// Empty validation or summary parts are left out. Returns the exit status:
// 0 when the service stored the run, 1 with one line on standard error when
// the log cannot be read or the upload fails.
int send(const ServiceAddress& service, const QByteArray& validation, const QByteArray& summary);

} // namespace RunUpload
