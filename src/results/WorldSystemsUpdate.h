#pragma once

#include "client/ServiceTransfer.h"

#include <QObject>
#include <QPointer>

class QPushButton;

// "Aktualizovat seznam počítačů" of the results and the comparison window:
// downloads the results service's "systemy.dtb" (the service named in
// ServiceAddress's file) and merges it into the local systems database
// (WorldSystems), replacing the file only when everything succeeded. A
// message box says what came in, or why nothing changed. Owned by the window
// whose button it serves, for the window's life; the button is disabled while
// a download runs.
class WorldSystemsUpdate : public QObject {
    Q_OBJECT

public:
    explicit WorldSystemsUpdate(QPushButton* button);

    void start();

signals:
    // The local database was replaced: the window reads it anew.
    void merged();

private:
    void finish(const ServiceTransfer::Outcome& outcome);
    // The reason nothing changed, or empty after a successful merge.
    QString mergeAnswer(const QByteArray& body, qsizetype& added);

    QPushButton* m_button;
    QPointer<ServiceTransfer> m_transfer;
    QString m_service;
};
