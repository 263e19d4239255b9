// Replaces the file named first with the bytes of the second argument
// through the safe replace, and ends with 0, or 1 and the message.
#include "contract/TextFile.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: safereplace_writer FILE CONTENT\n");
        return 2;
    }
    if (const std::optional<FileError> error =
            TextFile::Replace(QFile::decodeName(argv[1]), QByteArray(argv[2]))) {
        std::fprintf(stderr, "%s\n", error->message().toUtf8().constData());
        return 1;
    }
    return 0;
}
