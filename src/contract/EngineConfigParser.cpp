#include "EngineConfigParser.h"

#include "contract/Cp1250Codec.h"
#include "contract/EngineContract.h"

#include <QStringList>
#include <cmath>
#include <optional>

namespace {

namespace Directive = EngineContract::Directive;

// One line, split after its directive's name at the first blank.
struct Line {
    QString keyword;
    // Everything after the first blank, as it stands.
    QString rest;
    // The blank-separated parameters and their values.
    QStringList arguments;
    QVector<double> values;
};

// What the lines so far have set.
struct ParseState {
    RunConfig& config;
    // A scene slot whose browser file is named and whose scene file is not.
    bool openSlot = false;
};

struct Rule;
// Applies one line to the state; the error, or empty.
using Handler = QString (*)(const Rule& rule, const Line& line, ParseState& state);

// The scene list's line is read by its handler as it stands; every other
// directive takes a fixed number of numeric parameters.
constexpr int kFreeForm = -1;

// One directive: its name, the number of its parameters and what it does
// with them. A handler of numeric parameters sees only a line with as many
// parameters as its rule asks, each a finite number. The fields name what a
// switch, a plain number (within low to high) or a count sets.
struct Rule {
    const char* name;
    int parameterCount;
    Handler handler;
    bool RunConfig::*flag = nullptr;
    double RunConfig::*number = nullptr;
    int RunConfig::*count = nullptr;
    double low = 0;
    double high = 0;
};

// The lines of the text without their ends: CR LF, a lone LF and a lone CR
// each end a line. The remainder after the last line end is the last item,
// empty when the text ends with a line end.
QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            continue;
        }
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    lines.append(text.mid(start));
    return lines;
}

std::optional<double> number(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> integer(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

// Empty when the parameter is a whole number from low to high.
QString whole(const Line& line, int index, int low, int high, const char* what) {
    const double value = line.values[index];
    if (value != std::floor(value) || value < low || value > high) {
        return QStringLiteral("příkaz *%1: %2 musí být celé číslo od %3 do %4")
            .arg(line.keyword, QString::fromUtf8(what))
            .arg(low)
            .arg(high);
    }
    return {};
}

// The first parameter of the PLAYER... directives names the player.
QString player(const Line& line) {
    if (line.values.first() != 0) {
        return QStringLiteral("příkaz *%1: podporován je jen hráč 0").arg(line.keyword);
    }
    return {};
}

QString setFlag(const Rule& rule, const Line&, ParseState& state) {
    state.config.*(rule.flag) = true;
    return {};
}

QString setNumber(const Rule& rule, const Line& line, ParseState& state) {
    const double value = line.values[0];
    if (value < rule.low || value > rule.high) {
        return QStringLiteral("příkaz *%1: hodnota %2 je mimo rozsah %3 až %4")
            .arg(line.keyword, line.arguments[0])
            .arg(rule.low)
            .arg(rule.high);
    }
    state.config.*(rule.number) = value;
    return {};
}

QString setCount(const Rule& rule, const Line& line, ParseState& state) {
    const QString error = whole(line, 0, 0, 1000, "počet");
    if (error.isEmpty()) {
        state.config.*(rule.count) = int(line.values[0]);
    }
    return error;
}

QString playerCount(const Rule&, const Line& line, ParseState&) {
    return line.values[0] == 1 ? QString()
                               : QStringLiteral("příkaz *PLAYERCOUNT: podporován je jen jeden hráč");
}

QString playerViewport(const Rule&, const Line& line, ParseState& state) {
    QString error = player(line);
    for (int i = 1; error.isEmpty() && i < 3; ++i) {
        error = whole(line, i, 0, 0, "levý horní roh");
    }
    for (int i = 3; error.isEmpty() && i < 5; ++i) {
        error = whole(line, i, EngineContract::kMinSize, EngineContract::kMaxSize, "rozměr okna");
    }
    if (error.isEmpty()) {
        state.config.viewportWidth = int(line.values[3]);
        state.config.viewportHeight = int(line.values[4]);
    }
    return error;
}

QString playerController(const Rule&, const Line& line, ParseState& state) {
    QString error = player(line);
    if (error.isEmpty() && line.values[1] != -1 && line.values[1] != 1) {
        error = QStringLiteral(
            "příkaz *PLAYERCONTROLLER: ovládání je -1 (průlet po dráze) nebo 1 (volný průlet)");
    }
    if (error.isEmpty()) {
        state.config.freeFlight = line.values[1] == 1;
    }
    return error;
}

QString playerKeyboardControls(const Rule&, const Line& line, ParseState& state) {
    QString error = player(line);
    for (int i = 1; error.isEmpty() && i < int(line.values.size()); ++i) {
        error = whole(line, i, 1, 254, "kód klávesy");
        // Only a checked value is converted: one beyond int is undefined.
        if (error.isEmpty()) {
            state.config.keyCodes[std::size_t(i - 1)] = int(line.values[i]);
        }
    }
    return error;
}

QString playerHeadLimit(const Rule&, const Line& line, ParseState& state) {
    QString error = player(line);
    if (error.isEmpty() && std::abs(line.values[1]) > 1.6) {
        error = QStringLiteral("příkaz *PLAYERHEADLIMIT: hodnota musí ležet mezi -1.6 a 1.6");
    }
    if (error.isEmpty()) {
        state.config.headLimit = line.values[1];
    }
    return error;
}

bool isBitCount(double value) {
    return value == 16 || value == 24 || value == 32;
}

QString resolution(const Rule&, const Line& line, ParseState& state) {
    QString error;
    for (int i = 0; error.isEmpty() && i < 2; ++i) {
        error = whole(line, i, EngineContract::kMinSize, EngineContract::kMaxSize, "rozměr obrazu");
    }
    if (error.isEmpty() && !isBitCount(line.values[2])) {
        error = QStringLiteral("příkaz *RESOLUTION: barevná hloubka musí být 16, 24 nebo 32 bitů");
    }
    if (error.isEmpty()) {
        state.config.resolutionWidth = int(line.values[0]);
        state.config.resolutionHeight = int(line.values[1]);
        state.config.colourBits = int(line.values[2]);
    }
    return error;
}

QString depthBits(const Rule&, const Line& line, ParseState& state) {
    if (!isBitCount(line.values[0])) {
        return QStringLiteral("příkaz *DEPTHBITS: hloubka Z-bufferu musí být 16, 24 nebo 32 bitů");
    }
    state.config.depthBits = int(line.values[0]);
    return {};
}

// The scene list's pairs: the browser file, then the scene file, of slots
// numbered 0, 1, … in order.
QString sceneList(const Rule&, const Line& line, ParseState& state) {
    const qsizetype space = line.rest.indexOf(u' ');
    const auto slot = integer(line.rest.left(space));
    const QString quoted = space < 0 ? QString() : line.rest.mid(space + 1);
    if (!slot || quoted.size() < 3 || !quoted.startsWith(u'"') || !quoted.endsWith(u'"')) {
        return QStringLiteral("příkaz *SCENELIST má tvar: číslo scény, mezera, jméno souboru v uvozovkách");
    }
    const QString name = quoted.mid(1, quoted.size() - 2);
    if (name.contains(u'"')) {
        return QStringLiteral("příkaz *SCENELIST: jméno souboru nesmí obsahovat uvozovky");
    }
    QVector<RunConfig::ScenePair>& scenes = state.config.scenes;
    const int expected = int(scenes.size()) - (state.openSlot ? 1 : 0);
    if (*slot != expected) {
        return QStringLiteral("příkaz *SCENELIST: očekávána scéna číslo %1, uvedena %2")
            .arg(expected)
            .arg(*slot);
    }
    if (state.openSlot) {
        scenes.last().sceneFile = name;
    } else {
        scenes.append({name, QString()});
    }
    state.openSlot = !state.openSlot;
    return {};
}

constexpr Rule switchRule(const char* name, bool RunConfig::*flag) {
    return {name, 0, setFlag, flag};
}

constexpr Rule numberRule(const char* name, double RunConfig::*field, double low, double high) {
    return {name, 1, setNumber, nullptr, field, nullptr, low, high};
}

constexpr Rule countRule(const char* name, int RunConfig::*field) {
    return {name, 1, setCount, nullptr, nullptr, field};
}

constexpr int kKeyboardParameters = 1 + int(EngineContract::kKeyCodes.size());

const Rule kRules[] = {
    {Directive::kPlayerCount, 1, playerCount},
    {Directive::kPlayerViewport, 5, playerViewport},
    {Directive::kPlayerController, 2, playerController},
    {Directive::kPlayerKeyboardControls, kKeyboardParameters, playerKeyboardControls},
    {Directive::kPlayerHeadLimit, 2, playerHeadLimit},
    numberRule(Directive::kNearClippingPlane, &RunConfig::nearPlane, 1e-6, 1e9),
    numberRule(Directive::kFarClippingPlane, &RunConfig::farPlane, 1e-6, 1e9),
    numberRule(Directive::kFieldOfView, &RunConfig::fieldOfView, 1.0, 179.0),
    numberRule(Directive::kMouseSensitivity, &RunConfig::mouseSensitivity, -10.0, 10.0),
    switchRule(Directive::kNoTimer, &RunConfig::noTimer),
    switchRule(Directive::kNoVsync, &RunConfig::noVsync),
    numberRule(Directive::kFrameRateLimit, &RunConfig::frameRateLimit, 0.0, 1e9),
    {Directive::kResolution, 3, resolution},
    {Directive::kDepthBits, 1, depthBits},
    switchRule(Directive::kDontShowIntro, &RunConfig::dontShowIntro),
    switchRule(Directive::kFullScreen, &RunConfig::fullScreen),
    switchRule(Directive::kRedBlueStereo, &RunConfig::redBlueStereo),
    numberRule(Directive::kStereoOffset, &RunConfig::stereoOffset, -1000.0, 1000.0),
    switchRule(Directive::kEndlessLoop, &RunConfig::endlessLoop),
    switchRule(Directive::kSafe, &RunConfig::safe),
    countRule(Directive::kDecalCount, &RunConfig::decalCount),
    countRule(Directive::kParticleSystemCount, &RunConfig::particleSystemCount),
    {Directive::kSceneList, kFreeForm, sceneList},
};

const Rule* ruleFor(const QString& keyword) {
    for (const Rule& rule : kRules) {
        if (keyword == QLatin1String(rule.name)) {
            return &rule;
        }
    }
    return nullptr;
}

// Applies one line: the error, or empty.
QString parseLine(const QString& text, ParseState& state) {
    if (!text.startsWith(u'*')) {
        return QStringLiteral("řádek nezačíná hvězdičkou a klíčovým slovem");
    }
    const qsizetype space = text.indexOf(u' ');
    Line line;
    line.keyword = text.mid(1, space < 0 ? -1 : space - 1);
    line.rest = space < 0 ? QString() : text.mid(space + 1);
    const Rule* rule = ruleFor(line.keyword);
    if (!rule) {
        return QStringLiteral("neznámý příkaz *%1").arg(line.keyword);
    }
    if (rule->parameterCount == kFreeForm) {
        return rule->handler(*rule, line, state);
    }
    line.arguments = line.rest.isEmpty() ? QStringList() : line.rest.split(u' ');
    if (line.arguments.size() != rule->parameterCount) {
        if (rule->parameterCount == 0) {
            return QStringLiteral("příkaz *%1 nemá parametry").arg(line.keyword);
        }
        return QStringLiteral("příkaz *%1 má mít %2 parametrů, má %3")
            .arg(line.keyword)
            .arg(rule->parameterCount)
            .arg(line.arguments.size());
    }
    for (const QString& argument : line.arguments) {
        const std::optional<double> value = number(argument);
        if (!value) {
            return QStringLiteral("příkaz *%1: \"%2\" není číslo").arg(line.keyword, argument);
        }
        line.values.append(*value);
    }
    return rule->handler(*rule, line, state);
}

// What the whole file must hold once every line is read: the error, or empty.
QString finish(const ParseState& state) {
    const RunConfig& config = state.config;
    if (config.scenes.isEmpty()) {
        return QStringLiteral("soubor neobsahuje žádnou scénu (*SCENELIST)");
    }
    if (state.openSlot) {
        return QStringLiteral("scéna %1 má jen soubor průletu, chybí soubor scény")
            .arg(config.scenes.size() - 1);
    }
    if (config.farPlane <= config.nearPlane) {
        return QStringLiteral("vzdálená ořezová rovina musí ležet za blízkou");
    }
    return {};
}

} // namespace

EngineConfigParser::Result EngineConfigParser::parse(const QByteArray& bytes) {
    Result result;
    ParseState state{result.config};
    const QStringList lines = splitLines(Cp1250Codec::decode(bytes));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Only the empty remainder after the last line end may be blank.
        if (lines[i].isEmpty() && i == lines.size() - 1) {
            break;
        }
        const QString error = parseLine(lines[i], state);
        if (!error.isEmpty()) {
            result.error =
                QStringLiteral("%1, řádek %2: %3").arg(EngineContract::kConfigFileName).arg(i + 1).arg(error);
            return result;
        }
    }
    result.error = finish(state);
    if (!result.error.isEmpty()) {
        result.error.prepend(EngineContract::kConfigFileName + QStringLiteral(": "));
    }
    return result;
}
