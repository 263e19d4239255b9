#include "FrontEndFolder.h"
#include "ResultsFixture.h"
#include "WaitDialog.h"
#include "common/FormDisplay.h"
#include "common/MessageBox.h"
#include "contract/EngineContract.h"
#include "contract/LineReader.h"
#include "contract/ResultsLogReader.h"
#include "contract/TextFile.h"
#include "results/ComparisonList.h"
#include "results/ResultsLog.h"
#include "results/SystemsDatabase.h"
#include "results/Vysledky_Form.h"
#include "shell/Cekejte_form.h"
#include "shell/Hlavni_Form.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QThreadPool>
#include <sys/stat.h>
#include <unistd.h>

using namespace ResultsFixture;

class tst_Vysledky_Form : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void placesUserByScore_data();
    void placesUserByScore();
    void showsTheRun();
    void sixBlocks();
    void eightBlocksSaveRewritesDatabaseUnchanged();
    void savesWithoutDatabase();
    void onlySevenBlocksJoin_data();
    void onlySevenBlocksJoin();
    void savesCzechTextsInWindows1250();
    void failedSaveKeepsButton();
    void unreadableFiles();
    void databaseTooLargeIsLikeUnreadable_data();
    void databaseTooLargeIsLikeUnreadable();
    void messagesHideTheWindow_data();
    void messagesHideTheWindow();
    void everyActivationRebuilds();
    void okHidesAndTitleBarDestroys();
    void saveKeepsWhatOthersWroteMeanwhile_data();
    void saveKeepsWhatOthersWroteMeanwhile();
    void saveAfterTheDatabaseBecameUnreadable();
    void keepsRunInHistoryAndWarnsOnce();

private:
    // The score texts of the comparison list, the user's marked "user".
    QStringList scoreColumn() const;

    std::optional<FrontEndFolder> m_folder;
};

void tst_Vysledky_Form::init() {
    QVERIFY(m_folder.emplace().isValid());
}

void tst_Vysledky_Form::cleanup() {
    m_folder.reset();
}

QStringList tst_Vysledky_Form::scoreColumn() const {
    QStringList scores;
    for (const SystemRecord& row : Vysledky_Form::existing()->ListView1->rows()->rows()) {
        scores << (row.computerText == kProcessor ? QStringLiteral("user") : QString()) + row.scoreText;
    }
    return scores;
}

void tst_Vysledky_Form::placesUserByScore_data() {
    QTest::addColumn<QList<QByteArray>>("database");
    QTest::addColumn<double>("score");
    QTest::addColumn<QStringList>("scores");
    const QList<QByteArray> ascending = {" 10", " 20", " 30", " 40"};
    QTest::newRow("5 first") << ascending << 5.0 << QStringList{"user 5", " 10", " 20", " 30", " 40"};
    QTest::newRow("30 after the equal 30")
        << ascending << 30.0 << QStringList{" 10", " 20", " 30", "user 30", " 40"};
    QTest::newRow("50 last") << ascending << 50.0 << QStringList{" 10", " 20", " 30", " 40", "user 50"};
    QTest::newRow("letters count 0") << QList<QByteArray>{"abc", " 10"} << 5.0
                                     << QStringList{"abc", "user 5", " 10"};
    QTest::newRow("only before the first greater")
        << QList<QByteArray>{" 40", " 10", " 50"} << 20.0 << QStringList{"user 20", " 40", " 10", " 50"};
    QTest::newRow("empty database") << QList<QByteArray>{} << 20.0 << QStringList{"user 20"};
}

void tst_Vysledky_Form::placesUserByScore() {
    QFETCH(QList<QByteArray>, database);
    QFETCH(double, score);
    QFETCH(QStringList, scores);
    QVERIFY(writeLog(blocksScoring(score, 7)));
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), ResultsFixture::database(database)));
    WaitDialog::showResults();
    QCOMPARE(scoreColumn(), scores);
}

void tst_Vysledky_Form::showsTheRun() {
    QVERIFY(writeLog(QByteArray("3\r\n1\r\n2\r\n3\r\n4\r\n").repeated(7) + "konec\r\n"));
    Vysledky_Form* window = WaitDialog::showResults();
    QVERIFY(window && window->isVisible());
    QVERIFY(MessageBox::recorded().isEmpty());
    QVERIFY(!Cekejte_form::existing()->isVisible());
    QCOMPARE(window->Label2->text(), QStringLiteral(" 3.33333333333333 bodů"));
    QVERIFY(window->Command2->isEnabled());
    QCOMPARE(window->ListView1->rows()->columnTitles(),
             (QStringList{"Počítač", "Počet bodů", "Grafická karta", "Operační paměť"}));
    const SystemRecord user{kProcessor, " 3.33333333333333", kGraphics, kMemory};
    QCOMPARE(window->ListView1->rows()->rows(), QList<SystemRecord>{user});
    QStringList configuration;
    for (int row = 0; row < window->List1->count(); ++row) {
        configuration << window->List1->item(row)->text();
    }
    QCOMPARE(configuration, (QStringList{kProcessor, kGraphics, kMemory, kSystem, kExtra}));

    // Every row shows the monitor, its light grey drawn transparent.
    const ComparisonModel* model = window->ListView1->rows();
    const QIcon icon = model->data(model->index(0, 0), Qt::DecorationRole).value<QIcon>();
    const QImage picture = icon.pixmap(32, 32).toImage();
    QCOMPARE(picture.size(), QSize(32, 32));
    QCOMPARE(picture.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(picture.pixelColor(16, 12).alpha(), 255);
}

void tst_Vysledky_Form::sixBlocks() {
    QVERIFY(writeLog(blocksScoring(30, 6)));
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), database({" 10", " 40"})));
    Vysledky_Form* window = WaitDialog::showResults();
    QVERIFY(window->isVisible());
    QCOMPARE(window->Label2->text(), QStringLiteral("Neproběhl dostatečný počet testů."));
    QVERIFY(!window->Command2->isEnabled());
    QCOMPARE(scoreColumn(), (QStringList{" 10", " 40"}));
    QCOMPARE(window->List1->count(), 5);
    QCOMPARE(window->List1->item(0)->text(), kProcessor);
    QCOMPARE(window->List1->item(4)->text(), kExtra);
}

void tst_Vysledky_Form::eightBlocksSaveRewritesDatabaseUnchanged() {
    QVERIFY(writeLog(blocksScoring(30, 8)));
    const QByteArray before = database({" 10", " 20", " 40"});
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), before));
    Vysledky_Form* window = WaitDialog::showResults();
    QCOMPARE(window->Label2->text(), QStringLiteral(" 30 bodů"));
    QCOMPARE(scoreColumn(), (QStringList{" 10", " 20", " 40"}));
    QVERIFY(window->Command2->isEnabled());
    QFile::remove(QStringLiteral("systemy.dtb"));
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    QCOMPARE(TestSupport::readAll(QStringLiteral("systemy.dtb")), before);
    QVERIFY(!window->Command2->isEnabled());
    QVERIFY(MessageBox::recorded().isEmpty());
}

// A run of another length than the rated one never enters the comparison,
// however high it scores: not at the list's end, not in a save.
void tst_Vysledky_Form::onlySevenBlocksJoin_data() {
    QTest::addColumn<int>("blocks");
    QTest::addColumn<double>("score");
    QTest::addColumn<bool>("withDatabase");
    QTest::newRow("6 blocks above every record") << 6 << 90.0 << true;
    QTest::newRow("8 blocks above every record") << 8 << 90.0 << true;
    QTest::newRow("8 blocks below every record") << 8 << 5.0 << true;
    QTest::newRow("6 blocks, no database") << 6 << 90.0 << false;
    QTest::newRow("8 blocks, no database") << 8 << 90.0 << false;
    QTest::newRow("7 blocks above every record") << 7 << 90.0 << true;
}

void tst_Vysledky_Form::onlySevenBlocksJoin() {
    QFETCH(int, blocks);
    QFETCH(double, score);
    QFETCH(bool, withDatabase);
    QVERIFY(writeLog(blocksScoring(score, blocks)));
    const QByteArray before = withDatabase ? database({" 10", " 20", " 40"}) : QByteArray();
    if (withDatabase) {
        QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), before));
    }
    Vysledky_Form* window = WaitDialog::showResults();
    QStringList expected = withDatabase ? QStringList{" 10", " 20", " 40"} : QStringList{};
    if (blocks == 7) {
        expected.append(QStringLiteral("user 90"));
    }
    QCOMPARE(scoreColumn(), expected);
    // Whatever the button lets through is saved; the database must not gain
    // the run.
    window->Command2->click();
    if (blocks == 7) {
        QVERIFY(TestSupport::readAll(QStringLiteral("systemy.dtb")).endsWith(cp1250(kMemory) + "\r\n"));
    } else {
        // Without a database before, the save leaves none or an empty one.
        const QString name = QStringLiteral("systemy.dtb");
        QCOMPARE(QFile::exists(name) ? TestSupport::readAll(name) : QByteArray(), before);
    }
    QVERIFY(MessageBox::recorded().isEmpty());
}

void tst_Vysledky_Form::savesWithoutDatabase() {
    QVERIFY(writeLog(blocksScoring(30, 7)));
    Vysledky_Form* window = WaitDialog::showResults();
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    QCOMPARE(TestSupport::readAll(QStringLiteral("systemy.dtb")),
             cp1250(kProcessor + "\r\n 30\r\n" + kGraphics + "\r\n" + kMemory + "\r\n"));
    QVERIFY(!window->Command2->isEnabled());
    QCOMPARE(window->Label2->text(), QStringLiteral(" 30 bodů"));
}

void tst_Vysledky_Form::savesCzechTextsInWindows1250() {
    QVERIFY(writeLog(blocksScoring(30, 7)));
    const QByteArray lower = database({" 10", " 20"});
    const QByteArray higher = database({" 40"});
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), lower + higher));
    Vysledky_Form* window = WaitDialog::showResults();
    QCOMPARE(window->ListView1->rows()->rows().at(0).memoryText, QStringLiteral("Paměť 10"));
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    QCOMPARE(TestSupport::readAll(QStringLiteral("systemy.dtb")),
             lower + cp1250(kProcessor + "\r\n 30\r\n" + kGraphics + "\r\n" + kMemory + "\r\n") + higher);
}

void tst_Vysledky_Form::failedSaveKeepsButton() {
    QVERIFY(writeLog(blocksScoring(30, 7)));
    // A directory of the database's name makes the write fail; it counts as
    // no database when read.
    QVERIFY(QDir().mkdir(QStringLiteral("systemy.dtb")));
    Vysledky_Form* window = WaitDialog::showResults();
    QCOMPARE(scoreColumn(), QStringList{"user 30"});
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    QCOMPARE(MessageBox::recorded().size(), 1);
    QCOMPARE(MessageBox::recorded().at(0).style, int(MessageBox::Warning));
    QVERIFY(MessageBox::recorded().at(0).text.contains(QStringLiteral("systemy.dtb")));
    QVERIFY(window->Command2->isEnabled());
    QVERIFY(window->isVisible());
}

// Files that exist but fail when read, like /proc/self/mem at its start.
void tst_Vysledky_Form::unreadableFiles() {
    // An unreadable database is reported and cannot be overwritten by a save
    // that would lose it.
    QVERIFY(writeLog(blocksScoring(30, 7)));
    QCOMPARE(::symlink("/proc/self/mem", "systemy.dtb"), 0);
    Vysledky_Form* window = WaitDialog::showResults();
    QVERIFY(window->isVisible());
    QCOMPARE(MessageBox::recorded().size(), 1);
    QCOMPARE(MessageBox::recorded().at(0).style, int(MessageBox::Warning));
    QVERIFY(MessageBox::recorded().at(0).text.contains(QStringLiteral("systemy.dtb")));
    QVERIFY(!window->Command2->isEnabled());
    QCOMPARE(window->Label2->text(), QStringLiteral(" 30 bodů"));

    // An unreadable log is reported and hides the window.
    MessageBox::clearRecorded();
    QVERIFY(QFile::remove(QStringLiteral("vysledek.log")));
    QCOMPARE(::symlink("/proc/self/mem", "vysledek.log"), 0);
    FormDisplay::showModeless(Hlavni_Form::instance());
    WaitDialog::showResults();
    QCOMPARE(MessageBox::recorded().size(), 1);
    QCOMPARE(MessageBox::recorded().at(0).style, int(MessageBox::Warning));
    QVERIFY(MessageBox::recorded().at(0).text.contains(QStringLiteral("vysledek.log")));
    QVERIFY(!window->isVisible());
}

// A database refused for its size is reported with the limit, and a save
// cannot overwrite it.
void tst_Vysledky_Form::databaseTooLargeIsLikeUnreadable_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("too many records")
        << QByteArray("P\r\n 1\r\nG\r\nM\r\n").repeated(SystemsDatabase::kMaxRecordCount + 1)
        << QStringLiteral("Databáze má více než 100000 záznamů, víc než seznam pojme.");
    QTest::newRow("line too long") << QByteArray(LineReader::kMaxLineLength + 1, 'x') + "\r\n 1\r\nG\r\nM\r\n"
                                   << QStringLiteral("Řádek 1 je delší než 65536 bajtů.");
}

void tst_Vysledky_Form::databaseTooLargeIsLikeUnreadable() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QVERIFY(writeLog(blocksScoring(30, 7)));
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), bytes));
    Vysledky_Form* window = WaitDialog::showResults();
    QVERIFY(window->isVisible());
    QCOMPARE(MessageBox::recorded().size(), 1);
    QCOMPARE(MessageBox::recorded().at(0).style, int(MessageBox::Warning));
    QCOMPARE(MessageBox::recorded().at(0).text,
             QStringLiteral("Soubor „systemy.dtb“ nelze přečíst.\n\n") + reason);
    QVERIFY(!window->Command2->isEnabled());
    QCOMPARE(window->Label2->text(), QStringLiteral(" 30 bodů"));
    QCOMPARE(TestSupport::readAll(QStringLiteral("systemy.dtb")), bytes);
}

void tst_Vysledky_Form::messagesHideTheWindow_data() {
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("waitVisible");
    QTest::newRow("no log") << QString() << QStringLiteral("Nejsou k dispozici výsledky testů") << true;
    QTest::newRow("FIFO") << QStringLiteral("fifo") << QStringLiteral("Nejsou k dispozici výsledky testů")
                          << true;
    QTest::newRow("damaged")
        << QStringLiteral("3\r\n1\r\n2\r\n")
        << QStringLiteral(
               "Testy nebyly ukončeny správně, nebo je soubor požkozen. Výsledky nemohou být zobrazeny.")
        << false;
    QTest::newRow("zero frames") << QStringLiteral("0\r\n1\r\n0\r\n1\r\nkonec\r\n")
                                 << QStringLiteral("Celkovy pocet framu je 0") << false;
    QTest::newRow("too large")
        << QStringLiteral("sparse")
        << QStringLiteral("Soubor vysledek.log je větší než 64 MB. Výsledky nemohou být zobrazeny.") << false;
}

void tst_Vysledky_Form::messagesHideTheWindow() {
    QFETCH(QString, log);
    QFETCH(QString, message);
    QFETCH(bool, waitVisible);
    if (log == "fifo") {
        QCOMPARE(::mkfifo("vysledek.log", 0600), 0);
    } else if (log == "sparse") {
        QFile file(QStringLiteral("vysledek.log"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(ResultsLogReader::kMaxLogSize + 1));
    } else if (!log.isEmpty()) {
        QVERIFY(writeLog(log.toLatin1()));
    }
    FormDisplay::showModeless(Hlavni_Form::instance());
    Vysledky_Form* window = WaitDialog::showResults();
    QCOMPARE(MessageBox::recorded().size(), 1);
    QCOMPARE(MessageBox::recorded().at(0).text, message);
    QCOMPARE(MessageBox::recorded().at(0).style, int(MessageBox::Plain));
    QCOMPARE(MessageBox::recorded().at(0).title, MessageBox::applicationTitle());
    QVERIFY(!window->isVisible());
    QCOMPARE(Cekejte_form::existing()->isVisible(), waitVisible);
    QVERIFY(Hlavni_Form::existing()->isVisible());
    QCOMPARE(window->Label2->text(), QStringLiteral("0 bodů"));
}

void tst_Vysledky_Form::everyActivationRebuilds() {
    QVERIFY(writeLog(blocksScoring(30, 7)));
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), database({" 10", " 40"})));
    Hlavni_Form* main = Hlavni_Form::instance();
    FormDisplay::showModeless(main);
    Vysledky_Form* window = WaitDialog::showResults();
    QCOMPARE(scoreColumn(), (QStringList{" 10", "user 30", " 40"}));

    // Back from the main window: the same rows again, four columns again.
    FormDisplay::showModeless(main);
    FormDisplay::showModeless(window);
    QCOMPARE(scoreColumn(), (QStringList{" 10", "user 30", " 40"}));
    QCOMPARE(window->ListView1->rows()->columnCount(), 4);
    QCOMPARE(window->List1->count(), 5);

    // After a save the user's computer is in the database and in the log.
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    QVERIFY(!window->Command2->isEnabled());
    FormDisplay::showModeless(main);
    FormDisplay::showModeless(window);
    QCOMPARE(scoreColumn(), (QStringList{" 10", "user 30", "user 30", " 40"}));
    QVERIFY(window->Command2->isEnabled());
    QCOMPARE(window->ListView1->rows()->columnTitles(),
             (QStringList{"Počítač", "Počet bodů", "Grafická karta", "Operační paměť"}));
}

void tst_Vysledky_Form::okHidesAndTitleBarDestroys() {
    QVERIFY(writeLog(blocksScoring(30, 7)));
    Vysledky_Form* window = WaitDialog::showResults();
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(Vysledky_Form::existing(), window);
    QCOMPARE(window->Label2->text(), QStringLiteral(" 30 bodů"));

    // Shown again, it evaluates anew; closed by its title-bar button, it goes.
    QVERIFY(writeLog(blocksScoring(40, 7)));
    QCOMPARE(WaitDialog::showResults(), window);
    QCOMPARE(window->Label2->text(), QStringLiteral(" 40 bodů"));
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!Vysledky_Form::existing());
    QCOMPARE(Vysledky_Form::instance()->Label2->text(), QStringLiteral("0 bodů"));
    QCOMPARE(Vysledky_Form::existing()->List1->count(), 4);
}

enum class Change { None, Replaced, InPlace, Created, Removed };

void tst_Vysledky_Form::saveKeepsWhatOthersWroteMeanwhile_data() {
    QTest::addColumn<QList<QByteArray>>("before");
    QTest::addColumn<Change>("change");
    QTest::addColumn<QList<QByteArray>>("meanwhile");
    QTest::addColumn<QStringList>("saved");
    QTest::addColumn<bool>("told");
    using Scores = QList<QByteArray>;
    QTest::newRow("unchanged") << Scores{" 10", " 40"} << Change::None << Scores{}
                               << QStringList{" 10", "user 30", " 40"} << false;
    QTest::newRow("another front end added a record")
        << Scores{" 10", " 40"} << Change::Replaced << Scores{" 10", " 20", " 40"}
        << QStringList{" 10", " 20", "user 30", " 40"} << true;
    QTest::newRow("edited in place, same size")
        << Scores{" 10", " 40"} << Change::InPlace << Scores{" 10", " 45"}
        << QStringList{" 10", "user 30", " 45"} << true;
    QTest::newRow("created after the window read none")
        << Scores{} << Change::Created << Scores{" 50"} << QStringList{"user 30", " 50"} << true;
    QTest::newRow("removed: written anew from the list")
        << Scores{" 10", " 40"} << Change::Removed << Scores{} << QStringList{" 10", "user 30", " 40"}
        << false;
}

// Another writer saves the systems database between the window's reading it
// and "Uložit výsledek": the save reads it again, so the saved file (and the
// list) holds that writer's records and the user's.
void tst_Vysledky_Form::saveKeepsWhatOthersWroteMeanwhile() {
    QFETCH(QList<QByteArray>, before);
    QFETCH(Change, change);
    QFETCH(QList<QByteArray>, meanwhile);
    QFETCH(QStringList, saved);
    QFETCH(bool, told);
    const QString name = QStringLiteral("systemy.dtb");
    QVERIFY(writeLog(blocksScoring(30, 7)));
    if (change != Change::Created) {
        QVERIFY(TestSupport::writeRaw(name, database(before)));
    }
    Vysledky_Form* window = WaitDialog::showResults();
    QVERIFY(MessageBox::recorded().isEmpty());
    switch (change) {
    case Change::None:
        break;
    case Change::Replaced:
    case Change::Created:
        QVERIFY(!TextFile::Replace(name, database(meanwhile)));
        break;
    case Change::InPlace:
        QCOMPARE(database(meanwhile).size(), database(before).size());
        QVERIFY(TestSupport::writeRaw(name, database(meanwhile)));
        break;
    case Change::Removed:
        QVERIFY(QFile::remove(name));
        break;
    }
    // The message comes once the list is saved and shown as saved.
    QStringList shownWhileTold;
    bool enabledWhileTold = true;
    MessageBox::setWhileShown([&](const MessageBox::Shown&) {
        shownWhileTold = scoreColumn();
        enabledWhileTold = window->Command2->isEnabled();
    });
    QTest::mouseClick(window->Command2, Qt::LeftButton);

    QCOMPARE(scoreColumn(), saved);
    QVERIFY(!window->Command2->isEnabled());
    QByteArray expected;
    for (const QString& score : saved) {
        expected +=
            score.startsWith("user")
                ? cp1250(kProcessor + "\r\n" + score.mid(4) + "\r\n" + kGraphics + "\r\n" + kMemory + "\r\n")
                : database({score.toLatin1()});
    }
    QCOMPARE(TestSupport::readAll(name), expected);
    if (told) {
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded().at(0).text,
                 QStringLiteral("Databáze systémů se mezitím změnila, seznam byl aktualizován."));
        QCOMPARE(MessageBox::recorded().at(0).style, int(MessageBox::Plain));
        QCOMPARE(shownWhileTold, saved);
        QVERIFY(!enabledWhileTold);
    } else {
        QVERIFY(MessageBox::recorded().isEmpty());
    }
}

// A database that cannot be read any more is not overwritten by the save.
void tst_Vysledky_Form::saveAfterTheDatabaseBecameUnreadable() {
    QVERIFY(writeLog(blocksScoring(30, 7)));
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), database({" 10"})));
    Vysledky_Form* window = WaitDialog::showResults();
    QVERIFY(QFile::remove(QStringLiteral("systemy.dtb")));
    QCOMPARE(::symlink("/proc/self/mem", "systemy.dtb"), 0);
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    QCOMPARE(MessageBox::recorded().size(), 1);
    QCOMPARE(MessageBox::recorded().at(0).style, int(MessageBox::Warning));
    QVERIFY(MessageBox::recorded().at(0).text.contains(QStringLiteral("systemy.dtb")));
    QVERIFY(!window->Command2->isEnabled());
    QCOMPARE(QFileInfo(QStringLiteral("systemy.dtb")).symLinkTarget(), QStringLiteral("/proc/self/mem"));
}

// The history gets a complete run once; a history folder that cannot be
// written is warned about once, and the run is shown all the same.
void tst_Vysledky_Form::keepsRunInHistoryAndWarnsOnce() {
    // Activations arrive as events, and a copy's answer may start the next.
    const auto settle = [] {
        for (int round = 0; round < 3; ++round) {
            QCoreApplication::processEvents();
            QThreadPool::globalInstance()->waitForDone();
        }
        QCoreApplication::processEvents();
    };
    QVERIFY(writeLog(blocksScoring(30, 7)));
    Hlavni_Form* main = Hlavni_Form::instance();
    FormDisplay::showModeless(main);
    Vysledky_Form* window = WaitDialog::showResults();
    settle();
    FormDisplay::showModeless(main);
    FormDisplay::showModeless(window);
    settle();
    const QStringList kept =
        QDir(QStringLiteral("historie")).entryList({QStringLiteral("*.log")}, QDir::Files);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(TestSupport::readAll(QStringLiteral("historie/") + kept[0]),
             TestSupport::readAll(EngineContract::kResultsLogFileName));
    QVERIFY(MessageBox::recorded().isEmpty());

    QVERIFY(QDir(QStringLiteral("historie")).removeRecursively());
    QVERIFY(TestSupport::writeRaw(QStringLiteral("historie"), "x"));
    for (int activation = 0; activation < 2; ++activation) {
        FormDisplay::showModeless(main);
        FormDisplay::showModeless(window);
        settle();
    }
    QCOMPARE(MessageBox::recorded().size(), 1);
    QCOMPARE(MessageBox::recorded()[0].style, int(MessageBox::Warning));
    QVERIFY(MessageBox::recorded()[0].text.contains(QStringLiteral("„historie“")));
    QVERIFY(window->isVisible());
    QCOMPARE(window->Label2->text(), QStringLiteral(" 30 bodů"));
}

QTEST_MAIN(tst_Vysledky_Form)
#include "tst_Vysledky_Form.moc"
