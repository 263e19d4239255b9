// The settings state file as the settings dialog reads it: the lines of the
// file, the first fifteen judged for the dialog's lists. The line reader
// must split exactly by the line rule; every value read is one the dialog's
// controls can show; saving what was read and reading it again gives the
// same settings; and each judged line's leading number is the same whether
// read from its bytes or from its decoded text.
#include "FuzzSupport.h"
#include "contract/Cp1250Codec.h"
#include "contract/LineReader.h"
#include "contract/NumberRules.h"
#include "contract/TextFile.h"
#include "settings/SettingsState.h"

#include <algorithm>
#include <cmath>

namespace {

// The entries of the dialog's three lists: window sizes, colour bits,
// depth bits.
constexpr std::array<int, SettingsState::kListCount> kListSizes = {10, 3, 2};

bool isCheckBoxValue(qint16 value) {
    return value >= 0 && value <= 2;
}

void sameNumberBothWays(const QByteArray& line) {
    const double fromBytes = NumberRules::LeadingNumber(line);
    const double fromText = NumberRules::LeadingNumber(Cp1250Codec::decode(line));
    FUZZ_CHECK(!std::isnan(fromBytes));
    FUZZ_CHECK(fromBytes == fromText);
    FUZZ_CHECK(NumberRules::IsNumberLine(line) == NumberRules::IsNumberLine(Cp1250Codec::decode(line)));
}

// The settings the dialog reads from the file; none when a line is too long.
std::optional<SettingsState> readState(const QString& name) {
    LineReader reader(name);
    const std::optional<SettingsState> state = SettingsState::read(reader, kListSizes);
    FUZZ_CHECK(!reader.error());
    return state;
}

// The settings read from a file of these bytes, which has no line too long.
SettingsState readBytes(const QByteArray& bytes) {
    const QString name = Fuzz::privateFolder() + QStringLiteral("/nastaveni2.bnc");
    Fuzz::writeInput(name, reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    const std::optional<SettingsState> state = readState(name);
    FUZZ_CHECK(state.has_value());
    return *state;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name = Fuzz::privateFolder() + QStringLiteral("/nastaveni.bnc");
    Fuzz::writeInput(name, data, size);
    // A line too long among the first fifteen makes the whole file unusable.
    const QList<QByteArray> reference =
        Fuzz::referenceLines(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    const auto tooLong = [](const QByteArray& line) { return line.size() > LineReader::kMaxLineLength; };
    const QList<QByteArray> judged =
        reference.first(qMin<qsizetype>(reference.size(), SettingsState::kLineCount));
    const std::optional<SettingsState> state = readState(name);
    FUZZ_CHECK(state.has_value() == std::none_of(judged.begin(), judged.end(), tooLong));
    if (!state) {
        return 0;
    }
    // The reader splits the lines by the line rule, and only the first
    // fifteen count: those lines alone, each ended by CR LF, give the same.
    FUZZ_CHECK(*state == readBytes(TextFile::JoinLines(judged)));
    for (const QByteArray& line : judged) {
        sameNumberBothWays(line);
    }

    for (const qint16 test : state->tests) {
        FUZZ_CHECK(isCheckBoxValue(test));
    }
    for (const qint16 box : {state->noIntro, state->endless, state->fullScreen, state->stereo}) {
        FUZZ_CHECK(isCheckBoxValue(box));
    }
    for (int i = 0; i < SettingsState::kListCount; ++i) {
        FUZZ_CHECK(state->lists[i] >= 0 && state->lists[i] < kListSizes[i]);
    }

    const QByteArray saved = state->toBytes();
    const QList<QByteArray> savedLines = Fuzz::referenceLines(saved);
    FUZZ_CHECK(savedLines.size() == SettingsState::kLineCount);
    FUZZ_CHECK(saved == TextFile::JoinLines(savedLines));
    FUZZ_CHECK(readBytes(saved) == *state);
    return 0;
}
