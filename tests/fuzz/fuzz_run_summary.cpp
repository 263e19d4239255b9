// The run summary's codec on arbitrary bytes: a summary is either refused
// with a reason, or every field it gave is written back as it was, and its
// encoding decodes to the same summary and encodes to the same bytes again,
// so that what the front end reads back is what the engine meant.
#include "FuzzSupport.h"
#include "contract/RunSummaryCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Every field of the written summary is the input's field of that name. A
// number is the double it denotes: the summary's numbers are doubles, so an
// integer literal past 2^53 is kept as the nearest double, as any JSON
// reader at double precision keeps it.
bool keepsEveryField(const QJsonValue& input, const QJsonValue& written) {
    if (written.isObject()) {
        const QJsonObject object = written.toObject();
        for (auto field = object.begin(); field != object.end(); ++field) {
            if (!keepsEveryField(input.toObject().value(field.key()), field.value())) {
                return false;
            }
        }
        return input.isObject();
    }
    if (written.isArray()) {
        const QJsonArray array = written.toArray();
        if (!input.isArray() || input.toArray().size() != array.size()) {
            return false;
        }
        for (qsizetype i = 0; i < array.size(); ++i) {
            if (!keepsEveryField(input.toArray().at(i), array.at(i))) {
                return false;
            }
        }
        return true;
    }
    if (written.isDouble()) {
        return input.isDouble() && input.toDouble() == written.toDouble();
    }
    return input == written;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const RunSummaryCodec::Decoded decoded =
        RunSummaryCodec::decode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!decoded.ok()) {
        FUZZ_CHECK(decoded.summary == RunSummaryCodec::Summary());
        return 0;
    }
    FUZZ_CHECK(decoded.summary.header.size() == RunSummaryCodec::kHeaderFieldCount);
    const QByteArray encoded = RunSummaryCodec::encode(decoded.summary);
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    FUZZ_CHECK(
        keepsEveryField(QJsonDocument::fromJson(input).object(), QJsonDocument::fromJson(encoded).object()));
    const RunSummaryCodec::Decoded again = RunSummaryCodec::decode(encoded);
    FUZZ_CHECK(again.ok());
    FUZZ_CHECK(again.summary == decoded.summary);
    FUZZ_CHECK(RunSummaryCodec::encode(again.summary) == encoded);
    return 0;
}
