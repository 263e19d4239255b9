#pragma once

#include <QList>

// The notes of a test hook: while it records, the calls a class stands for
// (messages shown, programs started) are noted instead of carried out. Off and
// empty outside tests; each hooked class keeps one for the program's life.
template <typename Entry>
class Recording {
public:
    bool active() const { return m_active; }
    // On, with no notes yet.
    void start() {
        m_active = true;
        m_entries.clear();
    }
    // Off, and the notes gone.
    void stop() {
        m_active = false;
        m_entries.clear();
    }
    void note(const Entry& entry) { m_entries.append(entry); }
    void clear() { m_entries.clear(); }
    const QList<Entry>& entries() const { return m_entries; }

private:
    bool m_active = false;
    QList<Entry> m_entries;
};
