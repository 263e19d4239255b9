#pragma once

#include "contract/EngineContract.h"

#include <QByteArray>
#include <array>
#include <optional>

class LineReader;

// The settings dialog's choices as its state file "nastaveni.bnc" keeps them:
// one signed 16-bit value a line, every line ended by CR LF, written as
// " 1 " or "-1 ". Fifteen lines: the seven test boxes, the boxes "Nezobrazovat
// popis testů", "Nekonečné opakování testů", "Přes celou obrazovku" and
// "Stereo pohled", the positions of the three lists, and the mode (1 for the
// rated tests, 0 for free flight).
//
// Reading never yields a value the dialog cannot show. Whatever a control
// cannot hold is replaced by that control's standard setting: a missing line
// (a file cut short), a number that does not fit 16 bits, a check box value
// other than 0, 1 or 2, and a list position outside the list, the "nothing
// selected" position -1 included. A missing mode line means rated tests; a
// mode line present counts as rated only when its number is exactly 1. So
// what is saved after a load is never worse than what was read. A file with
// a line too long to be read is no state file of the dialog's at all.
struct SettingsState {
    static constexpr int kListCount = 3;
    static constexpr int kLineCount = EngineContract::kTestCount + 4 + kListCount + 1;

    std::array<qint16, EngineContract::kTestCount> tests{}; // Check4, by test index
    qint16 noIntro = 0;                                     // Check1
    qint16 endless = 0;                                     // Check2
    qint16 fullScreen = 0;                                  // Check3
    qint16 stereo = 0;                                      // Check5
    std::array<qint16, kListCount> lists{};                 // selected positions of Combo1, Combo2, Combo3
    bool rated = true;                                      // Option1 selected

    // All tests ticked, "640x480", "16 bitů", "16 bitů", full screen on, rated
    // tests: what a missing file or line gives, what "Obnovit základní
    // nastavení" shows, and the list entries a rated run needs.
    static SettingsState Standard();

    // The file's bytes, the values as they are.
    QByteArray toBytes() const;

    // Reads the first kLineCount lines from the reader; listSizes: the number
    // of entries of each list, to judge positions. Empty when one of
    // them is longer than any value (LineReader::kMaxLineLength): then
    // nothing of the file is taken, and reader.lineTooLongReason() says
    // which line. The caller checks reader.error() too.
    static std::optional<SettingsState> read(LineReader& reader,
                                             const std::array<int, kListCount>& listSizes);

    friend bool operator==(const SettingsState&, const SettingsState&) = default;
};
