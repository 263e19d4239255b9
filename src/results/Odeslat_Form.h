#pragma once

#include "client/ServiceTransfer.h"
#include "common/SharedInstance.h"
#include "contract/ServiceAddress.h"

#include <QByteArray>
#include <QPointer>
#include <QProcess>
#include <QWidget>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// "Odeslat výsledek": shows what an upload of the results log sends to the
// results service (the log's header lines, which describe the computer, and
// each test's frames and average rate) and where, and sends it only when the
// user presses "Odeslat": first the engine's picture validation
// ("trenzor.exe --validate"), then the log and the validation over a
// ServiceTransfer. Neither blocks the window; "Zrušit" stops either. The
// stored run's page, its ranking and where its delete key was kept, or why
// nothing was stored, are shown in the window. Opened modeless by the
// results window's "Odeslat výsledek…"; closing it with its title-bar button
// or "Zavřít" destroys it and stops what runs.
class Odeslat_Form : public QWidget, public SharedInstance<Odeslat_Form> {
    Q_OBJECT
    friend class SharedInstance<Odeslat_Form>;

public:
    ~Odeslat_Form() override;

    // Reads the results log and the service's address anew and shows them;
    // false, after its message, when there is no log to send.
    bool ReadLog();
    void Command1_Click();
    void Command3_Click();

    // What will be sent, read only.
    QPlainTextEdit* Text1 = nullptr;
    // The service's address, or why there is none.
    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    // How the sending went: the run's page as a link, its ranking, the key.
    QLabel* Label2 = nullptr;
    // "Odeslat", "Zavřít", "Zrušit".
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;

private:
    Odeslat_Form();

    void Validated(int exitCode, QProcess::ExitStatus status);
    void Sent(const ServiceTransfer::Outcome& outcome);
    // Ends a sending: the reason (or the stored run) shown, the buttons back.
    void Done(const QString& richText);

    QByteArray m_log;
    // The engine's summary of this log, or empty.
    QByteArray m_summary;
    // Read with the log; none before.
    std::optional<ServiceAddress> m_service;
    QPointer<QProcess> m_validation;
    QPointer<ServiceTransfer> m_transfer;
    bool m_cancelled = false;
};
