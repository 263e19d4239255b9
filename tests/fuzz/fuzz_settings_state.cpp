// The settings state file as the settings dialog reads it: the lines of the
// file, the first fifteen judged for the dialog's lists. The line reader
// must split exactly by the line rule; every value read is one the dialog's
// controls can show; saving what was read and reading it again gives the
// same settings; and each line's leading number is the same whether read
// from its bytes or from its decoded text.
#include "FuzzSupport.h"
#include "contract/Cp1250Codec.h"
#include "contract/NumberRules.h"
#include "contract/TextFile.h"
#include "settings/SettingsState.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name = Fuzz::privateFolder() + QStringLiteral("/nastaveni.bnc");
    Fuzz::writeInput(name, data, size);
    // The dialog reads its lines through the reader, where a line too long
    // gives its control's standard setting. A line that holds no value any
    // control can show does the same, and a mode line of 1 is the standard
    // rated mode: with those in place of the long lines, the plain reading
    // must give the same settings.
    const QList<QByteArray> reference =
        Fuzz::referenceLines(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    QList<QByteArray> standIns = reference;
    for (qsizetype i = 0; i < standIns.size(); ++i) {
        if (standIns.at(i).size() > LineReader::kMaxLineLength) {
            standIns[i] = i == SettingsState::kLineCount - 1 ? "1" : "99999";
        }
    }
    {
        LineReader reader(name);
        FUZZ_CHECK(SettingsState::read(reader, kListSizes) == SettingsState::fromLines(standIns, kListSizes));
        FUZZ_CHECK(!reader.error());
    }

    const FileResult<QList<QByteArray>> lines = TextFile::ReadLines(name);
    if (standIns != reference) {
        FUZZ_CHECK(!lines.ok());
        return 0;
    }
    FUZZ_CHECK(lines.ok());
    FUZZ_CHECK(*lines == reference);
    for (const QByteArray& line : *lines) {
        sameNumberBothWays(line);
    }

    const SettingsState state = SettingsState::fromLines(
        lines->first(qMin<qsizetype>(lines->size(), SettingsState::kLineCount)), kListSizes);
    for (const qint16 test : state.tests) {
        FUZZ_CHECK(isCheckBoxValue(test));
    }
    for (const qint16 box : {state.noIntro, state.endless, state.fullScreen, state.stereo}) {
        FUZZ_CHECK(isCheckBoxValue(box));
    }
    for (int i = 0; i < SettingsState::kListCount; ++i) {
        FUZZ_CHECK(state.lists[i] >= 0 && state.lists[i] < kListSizes[i]);
    }
    // Only the first fifteen lines count: what follows them changes nothing.
    FUZZ_CHECK(state == SettingsState::fromLines(*lines, kListSizes));

    const QByteArray saved = state.toBytes();
    const QList<QByteArray> savedLines = Fuzz::referenceLines(saved);
    FUZZ_CHECK(savedLines.size() == SettingsState::kLineCount);
    FUZZ_CHECK(saved == TextFile::JoinLines(savedLines));
    FUZZ_CHECK(SettingsState::fromLines(savedLines, kListSizes) == state);
    return 0;
}
