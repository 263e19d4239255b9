#pragma once

#include <QString>
#include <QUrl>

// Where the results service is: the address both programs upload runs to and
// the front end downloads the world's systems database from. It is given on
// the engine's command line or kept in a file of its own in the working
// folder, "sluzba.url", one line such as "http://vysledky.example:8080".
// No address is built in. A plain value: either a usable http or https
// address, or the Czech reason there is none.
class ServiceAddress {
public:
    static const QString FileName;

    // Reads the address from FileName in the current directory. A missing
    // file is no error of the file: the reason then says how to name a
    // service.
    static ServiceAddress fromFile();
    // An address as the user wrote it (a command line, the file's first line).
    static ServiceAddress fromText(const QString& text);

    bool ok() const { return m_base.isValid(); }
    // The reason there is no usable address; empty when ok().
    const QString& problem() const { return m_problem; }
    // The address as given, without a trailing slash.
    QString text() const;
    // An address on the service, such as "api/v1/runs" or "systemy.dtb",
    // below the base address's own path (a service behind a proxy may live
    // under one).
    QUrl resolve(const QString& path) const;

private:
    ServiceAddress() = default;
    static ServiceAddress failure(const QString& problem);

    QUrl m_base;
    QString m_problem;
};
