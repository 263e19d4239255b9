#include "RunUpload.h"

#include "ConsoleReport.h"
#include "client/ServiceTransfer.h"
#include "contract/EngineContract.h"
#include "contract/InputFile.h"
#include "contract/UploadAnswer.h"
#include "contract/UploadReceipt.h"
#include "contract/UploadRequest.h"

#include <QDateTime>
#include <QEventLoop>

namespace {

// Far above any log of seven tests; the service itself takes 8 MiB at most
// and says so.
constexpr qint64 kLogLimit = 16 << 20;

void sayError(const QString& line) {
    ConsoleReport::print(stderr, QStringLiteral("trenzor: %1").arg(line));
}

void say(const QString& line) {
    ConsoleReport::print(stdout, QStringLiteral("trenzor: %1").arg(line));
}

QString deleteCommand(const QString& token, const UploadAnswer& answer) {
    return QStringLiteral("curl -X DELETE -H \"Authorization: Bearer %1\" %2")
        .arg(token, answer.api().toString());
}

// The service stored the run. Its key is kept before anything is said,
// since nothing gives it again.
void report(const UploadAnswer& answer) {
    const std::optional<FileError> notKept =
        answer.duplicate() ? std::nullopt : UploadReceipt::append(answer, QDateTime::currentDateTime());
    say(answer.duplicate() ? QStringLiteral("tento protokol už služba výsledků má, běh %1; klíč ke smazání "
                                            "dostalo jeho první nahrání.")
                                 .arg(answer.page().toString())
                           : QStringLiteral("běh je nahrán: %1").arg(answer.page().toString()));
    say(answer.rankable()
            ? QStringLiteral("běh je v žebříčku.")
            : QStringLiteral("běh není v žebříčku: %1").arg(answer.reasons().join(QStringLiteral(" "))));
    if (answer.duplicate())
        return;
    if (notKept) {
        sayError(notKept->oneLine());
        say(QStringLiteral("klíč ke smazání běhu si opište, jinde není: %1 (smazání: %2)")
                .arg(answer.deleteToken(), deleteCommand(answer.deleteToken(), answer)));
        return;
    }
    say(QStringLiteral("klíč ke smazání běhu je v souboru %1 (smazání: %2)")
            .arg(UploadReceipt::FileName, deleteCommand(QStringLiteral("KLÍČ"), answer)));
}

} // namespace

std::chrono::milliseconds RunUpload::deadline() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("TRENZOR_UPLOAD_DEADLINE_MS", &ok);
    return std::chrono::milliseconds(ok && ms > 0 ? ms : 60000);
}

int RunUpload::send(const ServiceAddress& service, const QByteArray& validation, const QByteArray& summary) {
    const InputFile::Result log = InputFile::read(EngineContract::kResultsLogFileName, kLogLimit);
    if (!log.ok()) {
        sayError(log.error ? log.error->oneLine()
                           : QStringLiteral("protokol %1 je na nahrání příliš velký.")
                                 .arg(EngineContract::kResultsLogFileName));
        return 1;
    }
    const UploadRequest request(log.bytes, validation, summary);
    const QUrl runs = service.resolve(QStringLiteral("api/v1/runs"));
    say(QStringLiteral("nahrávám běh do služby výsledků %1").arg(runs.toString()));
    ServiceTransfer transfer;
    transfer.setDeadline(deadline());
    QEventLoop loop;
    ServiceTransfer::Outcome outcome;
    QObject::connect(&transfer, &ServiceTransfer::finished, &loop,
                     [&outcome, &loop](const ServiceTransfer::Outcome& finished) {
                         outcome = finished;
                         loop.quit();
                     });
    transfer.post(runs, request.body(), request.contentType());
    loop.exec();
    if (outcome.kind != ServiceTransfer::Outcome::Kind::Answered) {
        sayError(QStringLiteral("běh se nepodařilo nahrát: %1").arg(outcome.problem));
        return 1;
    }
    const UploadAnswer answer = UploadAnswer::decode(outcome.status, outcome.body, service);
    if (!answer.stored()) {
        sayError(QStringLiteral("běh se nepodařilo nahrát: %1").arg(answer.problem()));
        return 1;
    }
    report(answer);
    return 0;
}
