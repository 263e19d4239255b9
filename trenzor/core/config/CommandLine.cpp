#include "CommandLine.h"

#include "contract/EngineConfig.h"
#include "contract/EngineContract.h"
#include "contract/ServiceAddress.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>

namespace {

CommandLine::Result refused(const QString& why) {
    CommandLine::Result result;
    result.action = CommandLine::Action::Refuse;
    result.text = why;
    return result;
}

// QCommandLineParser reports in English; its few messages in Czech.
QString czechParserError(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        QStringList names;
        for (const QString& name : unknown) {
            names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        }
        return QStringLiteral("neznámý parametr %1").arg(names.join(QStringLiteral(", ")));
    }
    const QString text = parser.errorText();
    const QRegularExpressionMatch named = QRegularExpression(QStringLiteral("'([^']*)'")).match(text);
    if (named.hasMatch() && text.startsWith(QLatin1String("Missing value"))) {
        return QStringLiteral("parametr %1 potřebuje hodnotu").arg(named.captured(1));
    }
    if (named.hasMatch() && text.startsWith(QLatin1String("Unexpected value"))) {
        return QStringLiteral("parametr %1 nemá hodnotu").arg(named.captured(1));
    }
    return text;
}

// "0,3,5": rated tests, each once, in the order given.
QString readTests(const QString& value, QList<int>& tests) {
    const QString usage = QStringLiteral("--tests čeká čísla testů 0 až %1 oddělená čárkou, ne \"%2\"")
                              .arg(EngineContract::kTestCount - 1)
                              .arg(value);
    for (const QString& item : value.split(u',')) {
        bool ok = false;
        const int test = item.toInt(&ok);
        if (!ok || item != QString::number(test) || test < 0 || test >= EngineContract::kTestCount) {
            return usage;
        }
        if (tests.contains(test)) {
            return QStringLiteral("--tests: test %1 je uveden dvakrát").arg(test);
        }
        tests.append(test);
    }
    return {};
}

QString readSeconds(const QString& value, double& seconds) {
    bool ok = false;
    seconds = value.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < CommandLine::kMinSeconds ||
        seconds > CommandLine::kMaxSeconds) {
        return QStringLiteral("--seconds čeká počet sekund od %1 do %2, ne \"%3\"")
            .arg(CommandLine::kMinSeconds)
            .arg(CommandLine::kMaxSeconds)
            .arg(value);
    }
    return {};
}

QString readRepeat(const QString& value, int& runs) {
    bool ok = false;
    runs = value.toInt(&ok);
    if (!ok || value != QString::number(runs) || runs < RunOptions::kMinRuns || runs > RunOptions::kMaxRuns) {
        return QStringLiteral("--repeat čeká počet běhů od %1 do %2, ne \"%3\"")
            .arg(RunOptions::kMinRuns)
            .arg(RunOptions::kMaxRuns)
            .arg(value);
    }
    return {};
}

QString readRepeatUntil(const QString& value, double& percent) {
    bool ok = false;
    percent = value.toDouble(&ok);
    if (!ok || !std::isfinite(percent) || percent < RunOptions::kMinUntilPercent ||
        percent > RunOptions::kMaxUntilPercent) {
        return QStringLiteral("--repeat-until čeká variační koeficient v procentech od %1 do %2, ne \"%3\"")
            .arg(RunOptions::kMinUntilPercent)
            .arg(RunOptions::kMaxUntilPercent)
            .arg(value);
    }
    return {};
}

QString readSize(const QString& value, int& width, int& height) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(value);
    width = match.captured(1).toInt();
    height = match.captured(2).toInt();
    const auto inRange = [](int n) { return n >= EngineContract::kMinSize && n <= EngineContract::kMaxSize; };
    if (!match.hasMatch() || !inRange(width) || !inRange(height)) {
        return QStringLiteral(
                   "--size čeká šířku a výšku v bodech jako 640x480, každou od %1 do %2, ne \"%3\"")
            .arg(EngineContract::kMinSize)
            .arg(EngineContract::kMaxSize)
            .arg(value);
    }
    return {};
}

// The settings of a rated run as the front end writes them for its standard
// settings, with no screens between the tests: nobody is there to press a key.
RunConfig ratedRun() {
    RunConfig config = EngineConfig::RatedRun();
    config.dontShowIntro = true;
    return config;
}

// Qt's headings of the help text are English, and without an application
// object it cannot name the program; the rest is ours.
QString czechHelp(QString text, const QString& program) {
    text.replace(QLatin1String("Usage: <executable_name> [options]"),
                 QStringLiteral("Použití: %1 [parametry]").arg(program));
    text.replace(QLatin1String("\nOptions:\n"), QStringLiteral("\nParametry:\n"));
    text.replace(QLatin1String("\nArguments:\n"), QStringLiteral("\nArgumenty:\n"));
    return text;
}

// The pictures the references hold: off screen, 640x480, 24 bits.
void drawAsReferences(RunConfig& config, RunOptions& options) {
    options.validate = true;
    options.offscreen = true;
    config.colourBits = 24;
}

// "--upload" followed by nothing or by another option takes its address from
// sluzba.url: it stands for "--upload=" with the value left empty.
QStringList optionalUploadAddress(QStringList arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--upload") &&
            (i + 1 == arguments.size() || arguments[i + 1].startsWith(u'-'))) {
            arguments[i] = QStringLiteral("--upload=");
        }
    }
    return arguments;
}

} // namespace

CommandLine::Result CommandLine::validationOf(const Result& run) {
    Result validation;
    validation.action = Action::Options;
    validation.config = ratedRun();
    validation.config.scenes = run.config.scenes;
    validation.options.tests = run.options.tests;
    validation.options.gpu = run.options.gpu;
    validation.options.glDebug = run.options.glDebug;
    drawAsReferences(validation.config, validation.options);
    return validation;
}

CommandLine::Result CommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Testovací jádro programu 3D výkon: vykreslí testovací scény přes OpenGL a změří, jak rychle se "
        "kreslí.\n"
        "Bez parametrů (nebo s parametrem 0) čte nastavení ze souboru nastaveni.atr, jak ho zapisuje "
        "program 3D výkon.\n"
        "S parametry níže běží bez souboru nastavení a bez obsluhy, s nastavením hodnoceného běhu "
        "(640x480, 16 bitů, bez vertikální synchronizace, všech sedm testů). Výsledky zapíše do "
        "vysledek.log.\n"
        "Návratový kód: 0, když všechny testy doběhly do konce bez chyb OpenGL; 1 při chybě, chybě OpenGL "
        "nebo přerušení (Esc, zavřené okno) a když se nepodaří nahrání (--upload); 2 při chybných "
        "parametrech."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Vypíše tuto nápovědu."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Vypíše verzi programu."));
    const QCommandLineOption tests(
        QStringLiteral("tests"),
        QStringLiteral("Spustí jen testy s těmito čísly (0 až %1, oddělená čárkou, např. 0,3,5) v daném "
                       "pořadí; bez něj všech %2.")
            .arg(EngineContract::kTestCount - 1)
            .arg(EngineContract::kTestCount),
        QStringLiteral("čísla"));
    const QCommandLineOption seconds(
        QStringLiteral("seconds"),
        QStringLiteral("Každý test proletí celou svou dráhu za S sekund (%1 až %2); bez něj za %3 s jako "
                       "hodnocený běh.")
            .arg(kMinSeconds)
            .arg(kMaxSeconds)
            .arg(EngineContract::kRatedSeconds),
        QStringLiteral("S"));
    const QCommandLineOption size(
        QStringLiteral("size"),
        QStringLiteral("Velikost okna, obrazu na celou obrazovku nebo obrazu mimo obrazovku, např. 640x480 "
                       "(výchozí)."),
        QStringLiteral("ŠxV"));
    const QCommandLineOption fullScreen(
        QStringLiteral("fullscreen"),
        QStringLiteral("Obraz zvolené velikosti roztažený přes celou obrazovku."));
    const QCommandLineOption safe(QStringLiteral("safe"),
                                  QStringLiteral("Bezpečný mód: kreslí bez shaderů, pevnou funkcí OpenGL."));
    const QCommandLineOption offscreen(
        QStringLiteral("offscreen"),
        QStringLiteral("Kreslí do vyrovnávací paměti mimo obrazovku a nic nezobrazí (žádné okno), takže "
                       "měří samotné kreslení bez zobrazování."));
    const QCommandLineOption summary(
        QStringLiteral("summary"),
        QStringLiteral("Po běhu zapíše souhrn (podmínky běhu a čísla každého testu) ve formátu JSON do "
                       "souboru; - znamená standardní výstup."),
        QStringLiteral("soubor"));
    const QCommandLineOption repeat(
        QStringLiteral("repeat"),
        QStringLiteral("Proběhne zvolenými testy N krát za sebou (%1 až %2); souhrn uchová každý běh a "
                       "rozptyl (průměr, směrodatnou odchylku, 95% interval spolehlivosti a variační "
                       "koeficient) každého testu i skóre, na konci se vypíše jejich tabulka. vysledek.log "
                       "je záznam posledního úplného běhu.")
            .arg(RunOptions::kMinRuns)
            .arg(RunOptions::kMaxRuns),
        QStringLiteral("N"));
    const QCommandLineOption repeatUntil(
        QStringLiteral("repeat-until"),
        QStringLiteral("Opakuje testy, dokud variační koeficient skóre běhů neklesne pod VK procent (%1 až "
                       "%2), nejméně %3 a nejvýše %4 běhů; jinak jako --repeat, se kterým nejde spojit.")
            .arg(RunOptions::kMinUntilPercent)
            .arg(RunOptions::kMaxUntilPercent)
            .arg(RunOptions::kMinRuns)
            .arg(RunOptions::kMaxRunsUntil),
        QStringLiteral("VK"));
    const QCommandLineOption glDebug(
        QStringLiteral("gl-debug"),
        QStringLiteral("Vyžádá si ladicí kontext OpenGL a vypíše jeho hlášení (KHR_debug) na standardní "
                       "chybový výstup."));
    const QCommandLineOption history(
        QStringLiteral("history"),
        QStringLiteral("Úplný běh všech sedmi testů uloží i do historie běhů (složka historie), odkud jej "
                       "program 3D výkon nabídne k porovnání."));
    const QCommandLineOption listGpus(
        QStringLiteral("list-gpus"),
        QStringLiteral("Vypíše grafická zařízení, na která lze kreslit (zařízení EGL s uzlem DRM a "
                       "rendererem, a co nabízí grafické prostředí), každé na řádku s číslem."));
    const QCommandLineOption gpu(
        QStringLiteral("gpu"),
        QStringLiteral("Kreslí na zařízení N z --list-gpus: s --offscreen přímo, v okně přes DRI_PRIME nebo "
                       "softwarový ovladač Mesa."),
        QStringLiteral("N"));
    const QCommandLineOption validate(
        QStringLiteral("validate"),
        QStringLiteral("Ověří obraz: vykreslí každý test ve třech chvílích dráhy mimo obrazovku (640x480, 24 "
                       "bitů, se shadery i v bezpečném módu) a porovná ho s přiloženými vzory. Rozdílné "
                       "obrázky uloží do složky validace; návratový kód 0 jen když všechny souhlasí."));
    const QCommandLineOption upload(
        QStringLiteral("upload"),
        QStringLiteral("Po úplném běhu ověří obraz na témže zařízení (jako --validate) a nahraje protokol "
                       "vysledek.log (jeho hlavička popisuje počítač: procesor, kartu, paměť, systém), "
                       "ověření a souhrn běhu do služby výsledků na ADRESE, bez ní na adrese ze souboru "
                       "sluzba.url. Vypíše adresu běhu a zda je v žebříčku; klíč ke smazání běhu připíše "
                       "do souboru odeslane.txt. Návratový kód 1, když nahrání selže."),
        QStringLiteral("adresa"));
    for (const QCommandLineOption& option :
         {help, version, tests, seconds, size, fullScreen, safe, offscreen, repeat, repeatUntil, summary,
          glDebug, history, listGpus, gpu, validate, upload}) {
        parser.addOption(option);
    }
    parser.addPositionalArgument(
        QStringLiteral("0"), QStringLiteral("Čte nastavení ze souboru nastaveni.atr (jako bez parametrů)."),
        QStringLiteral("[0]"));

    QStringList named = optionalUploadAddress(arguments);
    if (!named.isEmpty()) {
        named.first() = QFileInfo(named.first()).fileName();
    }
    if (!parser.parse(named)) {
        return refused(czechParserError(parser));
    }
    Result result;
    if (parser.isSet(help)) {
        result.action = Action::Help;
        result.text = czechHelp(parser.helpText(), named.value(0));
        return result;
    }
    if (parser.isSet(version)) {
        result.action = Action::Version;
        result.text = QStringLiteral("%1 %2").arg(QCoreApplication::applicationName(),
                                                  QCoreApplication::applicationVersion());
        return result;
    }
    if (parser.isSet(listGpus)) {
        result.action = Action::ListGpus;
        return result;
    }
    const QStringList positional = parser.positionalArguments();
    for (const QString& argument : positional) {
        if (argument != QLatin1String("0") || positional.size() > 1) {
            return refused(
                QStringLiteral("neznámý parametr %1 (jediný parametr bez pomlček je 0)").arg(argument));
        }
    }
    if (parser.optionNames().isEmpty()) {
        return result;
    }
    if (!positional.isEmpty()) {
        return refused(
            QStringLiteral("parametr 0 (nastavení ze souboru nastaveni.atr) nelze spojit s dalšími "
                           "parametry"));
    }

    result.action = Action::Options;
    RunConfig& config = result.config;
    RunOptions& options = result.options;
    config = ratedRun();
    if (parser.isSet(tests)) {
        if (QString error = readTests(parser.value(tests), options.tests); !error.isEmpty()) {
            return refused(error);
        }
    } else {
        for (int test = 0; test < EngineContract::kTestCount; ++test) {
            options.tests.append(test);
        }
    }
    for (const int test : options.tests) {
        config.scenes.append({EngineContract::BrowserFileName(test), EngineContract::SceneFileName(test)});
    }
    if (parser.isSet(seconds)) {
        if (QString error = readSeconds(parser.value(seconds), options.seconds); !error.isEmpty()) {
            return refused(error);
        }
    }
    if (parser.isSet(size)) {
        int width = 0;
        int height = 0;
        if (QString error = readSize(parser.value(size), width, height); !error.isEmpty()) {
            return refused(error);
        }
        config.viewportWidth = config.resolutionWidth = width;
        config.viewportHeight = config.resolutionHeight = height;
    }
    config.fullScreen = parser.isSet(fullScreen);
    config.safe = parser.isSet(safe);
    options.offscreen = parser.isSet(offscreen);
    options.glDebug = parser.isSet(glDebug);
    if (parser.isSet(gpu)) {
        bool ok = false;
        options.gpu = parser.value(gpu).toInt(&ok);
        if (!ok || options.gpu < 0 || parser.value(gpu) != QString::number(options.gpu)) {
            return refused(
                QStringLiteral("--gpu čeká číslo zařízení z --list-gpus, ne \"%1\"").arg(parser.value(gpu)));
        }
    }
    if (parser.isSet(validate)) {
        if (config.fullScreen || parser.isSet(size) || parser.isSet(seconds) || config.safe) {
            return refused(QStringLiteral("--validate kreslí své pevné obrázky a nelze ho spojit s "
                                          "--fullscreen, --size, --seconds ani --safe"));
        }
        drawAsReferences(config, options);
    }
    options.history = parser.isSet(history);
    if (config.fullScreen && options.offscreen) {
        return refused(QStringLiteral("--fullscreen a --offscreen nelze spojit: obraz mimo obrazovku se "
                                      "nezobrazuje"));
    }
    if (parser.isSet(repeat) && parser.isSet(repeatUntil)) {
        return refused(
            QStringLiteral("--repeat a --repeat-until nelze spojit: počet běhů dává jen jeden z nich"));
    }
    if (parser.isSet(repeat)) {
        if (QString error = readRepeat(parser.value(repeat), options.repeat); !error.isEmpty()) {
            return refused(error);
        }
    }
    if (parser.isSet(repeatUntil)) {
        if (QString error = readRepeatUntil(parser.value(repeatUntil), options.repeatUntilPercent);
            !error.isEmpty()) {
            return refused(error);
        }
    }
    if (parser.isSet(summary)) {
        options.summaryPath = parser.value(summary);
        if (options.summaryPath.isEmpty()) {
            return refused(QStringLiteral("--summary čeká název souboru nebo -"));
        }
    }
    options.upload = parser.isSet(upload);
    if (options.upload) {
        if (options.validate || options.repeated() || options.summaryToStandardOutput()) {
            return refused(QStringLiteral("--upload nahrává jeden běh s ověřením obrazu a vypisuje adresu "
                                          "běhu; nelze ho spojit s --validate, --repeat, --repeat-until ani "
                                          "--summary -"));
        }
        options.uploadAddress = parser.value(upload);
        if (const ServiceAddress address = ServiceAddress::fromText(options.uploadAddress);
            !options.uploadAddress.isEmpty() && !address.ok()) {
            return refused(QStringLiteral("--upload: %1").arg(address.problem()));
        }
    }
    return result;
}
