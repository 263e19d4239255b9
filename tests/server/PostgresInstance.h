#pragma once

#include <QString>
#include <QTemporaryDir>

// A PostgreSQL 15 server of the test's own: initdb into a temporary folder,
// started with pg_ctl on a free loopback port and a Unix socket in that
// folder, with one database. PostgreSQL refuses to run as root, so under
// root (as in CI) its programs run as the system's existing user "nobody"
// through runuser, and the folder is handed to that user; no user is created
// and nothing is left behind. Stopped and removed with the object.
class PostgresInstance {
public:
    PostgresInstance();
    ~PostgresInstance();
    PostgresInstance(const PostgresInstance&) = delete;
    PostgresInstance& operator=(const PostgresInstance&) = delete;

    // Empty when the server runs, else what failed.
    QString start();
    // postgresql://USER@127.0.0.1:PORT/NAME
    QString url() const;

private:
    // Runs one of PostgreSQL's programs; empty or its output on failure.
    QString run(const QString& program, const QStringList& arguments);

    QTemporaryDir m_folder;
    int m_port = 0;
    bool m_started = false;
};
