#include "Odeslat_Form.h"

#include "ResultsDetails.h"
#include "ResultsLog.h"
#include "client/ServiceDeadline.h"
#include "common/ActivationTracker.h"
#include "common/MessageBox.h"
#include "common/Twips.h"
#include "contract/EngineContract.h"
#include "contract/InputFile.h"
#include "contract/NumberRules.h"
#include "contract/RunEvaluation.h"
#include "contract/UploadAnswer.h"
#include "contract/UploadReceipt.h"
#include "contract/UploadRequest.h"

#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

// Far above any log of seven tests; the service takes 8 MiB at most and says
// so itself.
constexpr qint64 kLogLimit = 16 << 20;

// The log's header lines as they are sent, then each test's figures: what
// the service learns about the computer is only what these lines say.
QString Preview(const RunEvaluation& run) {
    QStringList lines = run.header();
    lines << QString();
    for (const RunEvaluation::Test& test : run.tests()) {
        lines << QStringLiteral("%1: %2 snímků, průměrně %3 snímků/s")
                     .arg(test.name)
                     .arg(test.figures.frames)
                     .arg(NumberRules::FormatScore(test.figures.averageRate));
    }
    return lines.join(QLatin1Char('\n'));
}

// A plain text for the rich-text label, its lines kept.
QString Escaped(const QString& text) {
    return text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

} // namespace

Odeslat_Form::Odeslat_Form() {
    setObjectName(QStringLiteral("Odeslat_Form"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Odeslat výsledek"));
    resize(Twips::px(8880), Twips::px(6615));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(Twips::rect(120, 120, 8640, 3480));
    Text1->setReadOnly(true);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(120, 3720, 8640, 495));
    Label1->setWordWrap(true);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(Twips::rect(120, 4320, 6960, 375));
    ProgressBar1->setVisible(false);
    Command3 = new QPushButton(QStringLiteral("Zrušit"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setGeometry(Twips::rect(7200, 4260, 1455, 495));
    Command3->setVisible(false);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(Twips::rect(120, 4800, 8640, 1080));
    Label2->setTextFormat(Qt::RichText);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setTextInteractionFlags(Qt::TextBrowserInteraction);
    // The run's page opens in the desktop's browser.
    Label2->setOpenExternalLinks(true);
    Command1 = new QPushButton(QStringLiteral("Odeslat"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(5520, 6000, 1455, 495));
    Command2 = new QPushButton(QStringLiteral("Zavřít"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips::rect(7200, 6000, 1455, 495));

    connect(Command1, &QPushButton::clicked, this, &Odeslat_Form::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
    connect(Command3, &QPushButton::clicked, this, &Odeslat_Form::Command3_Click);

    ActivationTracker::instance().track(this);
}

Odeslat_Form::~Odeslat_Form() {
    // Whatever still runs is stopped as its object goes with the window; its
    // last signals must not reach a window half destroyed.
    for (QObject* running :
         {static_cast<QObject*>(m_validation.data()), static_cast<QObject*>(m_transfer.data())}) {
        if (running) {
            running->disconnect(this);
        }
    }
}

bool Odeslat_Form::ReadLog() {
    // A sending under way goes on with the log it read.
    if (m_validation || m_transfer) {
        return true;
    }
    const InputFile::Result log = InputFile::read(EngineContract::kResultsLogFileName, kLogLimit);
    if (!log.ok()) {
        MessageBox::show(log.error ? log.error->message()
                                   : QStringLiteral("Protokol %1 je na odeslání příliš velký.")
                                         .arg(EngineContract::kResultsLogFileName),
                         MessageBox::Warning);
        return false;
    }
    // What is shown is evaluated from the very bytes that are sent.
    m_log = log.bytes;
    // The engine's summary goes along when the one beside the log is this
    // log's (trenzor.exe --summary souhrn.json); it says nothing more of the
    // computer than the log's header.
    m_summary.clear();
    if (ResultsDetails::ReadDetails().runSummary) {
        const InputFile::Result summary = InputFile::read(ResultsDetails::kSummaryFileName, kLogLimit);
        if (summary.ok()) {
            m_summary = summary.bytes;
        }
    }
    QString preview = Preview(RunEvaluation::OfBytes(m_log));
    if (!m_summary.isEmpty()) {
        preview += QStringLiteral("\n\nPřiložen souhrn běhu %1 (tytéž údaje, rozptyl a plynulost testů).")
                       .arg(ResultsDetails::kSummaryFileName);
    }
    Text1->setPlainText(preview);
    m_service = ServiceAddress::fromFile();
    Label1->setText(m_service->ok()
                        ? QStringLiteral("Odešle se do služby výsledků %1.").arg(m_service->text())
                        : m_service->problem());
    Command1->setEnabled(m_service->ok());
    Label2->clear();
    return true;
}

void Odeslat_Form::Command1_Click() {
    if (!m_service || !m_service->ok() || m_validation || m_transfer) {
        return;
    }
    m_cancelled = false;
    Command1->setEnabled(false);
    Label2->clear();
    Label1->setText(QStringLiteral("Ověřuje se obraz (%1 --validate)…").arg(EngineContract::kEngineFileName));
    // A bar that moves without a figure: the validation says nothing of how
    // far it is.
    ProgressBar1->setRange(0, 0);
    ProgressBar1->setVisible(true);
    Command3->setVisible(true);
    m_validation = new QProcess(this);
    // The validation's JSON comes on standard output, its report on standard
    // error, which the reason of a failure quotes.
    connect(m_validation, &QProcess::finished, this, &Odeslat_Form::Validated);
    connect(m_validation, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            Validated(-1, QProcess::CrashExit);
        }
    });
    m_validation->start(QDir::current().absoluteFilePath(EngineContract::kEngineFileName),
                        {QStringLiteral("--validate"), QStringLiteral("--summary"), QStringLiteral("-")});
}

void Odeslat_Form::Validated(int exitCode, QProcess::ExitStatus status) {
    QProcess* validation = m_validation;
    m_validation = nullptr;
    validation->deleteLater();
    if (m_cancelled) {
        Done(Escaped(QStringLiteral("Odeslání bylo zrušeno, nic nebylo odesláno.")));
        return;
    }
    const QByteArray json = validation->readAllStandardOutput();
    if (validation->error() == QProcess::FailedToStart) {
        Done(Escaped(QStringLiteral("Obraz nelze ověřit, nic nebylo odesláno: %1 nelze spustit (%2).")
                         .arg(EngineContract::kEngineFileName, validation->errorString())));
        return;
    }
    if (status != QProcess::NormalExit || exitCode != 0 || json.isEmpty()) {
        const QString report = QString::fromLocal8Bit(validation->readAllStandardError()).trimmed();
        const QString end = status == QProcess::NormalExit
                                ? QStringLiteral("skončilo se stavem %1").arg(exitCode)
                                : QStringLiteral("bylo přerušeno");
        Done(Escaped(QStringLiteral("Obraz se neověřil (ověření %1), nic nebylo odesláno.\n%2")
                         .arg(end, report.right(600))));
        return;
    }
    Label1->setText(QStringLiteral("Odesílá se do služby výsledků %1…").arg(m_service->text()));
    const UploadRequest request(m_log, json, m_summary);
    m_transfer = new ServiceTransfer(this);
    m_transfer->setDeadline(ServiceDeadline());
    connect(m_transfer, &ServiceTransfer::progress, this, [this](qint64 done, qint64 total) {
        if (total > 0) {
            ProgressBar1->setRange(0, 1000);
            ProgressBar1->setValue(int(done * 1000 / total));
        }
    });
    connect(m_transfer, &ServiceTransfer::finished, this, &Odeslat_Form::Sent);
    m_transfer->post(m_service->resolve(QStringLiteral("api/v1/runs")), request.body(),
                     request.contentType());
}

void Odeslat_Form::Sent(const ServiceTransfer::Outcome& outcome) {
    m_transfer->deleteLater();
    m_transfer = nullptr;
    if (outcome.kind == ServiceTransfer::Outcome::Kind::Cancelled) {
        Done(Escaped(QStringLiteral("Odeslání bylo zrušeno.")));
        return;
    }
    if (outcome.kind == ServiceTransfer::Outcome::Kind::Failed) {
        Done(Escaped(QStringLiteral("Výsledek se nepodařilo odeslat: %1").arg(outcome.problem)));
        return;
    }
    const UploadAnswer answer = UploadAnswer::decode(outcome.status, outcome.body, *m_service);
    if (!answer.stored()) {
        Done(Escaped(QStringLiteral("Výsledek se nepodařilo odeslat: %1").arg(answer.problem())));
        return;
    }
    // The key first: nothing gives it again.
    const std::optional<FileError> notKept =
        answer.duplicate() ? std::nullopt : UploadReceipt::append(answer, QDateTime::currentDateTime());
    const QString page = answer.page().toString();
    QStringList lines;
    lines << (answer.duplicate()
                  ? QStringLiteral("Tento protokol už služba výsledků má, běh <a href=\"%1\">%1</a>; klíč ke "
                                   "smazání dostalo jeho první odeslání.")
                  : QStringLiteral("Výsledek je odeslán: <a href=\"%1\">%1</a>"))
                 .arg(Escaped(page));
    lines << (answer.rankable() ? QStringLiteral("Běh je v žebříčku.")
                                : QStringLiteral("Běh není v žebříčku: %1")
                                      .arg(Escaped(answer.reasons().join(QLatin1Char(' ')))));
    if (notKept) {
        lines << QStringLiteral("%1<br>Klíč ke smazání běhu si opište, jinde není: %2")
                     .arg(Escaped(notKept->oneLine()), Escaped(answer.deleteToken()));
    } else if (!answer.duplicate()) {
        lines << QStringLiteral("Klíč ke smazání běhu je uložen v souboru %1.").arg(UploadReceipt::FileName);
    }
    Done(lines.join(QStringLiteral("<br>")));
    Command1->setEnabled(false);
}

void Odeslat_Form::Command3_Click() {
    m_cancelled = true;
    if (m_validation) {
        m_validation->kill();
    }
    if (m_transfer) {
        m_transfer->cancel();
    }
}

void Odeslat_Form::Done(const QString& richText) {
    ProgressBar1->setVisible(false);
    Command3->setVisible(false);
    Label1->setText(QStringLiteral("Služba výsledků %1.").arg(m_service->text()));
    Label2->setText(richText);
    Command1->setEnabled(true);
}
