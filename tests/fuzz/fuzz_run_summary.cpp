// The run summary's codec on arbitrary bytes: a summary is either refused
// with a reason, or its encoding decodes to the same summary and encodes to
// the same bytes again, so that what the front end reads back is what the
// engine meant.
#include "FuzzSupport.h"
#include "contract/RunSummaryCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const RunSummaryCodec::Decoded decoded =
        RunSummaryCodec::decode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!decoded.ok()) {
        FUZZ_CHECK(decoded.summary == RunSummaryCodec::Summary());
        return 0;
    }
    FUZZ_CHECK(decoded.summary.header.size() == RunSummaryCodec::kHeaderFieldCount);
    const QByteArray encoded = RunSummaryCodec::encode(decoded.summary);
    const RunSummaryCodec::Decoded again = RunSummaryCodec::decode(encoded);
    FUZZ_CHECK(again.ok());
    FUZZ_CHECK(again.summary == decoded.summary);
    FUZZ_CHECK(RunSummaryCodec::encode(again.summary) == encoded);
    return 0;
}
