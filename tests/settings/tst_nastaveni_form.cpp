// The settings dialog driven as a user drives it: opened modally from the
// main window, its state file, the mode switch, the scene choice, the
// confirmation and the rated-run check after "Spustit".
#include "SettingsTestSupport.h"

#include "common/CaptionButton.h"
#include "contract/EngineConfigParser.h"
#include "contract/LineReader.h"
#include "settings/DirectoryList.h"
#include "settings/FileList.h"
#include "settings/SettingsState.h"
#include "settings/ValueCheckBox.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

// The standard settings in the order of stateFile().
const QList<int> kStandard = {1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 4, 0, 0, 1};

const QString kWarning =
    QStringLiteral("Upozornění: Test nebude hodnocen pokud nepoužijete základní nastavení "
                   "rozlišení obrazovky,stereo pohledu,barev a depth bufferu.");
const QString kNoTest = QStringLiteral("Musí být vybrán alespoň jeden test");
const QString kNoScene =
    QStringLiteral("Musíte vybrat scénu pro Volný průlet a scénu browseru pro Volný průlet.");

// A state file line by line: 7 tests, Check1, Check2, Check3, Check5, three
// positions, mode.
QByteArray stateFile(const QList<int>& values) {
    QByteArray bytes;
    for (const int value : values) {
        bytes += (value < 0 ? QByteArray::number(value) : ' ' + QByteArray::number(value)) + " \r\n";
    }
    return bytes;
}

// The settings the dialog reads back from its state file, in the order of
// stateFile(); empty when it cannot.
QList<int> savedState() {
    LineReader reader(QStringLiteral("nastaveni.bnc"));
    const std::optional<SettingsState> s = SettingsState::read(reader, {10, 3, 2}); // the lists' sizes
    if (reader.error() || !s) {
        return {};
    }
    return QList<int>(s->tests.begin(), s->tests.end())
           << s->noIntro << s->endless << s->fullScreen << s->stereo << s->lists[0] << s->lists[1]
           << s->lists[2] << s->rated;
}

// What the engine reads from "nastaveni.atr" of the dialog's choices: the
// screen, the switches that are on and the scene pairs by slot; the parser's
// message when it cannot read the file.
QStringList configuration() {
    const EngineConfigParser::Result read = EngineConfigParser::parse(TestSupport::readAll("nastaveni.atr"));
    const RunConfig& c = read.config;
    QStringList fields = {read.ok() ? QString::asprintf("%dx%d %d/%d", c.resolutionWidth, c.resolutionHeight,
                                                        c.colourBits, c.depthBits)
                                    : read.error};
    const bool on[] = {c.dontShowIntro, c.fullScreen, c.redBlueStereo, c.endlessLoop, c.safe, c.freeFlight};
    const QStringList switches = {"no intro", "full screen", "stereo", "endless", "safe", "free flight"};
    for (int i = 0; i < switches.size(); ++i) {
        if (on[i]) {
            fields << switches[i];
        }
    }
    for (const RunConfig::ScenePair& pair : c.scenes) {
        fields << pair.browserFile + " + " + pair.sceneFile;
    }
    return fields;
}

} // namespace

class TestNastaveniForm : public QObject {
    Q_OBJECT

    std::optional<FrontEndFolder> m_folder;

    Hlavni_Form* main() { return Hlavni_Form::instance(); }
    Nastaveni_Form* dialog() { return Nastaveni_Form::instance(); }

    // Opens the dialog from the main window's button and runs the action in it.
    void inDialog(std::function<void(Nastaveni_Form*)> action) {
        Nastaveni_Form* settings = dialog();
        whileModal(settings, [settings, action] { action(settings); });
        main()->Command2_Click();
    }

    // Runs the two picker showings of "Vybrat scénu", choosing the named
    // files (an empty name presses Cancel in that step).
    static void pickScene(Nastaveni_Form* settings, const QString& scene, const QString& browser) {
        Soubor_Form* picker = Soubor_Form::instance();
        const auto choose = [picker](const QString& name) {
            if (name.isEmpty()) {
                picker->CancelButton->click();
                return;
            }
            picker->File1->setCurrentItem(picker->File1->findItems(name, Qt::MatchExactly).value(0));
            picker->OKButton->click();
        };
        whileModal(picker, [=] {
            choose(scene);
            if (!picker->isVisible() && !picker->cancelled) {
                whileModal(picker, [=] { choose(browser); });
            }
        });
        settings->Command4->click();
    }

    static QList<qint16> testValues(const Nastaveni_Form* settings) {
        QList<qint16> values;
        for (const ValueCheckBox* box : settings->Check4) {
            values.append(box->Value());
        }
        return values;
    }

private slots:
    void init() {
        QVERIFY(m_folder.emplace().isValid());
        main();
    }
    void cleanup() { m_folder.reset(); }

    void createdHiddenWithNothingChosen() {
        Nastaveni_Form* settings = dialog();
        QVERIFY(!settings->isVisible());
        QVERIFY(settings->Option1->isChecked());
        for (QComboBox* list : {settings->Combo1, settings->Combo2, settings->Combo3}) {
            QCOMPARE(list->currentIndex(), -1);
            QCOMPARE(list->currentText(), QString());
        }
        QCOMPARE(testValues(settings), QList<qint16>(7, 0));
        QCOMPARE(settings->Command4->text(), QStringLiteral("Vybrat scénu"));
        QVERIFY(settings->Command4->isEnabled());
        QVERIFY(!QFile::exists("nastaveni.bnc"));
        QCOMPARE(settings->Combo1->count(), 10);
        QCOMPARE(settings->Combo1->itemText(9), QStringLiteral("1600x1200"));
        QCOMPARE(settings->Combo2->itemText(2), QStringLiteral("32 bitů"));
        QCOMPARE(settings->Combo3->count(), 2);
        // The last two tests belong to the dialog, the others to the frame.
        QCOMPARE(settings->Check4[4]->parentWidget(), settings->Frame1);
        QCOMPARE(settings->Check4[5]->parentWidget(), settings);
        QCOMPARE(settings->Check4[6]->parentWidget(), settings);
    }

    void firstActivationShowsAndSavesTheStandardSettings() {
        bool visible = false;
        inDialog([&](Nastaveni_Form* s) {
            visible = s->isVisible();
            QCOMPARE(testValues(s), QList<qint16>(7, 1));
            QCOMPARE(s->Combo1->currentText(), QStringLiteral("640x480"));
            QCOMPARE(s->Combo2->currentText(), QStringLiteral("16 bitů"));
            QCOMPARE(s->Combo3->currentText(), QStringLiteral("16 bitů"));
            QCOMPARE(s->Check1->Value(), 0);
            QCOMPARE(s->Check2->Value(), 0);
            QCOMPARE(s->Check3->Value(), 1);
            QCOMPARE(s->Check5->Value(), 0);
            QVERIFY(s->Option1->isChecked());
            QVERIFY(!s->Frame5->isEnabled());
            QVERIFY(!s->Command4->isEnabled());
            s->Command2->click();
        });
        QVERIFY(visible);
        QCOMPARE(TestSupport::readAll("nastaveni.bnc"), stateFile(kStandard));
        QCOMPARE(TestSupport::readAll("nastaveni.bnc").size(), 75);
        QVERIFY(!dialog()->isVisible());
        QVERIFY(main()->isVisible());
        QVERIFY(MessageBox::recorded().isEmpty());
    }

    void activationLoadsTheStateFile() {
        // Tests 0 and 6 ticked, test 2 greyed; no intro, endless, no full
        // screen, stereo greyed; 1600x1200, 32 bits, 24 bits; free flight.
        const QByteArray file = stateFile({1, 0, 2, 0, 0, 0, 1, 1, 1, 0, 2, 9, 2, 1, 0});
        QVERIFY(TestSupport::writeRaw("nastaveni.bnc", file));
        inDialog([](Nastaveni_Form* s) {
            QCOMPARE(testValues(s), (QList<qint16>{1, 0, 2, 0, 0, 0, 1}));
            QCOMPARE(s->Check4[2]->checkState(), Qt::PartiallyChecked);
            QCOMPARE(s->Check1->Value(), 1);
            QCOMPARE(s->Check2->Value(), 1);
            QCOMPARE(s->Check3->Value(), 0);
            QCOMPARE(s->Check5->Value(), 2);
            QCOMPARE(s->Combo1->currentText(), QStringLiteral("1600x1200"));
            QCOMPARE(s->Combo2->currentText(), QStringLiteral("32 bitů"));
            QCOMPARE(s->Combo3->currentText(), QStringLiteral("24 bitů"));
            QVERIFY(s->Option2->isChecked());
            QVERIFY(s->Frame5->isEnabled());
            QVERIFY(s->Command4->isEnabled());
            QVERIFY(!s->Frame1->isEnabled());
            QVERIFY(!s->Check2->isEnabled());
            for (ValueCheckBox* box : s->Check4) {
                QVERIFY(!box->isEnabled());
            }
            s->Command2->click();
        });
        // Loading writes nothing.
        QCOMPARE(TestSupport::readAll("nastaveni.bnc"), file);
    }

    // A state file with a line too long for any value (a huge one-line file,
    // or a line past the reader's limit) is no state file of the dialog's:
    // one message names the file and the line and says that the standard
    // settings are shown, all of them are, and the file stays as it is until
    // the user confirms other settings.
    void unreadableStateFileIsReportedOnce_data() {
        QTest::addColumn<int>("line");
        QTest::newRow("first line") << 0;
        QTest::newRow("fifth line") << 4;
        QTest::newRow("mode line") << 14;
    }
    void unreadableStateFileIsReportedOnce() {
        QFETCH(int, line);
        QList<QByteArray> lines = stateFile({1, 0, 2, 0, 0, 0, 1, 1, 1, 0, 2, 9, 2, 1, 0}).split('\n');
        lines[line] = QByteArray(LineReader::kMaxLineLength, ' ') + " 1 \r";
        const QByteArray file = lines.join('\n');
        QVERIFY(TestSupport::writeRaw("nastaveni.bnc", file));
        bool standard = false;
        inDialog([&](Nastaveni_Form* s) {
            standard = testValues(s) == QList<qint16>{1, 1, 1, 1, 1, 1, 1} && s->Check1->Value() == 0 &&
                       s->Check2->Value() == 0 && s->Check3->Value() == 1 && s->Check5->Value() == 0 &&
                       s->Combo1->currentText() == QStringLiteral("640x480") &&
                       s->Combo2->currentText() == QStringLiteral("16 bitů") &&
                       s->Combo3->currentText() == QStringLiteral("16 bitů") && s->Option1->isChecked();
            s->Command2->click();
        });
        QVERIFY(standard);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(
            MessageBox::recorded().at(0).text,
            QStringLiteral("Soubor „nastaveni.bnc“ nelze přečíst.\n\nŘádek %1 je delší než 65536 bajtů.\n\n"
                           "Uložené nastavení proto nelze použít, dialog ukazuje základní nastavení.")
                .arg(line + 1));
        QCOMPARE(MessageBox::recorded().at(0).style, int(MessageBox::Warning));
        QCOMPARE(TestSupport::readAll("nastaveni.bnc"), file);
    }

    // Odd state files load into values the controls can show, and an "OK"
    // right after writes back the corrected file.
    void oddStateFileIsNeverWrittenBackWorse_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<int>>("saved");
        QTest::newRow("short file") << stateFile({0, 1, 0})
                                    << QList<int>{0, 1, 0, 1, 1, 1, 1, 0, 0, 1, 0, 4, 0, 0, 1};
        QTest::newRow("empty file") << QByteArray() << kStandard;
        QTest::newRow("values out of range")
            << stateFile({5, -1, 1, 1, 1, 1, 1, 3, 0, 99999, -32768, -1, 3, -2, 1}) << kStandard;
        QTest::newRow("letters and fractions")
            << QByteArray("x\r\n0.5\r\n1.5\r\n 1 "
                          "yes\r\n1\r\n1\r\n1\r\n\r\n\r\n1\r\n0\r\n8.5\r\n1\r\n1\r\n1.0\r\nmore\r\n")
            << QList<int>{0, 0, 2, 1, 1, 1, 1, 0, 0, 1, 0, 8, 1, 1, 1};
        QTest::newRow("lone line feeds") << QByteArray("1\n1\n0\n1\n1\n1\n1\n0\n0\n1\n0\n4\n0\n0\n1\n")
                                         << QList<int>{1, 1, 0, 1, 1, 1, 1, 0, 0, 1, 0, 4, 0, 0, 1};
    }
    void oddStateFileIsNeverWrittenBackWorse() {
        QFETCH(QByteArray, file);
        QFETCH(QList<int>, saved);
        QVERIFY(TestSupport::writeRaw("nastaveni.bnc", file));
        bool hidden = false;
        inDialog([&](Nastaveni_Form* s) {
            for (QComboBox* list : {s->Combo1, s->Combo2, s->Combo3}) {
                QVERIFY(list->currentIndex() >= 0);
            }
            s->Command1->click();
            hidden = !s->isVisible();
        });
        QVERIFY(hidden);
        QCOMPARE(savedState(), saved);
    }

    void savingRightAfterLoadingGivesTheSameBytes() {
        const QByteArray file = stateFile({1, 0, 2, 0, 1, 0, 1, 1, 0, 0, 2, 9, 2, 1, 1});
        QVERIFY(TestSupport::writeRaw("nastaveni.bnc", file));
        inDialog([](Nastaveni_Form* s) {
            s->SaveDialogState();
            s->Command2->click();
        });
        QCOMPARE(TestSupport::readAll("nastaveni.bnc"), file);
    }

    void everyActivationReloadsAndDiscardsEdits() {
        inDialog([](Nastaveni_Form* s) {
            s->Combo1->setCurrentIndex(6);
            s->Check4[3]->click();
            s->Command2->click();
        });
        // Hidden, the dialog keeps the abandoned edits.
        QCOMPARE(dialog()->Combo1->currentText(), QStringLiteral("1024x768"));
        QCOMPARE(dialog()->Check4[3]->Value(), 0);
        // A change of the file while the program runs shows at the next activation.
        QVERIFY(
            TestSupport::writeRaw("nastaveni.bnc", stateFile({1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 4, 1, 0, 1})));
        inDialog([](Nastaveni_Form* s) {
            QCOMPARE(s->Combo1->currentText(), QStringLiteral("640x480"));
            QCOMPARE(s->Combo2->currentText(), QStringLiteral("24 bitů"));
            QCOMPARE(s->Check4[3]->Value(), 1);
            s->Command2->click();
        });
    }

    void closingAMessageBoxDoesNotReload() {
        MessageBox::stopRecording();
        QList<qint16> afterBox;
        bool stillOpen = false;
        inDialog([&](Nastaveni_Form* s) {
            for (ValueCheckBox* box : s->Check4) {
                box->click();
            }
            // Close the real message box as the user would, then let the
            // window system activate the dialog again.
            QTimer::singleShot(0, [] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    box->button(QMessageBox::Ok)->click();
                }
            });
            s->Command1->click();
            QEvent activate(QEvent::WindowActivate);
            QApplication::sendEvent(s, &activate);
            QCoreApplication::processEvents();
            afterBox = testValues(s);
            stillOpen = s->isVisible();
            s->Command2->click();
        });
        QVERIFY(stillOpen);
        QCOMPARE(afterBox, QList<qint16>(7, 0));
    }

    void standardSettingsButtonKeepsSafeModeAndWritesNothing() {
        QVERIFY(
            TestSupport::writeRaw("nastaveni.bnc", stateFile({0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 1, 9, 2, 1, 0})));
        inDialog([](Nastaveni_Form* s) {
            s->Check6->click();
            s->Command3->click();
            QCOMPARE(testValues(s), QList<qint16>(7, 1));
            QCOMPARE(s->Combo1->currentText(), QStringLiteral("640x480"));
            QCOMPARE(s->Combo2->currentIndex(), 0);
            QCOMPARE(s->Combo3->currentIndex(), 0);
            QCOMPARE(s->Check1->Value(), 0);
            QCOMPARE(s->Check2->Value(), 0);
            QCOMPARE(s->Check3->Value(), 1);
            QCOMPARE(s->Check5->Value(), 0);
            QCOMPARE(s->Check6->Value(), 1);
            QVERIFY(s->Option1->isChecked());
            QVERIFY(!s->Command4->isEnabled());
            QVERIFY(s->Check2->isEnabled());
            s->Command2->click();
        });
        QCOMPARE(TestSupport::readAll("nastaveni.bnc"),
                 stateFile({0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 1, 9, 2, 1, 0}));
        // Safe mode lives only in memory, across showings.
        inDialog([](Nastaveni_Form* s) {
            QCOMPARE(s->Check6->Value(), 1);
            QCOMPARE(s->Combo1->currentText(), QStringLiteral("1600x1200"));
            s->Command2->click();
        });
    }

    void closeBoxActsAsStorno() {
        QByteArray atr = TestSupport::readAll("nastaveni.atr");
        inDialog([](Nastaveni_Form* s) {
            s->Combo1->setCurrentIndex(0);
            s->close();
        });
        QVERIFY(Nastaveni_Form::existing());
        QVERIFY(!dialog()->isVisible());
        QVERIFY(main()->isVisible());
        QCOMPARE(dialog()->Combo1->currentIndex(), 0);
        QCOMPARE(savedState(), kStandard);
        QCOMPARE(TestSupport::readAll("nastaveni.atr"), atr);
    }

    void modeSwitchKeepsTicksAndSetsEnabledStates() {
        inDialog([](Nastaveni_Form* s) {
            s->Check4[3]->click();
            s->Check2->click();
            s->Option2->click();
            QVERIFY(!s->Frame1->isEnabled());
            QVERIFY(!s->Check2->isEnabled());
            for (ValueCheckBox* box : s->Check4) {
                QVERIFY(!box->isEnabled());
            }
            QVERIFY(s->Frame5->isEnabled());
            QVERIFY(s->Command4->isEnabled());
            for (QWidget* usable : std::initializer_list<QWidget*>{s->Combo1, s->Combo2, s->Combo3, s->Check1,
                                                                   s->Check3, s->Check5, s->Check6}) {
                QVERIFY(usable->isEnabled());
            }
            s->Option1->click();
            QVERIFY(s->Frame1->isEnabled());
            QVERIFY(s->Check2->isEnabled());
            for (ValueCheckBox* box : s->Check4) {
                QVERIFY(box->isEnabled());
            }
            QVERIFY(!s->Frame5->isEnabled());
            QVERIFY(!s->Command4->isEnabled());
            QCOMPARE(testValues(s), (QList<qint16>{1, 1, 1, 0, 1, 1, 1}));
            QCOMPARE(s->Check2->Value(), 1);
            s->Command2->click();
        });
    }

    void greyedBoxTurnsTickedOnClick() {
        QVERIFY(
            TestSupport::writeRaw("nastaveni.bnc", stateFile({1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 2, 4, 0, 0, 1})));
        QList<qint16> clicks;
        inDialog([&](Nastaveni_Form* s) {
            for (int i = 0; i < 3; ++i) {
                s->Check5->click();
                clicks.append(s->Check5->Value());
            }
            s->Command2->click();
        });
        QCOMPARE(clicks, (QList<qint16>{1, 0, 1}));
    }

    void scenePickerKeepsTheChoicesMadeBeforeIt() {
        QVERIFY(TestSupport::writeRaw("les.bin", ""));
        QVERIFY(TestSupport::writeRaw("browser les.bin", ""));
        QString caption;
        int combo1 = -1;
        inDialog([&](Nastaveni_Form* s) {
            s->Option2->click();
            s->Combo1->setCurrentIndex(5);
            s->Check4[0]->setValue(1);
            pickScene(s, "les.bin", "browser les.bin");
            caption = s->Command4->text();
            combo1 = s->Combo1->currentIndex();
            QVERIFY(s->Option2->isChecked());
            QVERIFY(s->isVisible());
            s->Command2->click();
        });
        QCOMPARE(caption, QStringLiteral("les.bin"));
        QCOMPARE(combo1, 5);
        QCOMPARE(Soubor_Form::instance()->cestakescene, QStringLiteral("les.bin"));
        QCOMPARE(Soubor_Form::instance()->cestakbrowseru, QStringLiteral("browser les.bin"));
        // Storno after the picker: the next showing brings back the state saved
        // when "Vybrat scénu" was pressed, not the one the dialog opened with.
        inDialog([&](Nastaveni_Form* s) {
            combo1 = s->Combo1->currentIndex();
            QVERIFY(s->Option2->isChecked());
            s->Command2->click();
        });
        QCOMPARE(combo1, 5);
    }

    void returningFromThePickerReloadsTheStateFile() {
        QVERIFY(TestSupport::writeRaw("les.bin", ""));
        QString combo2;
        inDialog([&](Nastaveni_Form* s) {
            s->Option2->click();
            Soubor_Form* picker = Soubor_Form::instance();
            whileModal(picker, [picker] {
                QVERIFY(TestSupport::writeRaw("nastaveni.bnc",
                                              stateFile({1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 4, 2, 0, 0})));
                picker->CancelButton->click();
            });
            s->Command4->click();
            combo2 = s->Combo2->currentText();
            s->Command2->click();
        });
        QCOMPARE(combo2, QStringLiteral("32 bitů"));
    }

    void cancellingTheSceneChoice_data() {
        QTest::addColumn<QString>("scene");
        QTest::addColumn<QString>("browser");
        QTest::newRow("cancel in the scene step") << QString() << QString();
        QTest::newRow("cancel in the browser step") << "les.bin" << QString();
    }
    void cancellingTheSceneChoice() {
        QFETCH(QString, scene);
        QFETCH(QString, browser);
        QVERIFY(TestSupport::writeRaw("les.bin", ""));
        QVERIFY(TestSupport::writeRaw("b.bin", ""));
        QString caption;
        inDialog([&](Nastaveni_Form* s) {
            s->Option2->click();
            // A complete choice first: cancelling afterwards loses it too.
            pickScene(s, "les.bin", "b.bin");
            QCOMPARE(s->Command4->text(), QStringLiteral("les.bin"));
            pickScene(s, scene, browser);
            caption = s->Command4->text();
            s->Command2->click();
        });
        QCOMPARE(caption, QStringLiteral("Vybrat scénu"));
        QCOMPARE(Soubor_Form::instance()->cestakescene, QString());
        QCOMPARE(Soubor_Form::instance()->cestakbrowseru, QString());
        QVERIFY(!Soubor_Form::instance()->cancelled);
    }

    void sceneChoiceIsNotOpenedWhenTheStateCannotBeSaved() {
        bool pickerCreated = true;
        inDialog([&](Nastaveni_Form* s) {
            s->Option2->click();
            QVERIFY(QFile::remove("nastaveni.bnc"));
            QVERIFY(QDir().mkdir("nastaveni.bnc"));
            MessageBox::clearRecorded();
            // Only keeps a wrongly shown picker from waiting forever; it
            // captures nothing, as it may run after this test.
            QTimer::singleShot(0, s, [] {
                if (Soubor_Form::existing() && Soubor_Form::existing()->isVisible()) {
                    Soubor_Form::existing()->CancelButton->click();
                }
            });
            s->Command4->click();
            // The picker is created only when it is about to be shown.
            pickerCreated = Soubor_Form::existing() != nullptr;
            QVERIFY(s->Option2->isChecked());
            s->Command2->click();
        });
        QVERIFY(!pickerCreated);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded().at(0).style, int(MessageBox::Warning));
        QVERIFY(MessageBox::recorded().at(0).text.contains("nastaveni.bnc"));
    }

    // The confirmation in rated tests: the messages and the exact
    // configuration each choice writes.
    void confirmRatedTests_data() {
        QTest::addColumn<QList<int>>("state");
        QTest::addColumn<bool>("safeMode");
        QTest::addColumn<bool>("warned");
        QTest::addColumn<QStringList>("engine");

        QTest::newRow("tests 1, 4 and 6 at the rated defaults")
            << QList<int>{0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 0, 4, 0, 0, 1} << false << false
            << QStringList{"640x480 16/16", "full screen", "browser1.bin + test1.bin",
                           "browser4.bin + test4.bin", "browser6.bin + test6.bin"};
        QTest::newRow("stereo warns, then is written")
            << QList<int>{1, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 4, 0, 0, 1} << false << true
            << QStringList{"640x480 16/16", "no intro", "stereo", "browser0.bin + test0.bin",
                           "browser6.bin + test6.bin"};
        QTest::newRow("all switches but no warning; greyed test skipped, greyed boxes on")
            << QList<int>{2, 0, 0, 1, 0, 0, 0, 2, 1, 2, 0, 4, 0, 0, 1} << true << false
            << QStringList{"640x480 16/16", "no intro", "full screen",
                           "endless",       "safe",     "browser3.bin + test3.bin"};
        QTest::newRow("greyed stereo: written, no warning")
            << QList<int>{0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 4, 0, 0, 1} << false << false
            << QStringList{"640x480 16/16", "stereo", "browser5.bin + test5.bin"};
        QTest::newRow("1600x1200, 32 and 24 bits warn")
            << QList<int>{1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 9, 2, 1, 1} << false << true
            << QStringList{"1600x1200 32/24",          "browser0.bin + test0.bin", "browser1.bin + test1.bin",
                           "browser2.bin + test2.bin", "browser3.bin + test3.bin", "browser4.bin + test4.bin",
                           "browser5.bin + test5.bin", "browser6.bin + test6.bin"};
    }
    void confirmRatedTests() {
        QFETCH(QList<int>, state);
        QFETCH(bool, safeMode);
        QFETCH(bool, warned);
        QFETCH(QStringList, engine);
        QVERIFY(TestSupport::writeRaw("nastaveni.bnc", stateFile(state)));
        const QByteArray before = TestSupport::readAll("nastaveni.atr");
        QByteArray atWarning;
        MessageBox::setWhileShown(
            [&](const MessageBox::Shown&) { atWarning = TestSupport::readAll("nastaveni.atr"); });
        bool hidden = false;
        inDialog([&](Nastaveni_Form* s) {
            s->Check6->setValue(safeMode ? 1 : 0);
            s->Command1->click();
            hidden = !s->isVisible();
        });
        QVERIFY(hidden);
        QVERIFY(main()->isVisible());
        if (warned) {
            QCOMPARE(MessageBox::recorded().size(), 1);
            QCOMPARE(MessageBox::recorded().at(0).text, kWarning);
            QCOMPARE(MessageBox::recorded().at(0).style, 48);
            QCOMPARE(MessageBox::recorded().at(0).title, QStringLiteral("Pozor"));
            // The warning comes before anything is written.
            QCOMPARE(atWarning, before);
        } else {
            QVERIFY(MessageBox::recorded().isEmpty());
        }
        QCOMPARE(configuration(), engine);
        QCOMPARE(savedState(), state);
    }

    // A confirmation the dialog refuses: one message, the dialog stays open,
    // and neither file changes.
    void refusedConfirmationWritesNothing_data() {
        QTest::addColumn<QList<int>>("state");
        QTest::addColumn<QString>("message");
        QTest::newRow("no test ticked, rated tests")
            << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 4, 0, 0, 1} << kNoTest;
        QTest::newRow("greyed tests only: none is chosen")
            << QList<int>{2, 2, 2, 2, 2, 2, 2, 0, 0, 1, 0, 4, 0, 0, 1} << kNoTest;
        QTest::newRow("no test ticked, free flight: the test message, not the scene one")
            << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 4, 0, 0, 0} << kNoTest;
        QTest::newRow("free flight without a scene")
            << QList<int>{1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 4, 0, 0, 0} << kNoScene;
    }
    void refusedConfirmationWritesNothing() {
        QFETCH(QList<int>, state);
        QFETCH(QString, message);
        QVERIFY(TestSupport::writeRaw("nastaveni.bnc", stateFile(state)));
        const QByteArray atr = TestSupport::readAll("nastaveni.atr");
        bool stillOpen = false;
        inDialog([&](Nastaveni_Form* s) {
            s->Combo1->setCurrentIndex(0);
            s->Command1->click();
            stillOpen = s->isVisible();
            s->Command2->click();
        });
        QVERIFY(stillOpen);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded().at(0).text, message);
        QCOMPARE(MessageBox::recorded().at(0).style, 0);
        QCOMPARE(MessageBox::recorded().at(0).title, MessageBox::applicationTitle());
        QCOMPARE(TestSupport::readAll("nastaveni.atr"), atr);
        QCOMPARE(TestSupport::readAll("nastaveni.bnc"), stateFile(state));
    }

    void freeFlightWritesBrowserThenScene() {
        const QString scene = QStringLiteral("můj les.bin");
        QVERIFY(TestSupport::writeRaw(scene, ""));
        QVERIFY(TestSupport::writeRaw("browser.bin", ""));
        QVERIFY(
            TestSupport::writeRaw("nastaveni.bnc", stateFile({1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 6, 1, 1, 0})));
        const QStringList expected = {"1024x768 24/24", "no intro",    "stereo",
                                      "endless",        "free flight", "browser.bin + " + scene};
        for (int round = 0; round < 2; ++round) {
            inDialog([&](Nastaveni_Form* s) {
                if (round == 0) {
                    pickScene(s, scene, "browser.bin");
                }
                s->Command1->click();
            });
            // Off the rated defaults but in free flight: no warning.
            QVERIFY(MessageBox::recorded().isEmpty());
            QVERIFY(!dialog()->isVisible());
            QCOMPARE(configuration(), expected);
            QCOMPARE(dialog()->Command4->text(), scene);
        }
    }

    void unsafeNamesHandedInAreNeverWritten() {
        QVERIFY(
            TestSupport::writeRaw("nastaveni.bnc", stateFile({1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 4, 0, 0, 0})));
        const QByteArray atr = TestSupport::readAll("nastaveni.atr");
        Soubor_Form::instance()->cestakescene = QStringLiteral("a\"\r\n*SAFE.bin");
        Soubor_Form::instance()->cestakbrowseru = QStringLiteral("b.bin");
        bool stillOpen = false;
        inDialog([&](Nastaveni_Form* s) {
            s->Command1->click();
            stillOpen = s->isVisible();
            s->Command2->click();
        });
        QVERIFY(stillOpen);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded().at(0).style, 48);
        QCOMPARE(TestSupport::readAll("nastaveni.atr"), atr);
    }

    void writeFailuresKeepTheDialogOpenAndLoseNothing_data() {
        QTest::addColumn<QString>("blocked");
        QTest::newRow("engine configuration") << "nastaveni.atr";
        QTest::newRow("state file") << "nastaveni.bnc";
    }
    void writeFailuresKeepTheDialogOpenAndLoseNothing() {
        QFETCH(QString, blocked);
        const QByteArray state = stateFile({1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 4, 0, 0, 1});
        QVERIFY(TestSupport::writeRaw("nastaveni.bnc", state));
        bool stillOpen = false;
        QByteArray atrAfter;
        inDialog([&](Nastaveni_Form* s) {
            // A directory of the file's name makes any write fail, even for root.
            QVERIFY(QFile::remove(blocked));
            QVERIFY(QDir().mkdir(blocked));
            s->Check4[2]->click();
            MessageBox::clearRecorded();
            s->Command1->click();
            stillOpen = s->isVisible();
            QCOMPARE(testValues(s), (QList<qint16>{1, 1, 0, 1, 1, 1, 1}));
            s->Command2->click();
        });
        QVERIFY(stillOpen);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded().at(0).style, 48);
        QVERIFY(MessageBox::recorded().at(0).text.contains(blocked));
        QVERIFY(QFileInfo(blocked).isDir());
        if (blocked == QLatin1String("nastaveni.atr")) {
            QCOMPARE(TestSupport::readAll("nastaveni.bnc"), state);
        } else {
            // The configuration went out whole; the dialog stays open so that
            // the user can confirm again once the state file can be written.
            QCOMPARE(configuration().last(), QStringLiteral("browser6.bin + test6.bin"));
        }
    }

    void missingStateFileThatCannotBeCreatedShowsStandardSettings() {
        QVERIFY(QDir().mkdir("nastaveni.bnc"));
        QList<qint16> tests;
        inDialog([&](Nastaveni_Form* s) {
            tests = testValues(s);
            s->Command2->click();
        });
        QCOMPARE(tests, QList<qint16>(7, 1));
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded().at(0).style, 48);
    }

    // "Spustit": the engine starts every time; the wait dialog only for a
    // rated run as the dialog's controls stand.
    void ratedRunCheckBeforeTheDialogWasShown() {
        main()->Command1->click();
        QCOMPARE(DesktopLauncher::recorded().size(), 1);
        QCOMPARE(DesktopLauncher::recorded().at(0).file, QStringLiteral("trenzor.exe"));
        QCOMPARE(DesktopLauncher::recorded().at(0).parameters, QStringLiteral("0"));
        QVERIFY(Nastaveni_Form::existing());
        QVERIFY(!Nastaveni_Form::existing()->isVisible());
        QVERIFY(!QFile::exists("nastaveni.bnc"));
        QVERIFY(!Cekejte_form::existing());
    }

    void ratedRunCheck_data() {
        QTest::addColumn<QList<int>>("state");
        QTest::addColumn<bool>("rated");
        QTest::newRow("standard") << QList<int>{1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 4, 0, 0, 1} << true;
        QTest::newRow("some tests, switches on")
            << QList<int>{0, 1, 0, 0, 0, 0, 0, 1, 1, 0, 0, 4, 0, 0, 1} << true;
        QTest::newRow("stereo ticked") << QList<int>{1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 1, 4, 0, 0, 1} << false;
        QTest::newRow("stereo greyed") << QList<int>{1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 2, 4, 0, 0, 1} << false;
        QTest::newRow("free flight") << QList<int>{1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 4, 0, 0, 0} << false;
        QTest::newRow("800x600") << QList<int>{1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 5, 0, 0, 1} << false;
        QTest::newRow("24-bit colour") << QList<int>{1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 4, 1, 0, 1} << false;
        QTest::newRow("24-bit depth") << QList<int>{1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 4, 0, 1, 1} << false;
    }
    void ratedRunCheck() {
        QFETCH(QList<int>, state);
        QFETCH(bool, rated);
        QVERIFY(TestSupport::writeRaw("nastaveni.bnc", stateFile(state)));
        inDialog([](Nastaveni_Form* s) { s->Command2->click(); });
        for (int press = 0; press < 2; ++press) {
            main()->Command1->click();
            QCOMPARE(DesktopLauncher::recorded().size(), press + 1);
            QCOMPARE(Cekejte_form::existing() != nullptr, rated);
            if (rated) {
                QVERIFY(Cekejte_form::existing()->isVisible());
            }
        }
        if (rated) {
            // Pressed twice, the one wait dialog only comes to the front.
            int waitDialogs = 0;
            for (QWidget* window : QApplication::topLevelWidgets()) {
                waitDialogs += qobject_cast<Cekejte_form*>(window) && window->isVisible();
            }
            QCOMPARE(waitDialogs, 1);
        }
    }

    void ratedRunCheckJudgesUnconfirmedEdits() {
        inDialog([](Nastaveni_Form* s) { s->Command1->click(); });
        const QByteArray atr = TestSupport::readAll("nastaveni.atr");
        inDialog([](Nastaveni_Form* s) {
            s->Combo1->setCurrentIndex(5);
            s->Command2->click();
        });
        main()->Command1->click();
        QVERIFY(!Cekejte_form::existing());
        QCOMPARE(TestSupport::readAll("nastaveni.atr"), atr);
    }
};

QTEST_MAIN(TestNastaveniForm)
#include "tst_nastaveni_form.moc"
