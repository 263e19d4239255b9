#include "EngineConfigParser.h"

#include "contract/Cp1250Codec.h"
#include "contract/EngineContract.h"

#include <QStringList>
#include <cmath>
#include <optional>

namespace {

namespace Directive = EngineContract::Directive;

// The rules of one file being parsed; collects the first error it meets.
class LineParser {
public:
    explicit LineParser(RunConfig& config)
        : m_config(config) {}

    QString parseLine(const QString& line);
    QString finish() const;

private:
    QString sceneList(const QString& rest);

    RunConfig& m_config;
    bool m_openSlot = false;
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

QString LineParser::parseLine(const QString& line) {
    if (!line.startsWith(u'*')) {
        return QStringLiteral("řádek nezačíná hvězdičkou a klíčovým slovem");
    }
    const qsizetype space = line.indexOf(u' ');
    const QString keyword = line.mid(1, space < 0 ? -1 : space - 1);
    const QString rest = space < 0 ? QString() : line.mid(space + 1);
    if (keyword == QLatin1String(Directive::kSceneList)) {
        return sceneList(rest);
    }
    const QStringList args = rest.isEmpty() ? QStringList() : rest.split(u' ');

    // Every other directive is a keyword with a fixed number of numeric
    // arguments; the first of the PLAYER... ones names the player.
    struct Numbers {
        QVector<double> values;
        QString error;
    };
    const auto numbers = [&](int count) {
        Numbers out;
        if (args.size() != count) {
            out.error = QStringLiteral("příkaz *%1 má mít %2 parametrů, má %3")
                            .arg(keyword)
                            .arg(count)
                            .arg(args.size());
            return out;
        }
        for (const QString& arg : args) {
            const auto value = number(arg);
            if (!value) {
                out.error = QStringLiteral("příkaz *%1: \"%2\" není číslo").arg(keyword, arg);
                return out;
            }
            out.values.append(*value);
        }
        return out;
    };
    const auto whole = [&](double value, int low, int high, const char* what) -> QString {
        if (value != std::floor(value) || value < low || value > high) {
            return QStringLiteral("příkaz *%1: %2 musí být celé číslo od %3 do %4")
                .arg(keyword, QString::fromUtf8(what))
                .arg(low)
                .arg(high);
        }
        return {};
    };
    const auto player = [&](const Numbers& n) -> QString {
        if (n.values.first() != 0) {
            return QStringLiteral("příkaz *%1: podporován je jen hráč 0").arg(keyword);
        }
        return {};
    };

    const struct {
        const char* name;
        bool RunConfig::*flag;
    } switches[] = {
        {Directive::kNoTimer, &RunConfig::noTimer},
        {Directive::kNoVsync, &RunConfig::noVsync},
        {Directive::kDontShowIntro, &RunConfig::dontShowIntro},
        {Directive::kFullScreen, &RunConfig::fullScreen},
        {Directive::kRedBlueStereo, &RunConfig::redBlueStereo},
        {Directive::kEndlessLoop, &RunConfig::endlessLoop},
        {Directive::kSafe, &RunConfig::safe},
    };
    for (const auto& entry : switches) {
        if (keyword == QLatin1String(entry.name)) {
            if (!args.isEmpty()) {
                return QStringLiteral("příkaz *%1 nemá parametry").arg(keyword);
            }
            m_config.*(entry.flag) = true;
            return {};
        }
    }

    const struct {
        const char* name;
        double RunConfig::*field;
        double low;
        double high;
    } reals[] = {
        {Directive::kNearClippingPlane, &RunConfig::nearPlane, 1e-6, 1e9},
        {Directive::kFarClippingPlane, &RunConfig::farPlane, 1e-6, 1e9},
        {Directive::kFieldOfView, &RunConfig::fieldOfView, 1.0, 179.0},
        {Directive::kMouseSensitivity, &RunConfig::mouseSensitivity, -10.0, 10.0},
        {Directive::kFrameRateLimit, &RunConfig::frameRateLimit, 0.0, 1e9},
        {Directive::kStereoOffset, &RunConfig::stereoOffset, -1000.0, 1000.0},
    };
    for (const auto& entry : reals) {
        if (keyword == QLatin1String(entry.name)) {
            const Numbers n = numbers(1);
            if (!n.error.isEmpty()) {
                return n.error;
            }
            if (n.values[0] < entry.low || n.values[0] > entry.high) {
                return QStringLiteral("příkaz *%1: hodnota %2 je mimo rozsah %3 až %4")
                    .arg(keyword, args[0])
                    .arg(entry.low)
                    .arg(entry.high);
            }
            m_config.*(entry.field) = n.values[0];
            return {};
        }
    }

    if (keyword == QLatin1String(Directive::kPlayerCount)) {
        const Numbers n = numbers(1);
        if (!n.error.isEmpty()) {
            return n.error;
        }
        return n.values[0] == 1 ? QString()
                                : QStringLiteral("příkaz *PLAYERCOUNT: podporován je jen jeden hráč");
    }
    if (keyword == QLatin1String(Directive::kPlayerViewport)) {
        const Numbers n = numbers(5);
        QString error = n.error.isEmpty() ? player(n) : n.error;
        for (int i = 1; error.isEmpty() && i < 3; ++i) {
            error = whole(n.values[i], 0, 0, "levý horní roh");
        }
        for (int i = 3; error.isEmpty() && i < 5; ++i) {
            error = whole(n.values[i], EngineContract::kMinSize, EngineContract::kMaxSize, "rozměr okna");
        }
        if (error.isEmpty()) {
            m_config.viewportWidth = int(n.values[3]);
            m_config.viewportHeight = int(n.values[4]);
        }
        return error;
    }
    if (keyword == QLatin1String(Directive::kPlayerController)) {
        const Numbers n = numbers(2);
        QString error = n.error.isEmpty() ? player(n) : n.error;
        if (error.isEmpty() && n.values[1] != -1 && n.values[1] != 1) {
            error = QStringLiteral(
                "příkaz *PLAYERCONTROLLER: ovládání je -1 (průlet po dráze) nebo 1 (volný průlet)");
        }
        if (error.isEmpty()) {
            m_config.freeFlight = n.values[1] == 1;
        }
        return error;
    }
    if (keyword == QLatin1String(Directive::kPlayerKeyboardControls)) {
        const Numbers n = numbers(13);
        QString error = n.error.isEmpty() ? player(n) : n.error;
        for (int i = 1; error.isEmpty() && i < 13; ++i) {
            error = whole(n.values[i], 1, 254, "kód klávesy");
            // Only a checked value is converted: one beyond int is undefined.
            if (error.isEmpty()) {
                m_config.keyCodes[std::size_t(i - 1)] = int(n.values[i]);
            }
        }
        return error;
    }
    if (keyword == QLatin1String(Directive::kPlayerHeadLimit)) {
        const Numbers n = numbers(2);
        QString error = n.error.isEmpty() ? player(n) : n.error;
        if (error.isEmpty() && std::abs(n.values[1]) > 1.6) {
            error = QStringLiteral("příkaz *PLAYERHEADLIMIT: hodnota musí ležet mezi -1.6 a 1.6");
        }
        if (error.isEmpty()) {
            m_config.headLimit = n.values[1];
        }
        return error;
    }
    if (keyword == QLatin1String(Directive::kResolution)) {
        const Numbers n = numbers(3);
        QString error = n.error;
        for (int i = 0; error.isEmpty() && i < 2; ++i) {
            error = whole(n.values[i], EngineContract::kMinSize, EngineContract::kMaxSize, "rozměr obrazu");
        }
        if (error.isEmpty() && n.values[2] != 16 && n.values[2] != 24 && n.values[2] != 32) {
            error = QStringLiteral("příkaz *RESOLUTION: barevná hloubka musí být 16, 24 nebo 32 bitů");
        }
        if (error.isEmpty()) {
            m_config.resolutionWidth = int(n.values[0]);
            m_config.resolutionHeight = int(n.values[1]);
            m_config.colourBits = int(n.values[2]);
        }
        return error;
    }
    if (keyword == QLatin1String(Directive::kDepthBits)) {
        const Numbers n = numbers(1);
        QString error = n.error;
        if (error.isEmpty() && n.values[0] != 16 && n.values[0] != 24 && n.values[0] != 32) {
            error = QStringLiteral("příkaz *DEPTHBITS: hloubka Z-bufferu musí být 16, 24 nebo 32 bitů");
        }
        if (error.isEmpty()) {
            m_config.depthBits = int(n.values[0]);
        }
        return error;
    }
    if (keyword == QLatin1String(Directive::kDecalCount) ||
        keyword == QLatin1String(Directive::kParticleSystemCount)) {
        const Numbers n = numbers(1);
        QString error = n.error.isEmpty() ? whole(n.values[0], 0, 1000, "počet") : n.error;
        if (error.isEmpty()) {
            (keyword == QLatin1String(Directive::kDecalCount) ? m_config.decalCount
                                                              : m_config.particleSystemCount) =
                int(n.values[0]);
        }
        return error;
    }
    return QStringLiteral("neznámý příkaz *%1").arg(keyword);
}

QString LineParser::sceneList(const QString& rest) {
    const qsizetype space = rest.indexOf(u' ');
    const auto slot = integer(rest.left(space));
    const QString quoted = space < 0 ? QString() : rest.mid(space + 1);
    if (!slot || quoted.size() < 3 || !quoted.startsWith(u'"') || !quoted.endsWith(u'"')) {
        return QStringLiteral("příkaz *SCENELIST má tvar: číslo scény, mezera, jméno souboru v uvozovkách");
    }
    const QString name = quoted.mid(1, quoted.size() - 2);
    if (name.contains(u'"')) {
        return QStringLiteral("příkaz *SCENELIST: jméno souboru nesmí obsahovat uvozovky");
    }
    const int expected = int(m_config.scenes.size()) - (m_openSlot ? 1 : 0);
    if (*slot != expected) {
        return QStringLiteral("příkaz *SCENELIST: očekávána scéna číslo %1, uvedena %2")
            .arg(expected)
            .arg(*slot);
    }
    if (m_openSlot) {
        m_config.scenes.last().sceneFile = name;
    } else {
        m_config.scenes.append({name, QString()});
    }
    m_openSlot = !m_openSlot;
    return {};
}

QString LineParser::finish() const {
    if (m_config.scenes.isEmpty()) {
        return QStringLiteral("soubor neobsahuje žádnou scénu (*SCENELIST)");
    }
    if (m_openSlot) {
        return QStringLiteral("scéna %1 má jen soubor průletu, chybí soubor scény")
            .arg(m_config.scenes.size() - 1);
    }
    if (m_config.farPlane <= m_config.nearPlane) {
        return QStringLiteral("vzdálená ořezová rovina musí ležet za blízkou");
    }
    return {};
}

} // namespace

EngineConfigParser::Result EngineConfigParser::parse(const QByteArray& bytes) {
    Result result;
    LineParser parser(result.config);
    const QStringList lines = splitLines(Cp1250Codec::decode(bytes));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Only the empty remainder after the last line end may be blank.
        if (lines[i].isEmpty() && i == lines.size() - 1) {
            break;
        }
        const QString error = parser.parseLine(lines[i]);
        if (!error.isEmpty()) {
            result.error =
                QStringLiteral("%1, řádek %2: %3").arg(EngineContract::kConfigFileName).arg(i + 1).arg(error);
            return result;
        }
    }
    result.error = parser.finish();
    if (!result.error.isEmpty()) {
        result.error.prepend(EngineContract::kConfigFileName + QStringLiteral(": "));
    }
    return result;
}
