#include "WorldSystemsUpdate.h"

#include "SystemsDatabase.h"
#include "WorldSystems.h"
#include "client/ServiceDeadline.h"
#include "common/MessageBox.h"
#include "contract/ServiceAddress.h"

#include <QPushButton>

WorldSystemsUpdate::WorldSystemsUpdate(QPushButton* button)
    : QObject(button)
    , m_button(button) {
    connect(button, &QPushButton::clicked, this, &WorldSystemsUpdate::start);
}

void WorldSystemsUpdate::start() {
    if (m_transfer) {
        return;
    }
    const ServiceAddress address = ServiceAddress::fromFile();
    if (!address.ok()) {
        MessageBox::show(address.problem(), MessageBox::Warning);
        return;
    }
    m_service = address.text();
    m_button->setEnabled(false);
    m_transfer = new ServiceTransfer(this);
    m_transfer->setDeadline(ServiceDeadline());
    // A larger answer is refused by the transfer itself, before it is whole.
    m_transfer->setAnswerLimit(SystemsDatabase::kMaxFileSize);
    connect(m_transfer, &ServiceTransfer::finished, this, &WorldSystemsUpdate::finish);
    m_transfer->get(address.resolve(SystemsDatabase::kFileName));
}

void WorldSystemsUpdate::finish(const ServiceTransfer::Outcome& outcome) {
    m_transfer->deleteLater();
    m_button->setEnabled(true);
    QString problem = outcome.problem;
    qsizetype added = 0;
    if (outcome.kind == ServiceTransfer::Outcome::Kind::Answered) {
        problem = outcome.status == 200
                      ? mergeAnswer(outcome.body, added)
                      : QStringLiteral("Služba výsledků na adrese %1 odpověděla stavem HTTP %2.")
                            .arg(m_service)
                            .arg(outcome.status);
    }
    if (!problem.isEmpty()) {
        MessageBox::show(QStringLiteral("Seznam počítačů se nepodařilo aktualizovat, databáze systémů "
                                        "zůstala beze změny.\n\n%1")
                             .arg(problem),
                         MessageBox::Warning);
        return;
    }
    emit merged();
    MessageBox::show(QStringLiteral("Seznam počítačů byl aktualizován ze služby výsledků %1.\nNových "
                                    "počítačů: %2.")
                         .arg(m_service)
                         .arg(added));
}

QString WorldSystemsUpdate::mergeAnswer(const QByteArray& body, qsizetype& added) {
    const WorldSystems::Decoded world = WorldSystems::Decode(body);
    if (!world.problem.isEmpty()) {
        return world.problem;
    }
    QList<SystemRecord> local;
    if (SystemsDatabase::SystemsDatabaseExists()) {
        FileResult<QList<SystemRecord>> read = SystemsDatabase::ReadSystemsDatabase();
        if (read.error()) {
            // Merging into a database that cannot be read would lose it.
            return read.error()->message();
        }
        local = std::move(read).value();
    }
    const WorldSystems::Merged merged = WorldSystems::Merge(local, world.records);
    if (!merged.problem.isEmpty()) {
        return merged.problem;
    }
    // Nothing new leaves the file as it is, byte for byte.
    if (merged.added == 0) {
        return {};
    }
    if (const std::optional<FileError> error = SystemsDatabase::WriteSystemsDatabase(merged.records)) {
        return error->message();
    }
    added = merged.added;
    return {};
}
