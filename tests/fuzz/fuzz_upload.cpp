// The results service's decoding of an upload's parts on arbitrary bytes: the
// input is split at its first two 0xFF bytes into the log, the summary and
// the validation. An upload is either refused with a code and a reason, or
// taken with a finite score, its header's seven lines, a key and a reason for
// every run it will not rank; a summary it takes agrees with the log.
#include "FuzzSupport.h"
#include "UploadCheck.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> pieces = input.split('\xff');
    QMap<QByteArray, QByteArray> parts{{"log", pieces.value(0)}};
    if (pieces.size() > 1) {
        parts.insert("summary", pieces[1]);
    }
    if (pieces.size() > 2) {
        parts.insert("validation", pieces[2]);
    }
    const UploadCheck::Checked checked = UploadCheck::Check(parts);
    if (!checked.run) {
        FUZZ_CHECK(!checked.refusal.code.isEmpty() && !checked.refusal.message.isEmpty());
        return 0;
    }
    const UploadCheck::CheckedRun& run = *checked.run;
    FUZZ_CHECK(std::isfinite(run.evaluation.score()));
    FUZZ_CHECK(run.evaluation.header().size() == 7);
    FUZZ_CHECK(run.key.id.size() == 16);
    FUZZ_CHECK(run.logHash.size() == 64);
    // A run is never ranked without its validation.
    FUZZ_CHECK(pieces.size() > 2 || !run.rankable());
    return 0;
}
