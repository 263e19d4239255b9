#include "SettingsState.h"

#include "SettingsValues.h"
#include "contract/LineReader.h"
#include "contract/NumberRules.h"
#include "contract/TextFile.h"

namespace {

QByteArray valueLine(qint16 value) {
    return NumberRules::FormatScore(value).toLatin1() + ' ';
}

using Lines = QList<QByteArray>;

// The line's number when it fits 16 bits; none for a missing line or a
// number out of range.
std::optional<qint16> lineValue(const Lines& lines, int index) {
    if (index >= lines.size()) {
        return std::nullopt;
    }
    return NumberRules::RoundToInt16(NumberRules::LeadingNumber(lines.at(index)));
}

qint16 checkBoxValue(const Lines& lines, int index, qint16 standard) {
    const std::optional<qint16> value = lineValue(lines, index);
    return value && *value >= 0 && *value <= 2 ? *value : standard;
}

qint16 listPosition(const Lines& lines, int index, int size, qint16 standard) {
    const std::optional<qint16> value = lineValue(lines, index);
    return value && *value >= 0 && *value < size ? *value : standard;
}

// The state the lines give; at most the first kLineCount are looked at.
SettingsState fromLines(const Lines& lines, const std::array<int, SettingsState::kListCount>& listSizes) {
    const SettingsState standard = SettingsState::Standard();
    SettingsState state;
    int line = 0;
    for (int i = 0; i < EngineContract::kTestCount; ++i) {
        state.tests[i] = checkBoxValue(lines, line++, standard.tests[i]);
    }
    state.noIntro = checkBoxValue(lines, line++, standard.noIntro);
    state.endless = checkBoxValue(lines, line++, standard.endless);
    state.fullScreen = checkBoxValue(lines, line++, standard.fullScreen);
    state.stereo = checkBoxValue(lines, line++, standard.stereo);
    for (int i = 0; i < SettingsState::kListCount; ++i) {
        state.lists[i] = listPosition(lines, line++, listSizes[i], standard.lists[i]);
    }
    // The mode line is compared as it stands, not rounded: only 1 means rated.
    state.rated = line < lines.size() ? NumberRules::LeadingNumber(lines.at(line)) == 1.0 : standard.rated;
    return state;
}

} // namespace

SettingsState SettingsState::Standard() {
    SettingsState state;
    state.tests.fill(1);
    state.fullScreen = 1;
    state.lists = SettingsValues::kStandardPositions;
    state.rated = true;
    return state;
}

QByteArray SettingsState::toBytes() const {
    QList<QByteArray> lines;
    for (const qint16 test : tests) {
        lines += valueLine(test);
    }
    lines += {valueLine(noIntro), valueLine(endless), valueLine(fullScreen), valueLine(stereo)};
    for (const qint16 position : lists) {
        lines += valueLine(position);
    }
    lines += valueLine(rated ? 1 : 0);
    return TextFile::JoinLines(lines);
}

std::optional<SettingsState> SettingsState::read(LineReader& reader,
                                                 const std::array<int, kListCount>& listSizes) {
    Lines lines;
    while (lines.size() < kLineCount && !reader.atEnd()) {
        const QByteArrayView line = reader.readLine();
        if (reader.lineTooLong()) {
            return std::nullopt;
        }
        lines.append(line.toByteArray());
    }
    return fromLines(lines, listSizes);
}
