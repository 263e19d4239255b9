#pragma once

#include <QByteArray>
#include <chrono>
#include <cstdlib>

// How long the front end waits for the results service: 30 s. Only the tests
// set VYKON3D_TEST_SERVICE_DEADLINE_MS (milliseconds) to try a silent service
// without waiting that long; it is no setting for users.
inline std::chrono::milliseconds ServiceDeadline() {
    bool ok = false;
    const qint64 milliseconds = qEnvironmentVariableIntValue("VYKON3D_TEST_SERVICE_DEADLINE_MS", &ok);
    return std::chrono::milliseconds(ok && milliseconds > 0 ? milliseconds : 30000);
}
