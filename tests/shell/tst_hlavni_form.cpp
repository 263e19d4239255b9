#include "FrontEndFolder.h"
#include "TestSupport.h"
#include "common/DesktopLauncher.h"
#include "common/FormDisplay.h"
#include "common/MessageBox.h"
#include "contract/EngineConfig.h"
#include "settings/Nastaveni_Form.h"
#include "shell/Cekejte_form.h"
#include "shell/Hlavni_Form.h"
#include "shell/OProgramu_Form.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

using TestSupport::destroyAllWindows;
using TestSupport::readAll;

class TestHlavniForm : public QObject {
    Q_OBJECT

    std::optional<FrontEndFolder> m_folder;

private slots:
    void init() { QVERIFY(m_folder.emplace().isValid()); }
    void cleanup() { m_folder.reset(); }

    void startUpInAnEmptyFolderWritesTheDefaultFile() {
        Hlavni_Form::instance();
        const QByteArray written = readAll(EngineContract::kConfigFileName);
        QCOMPARE(written.size(), 413);
        QCOMPARE(written, EngineConfig::StartUpFile());
        QVERIFY(MessageBox::recorded().isEmpty());
        // Nothing else is written at start.
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{EngineContract::kConfigFileName});
    }

    void anExistingFileIsLeftAsItIs_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("the user's own") << QByteArray("*PLAYERCOUNT 1\n*SCENELIST 0 \"x.bin\"");
        QTest::newRow("written before") << EngineConfig::StartUpFile();
    }

    void anExistingFileIsLeftAsItIs() {
        QFETCH(QByteArray, content);
        QVERIFY(TestSupport::writeRaw(EngineContract::kConfigFileName, content));
        Hlavni_Form::instance();
        QCOMPARE(readAll(EngineContract::kConfigFileName), content);
        // A second start of the program leaves it too.
        destroyAllWindows();
        Hlavni_Form::instance();
        QCOMPARE(readAll(EngineContract::kConfigFileName), content);
    }

    void aFolderInTheFilesPlaceIsReportedAndTheWindowStillOpens() {
        QVERIFY(QDir().mkdir(EngineContract::kConfigFileName));
        Hlavni_Form* form = Hlavni_Form::instance();
        QCOMPARE(MessageBox::recorded().size(), 1);
        const MessageBox::Shown shown = MessageBox::recorded().first();
        QCOMPARE(shown.style, int(MessageBox::Warning));
        QVERIFY(shown.text.contains(EngineContract::kConfigFileName));
        QCOMPARE(shown.title, MessageBox::applicationTitle());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(QFileInfo(EngineContract::kConfigFileName).isDir());
    }

    void aFullDiskIsReportedAndLeavesNoFile() {
        {
            const TestSupport::FileSizeLimit limit(50);
            Hlavni_Form::instance();
        }
        QCOMPARE(MessageBox::recorded().size(), 1);
        QVERIFY(MessageBox::recorded().first().text.contains(EngineContract::kConfigFileName));
        QVERIFY(!QFile::exists(EngineContract::kConfigFileName));
    }

    void spustitStartsTheEngineEveryTime() {
        Hlavni_Form* form = Hlavni_Form::instance();
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        QCOMPARE(DesktopLauncher::recorded().size(), 2);
        for (const DesktopLauncher::Launch& launch : DesktopLauncher::recorded()) {
            QCOMPARE(launch.file, QStringLiteral("trenzor.exe"));
            QCOMPARE(launch.parameters, QStringLiteral("0"));
        }
        // A recorded start succeeds: nothing to report.
        QVERIFY(MessageBox::recorded().isEmpty());
        // The engine reads the file as it stands: "Spustit" never writes it.
        QCOMPARE(readAll(EngineContract::kConfigFileName).size(), 413);
    }

    void pomocOpensTheHelpFile() {
        Hlavni_Form* form = Hlavni_Form::instance();
        form->Pomoc->trigger();
        QCOMPARE(DesktopLauncher::recorded().size(), 1);
        QCOMPARE(DesktopLauncher::recorded().first().file, QStringLiteral("pomoc.chm"));
        QCOMPARE(DesktopLauncher::recorded().first().parameters, QStringLiteral("0"));
    }

    // The real launch: an executable is started in the current directory with
    // the parameter string as its argument, and "Spustit" returns at once.
    void theEngineIsStartedForReal() {
        DesktopLauncher::stopRecording();
        QVERIFY(TestSupport::writeRaw("trenzor.exe", "#!/bin/sh\necho \"$PWD|$*\" > started.txt\n", 0755));
        Hlavni_Form::instance()->Command1_Click();
        QTRY_VERIFY(QFileInfo("started.txt").size() > 0);
        QCOMPARE(readAll("started.txt"), QDir::currentPath().toUtf8() + "|0\n");
    }

    // An engine that cannot be started is reported with the system's reason,
    // and a rated run does not send the user to wait for its results.
    void anEngineThatCannotStartIsReported_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("started");
        const QByteArray script = "#!/bin/sh\necho \"$*\" > started.txt\n";
        QTest::newRow("a program that starts") << script << 0755 << QString() << true;
        QTest::newRow("missing") << QByteArray() << -1 << QString::fromLocal8Bit(std::strerror(ENOENT))
                                 << false;
        QTest::newRow("not executable")
            << script << 0644 << QString::fromLocal8Bit(std::strerror(EACCES)) << false;
        QTest::newRow("a folder") << QByteArray() << -2 << QString::fromLocal8Bit(std::strerror(EISDIR))
                                  << false;
        QTest::newRow("its interpreter missing")
            << QByteArray("#!/nonexistent/interpreter\n") << 0755 << QString() << false;
    }

    void anEngineThatCannotStartIsReported() {
        QFETCH(QByteArray, content);
        QFETCH(int, mode);
        QFETCH(QString, reason);
        QFETCH(bool, started);
        DesktopLauncher::stopRecording();
        if (mode == -2) {
            QVERIFY(QDir().mkdir("trenzor.exe"));
        } else if (mode >= 0) {
            QVERIFY(TestSupport::writeRaw("trenzor.exe", content, mode_t(mode)));
        }
        Hlavni_Form* form = Hlavni_Form::instance();
        Nastaveni_Form::instance()->SetStandardSettings();
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        if (started) {
            QVERIFY(MessageBox::recorded().isEmpty());
            QVERIFY(Cekejte_form::existing() && Cekejte_form::existing()->isVisible());
            QTRY_COMPARE(readAll("started.txt"), QByteArray("0\n"));
            return;
        }
        QCOMPARE(MessageBox::recorded().size(), 1);
        const MessageBox::Shown shown = MessageBox::recorded().first();
        QCOMPARE(shown.style, int(MessageBox::Warning));
        QCOMPARE(shown.text.section(QStringLiteral("\n\n"), 0, 0),
                 QStringLiteral("Testovací program „trenzor.exe“ nelze spustit."));
        const QString given = shown.text.section(QStringLiteral("\n\n"), 1);
        QVERIFY2(!given.isEmpty(), qPrintable(shown.text));
        if (!reason.isEmpty()) {
            QCOMPARE(given, reason);
        }
        QVERIFY(!Cekejte_form::existing() || !Cekejte_form::existing()->isVisible());
    }

    void endingClosesEveryWindow_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Konec in the menu") << 0;
        QTest::newRow("Ctrl+K") << 1;
        QTest::newRow("closing the main window") << 2;
    }

    void endingClosesEveryWindow() {
        QFETCH(int, how);
        QPointer<Hlavni_Form> form = Hlavni_Form::instance();
        FormDisplay::showModeless(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        QPointer<Cekejte_form> wait = Cekejte_form::instance();
        FormDisplay::showModeless(wait);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));

        const QSignalSpy ended(form.data(), &Hlavni_Form::programEnded);
        if (how == 0) {
            form->Konec->trigger();
        } else if (how == 1) {
            QTest::keyClick(form, Qt::Key_K, Qt::ControlModifier);
        } else {
            form->close();
        }
        QCOMPARE(ended.size(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form.isNull());
        QVERIFY(wait.isNull());
        QVERIFY(!Hlavni_Form::existing());
    }

    // Ctrl+K belongs to the main window's menu: in another active window,
    // the settings dialog and the about box included, it ends nothing.
    void ctrlKEndsOnlyFromTheMainWindow() {
        QPointer<Hlavni_Form> form = Hlavni_Form::instance();
        FormDisplay::showModeless(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        const QSignalSpy ended(form.data(), &Hlavni_Form::programEnded);
        const QList<QWidget*> others{Nastaveni_Form::instance(), OProgramu_Form::instance(),
                                     Cekejte_form::instance()};
        for (QWidget* other : others) {
            FormDisplay::showModeless(other);
            other->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(other));
            QTest::keyClick(other, Qt::Key_K, Qt::ControlModifier);
            QCOMPARE(ended.size(), 0);
            QVERIFY(other->isVisible());
        }
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::keyClick(form, Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(ended.size(), 1);
    }

    void layoutAsDesigned() {
        Hlavni_Form* form = Hlavni_Form::instance();
        QCOMPARE(form->windowTitle(), QStringLiteral("3D výkon"));
        QCOMPARE(form->centralWidget()->size(), QSize(185, 304)); // 2775 × 4560 twips
        const struct {
            QToolButton* button;
            const char* caption;
            int top;
            const char* tip;
            bool picture;
        } buttons[] = {
            {form->Command1, "Spustit", 16, "Všechny testy vybrané v dialogu Nastavení se spustí.", true},
            {form->Command2, "Nastavení", 112, "Zobrazí dialog kde upravíte nastavení testů.", true},
            {form->Command3, "Prohlédnout výsledky testování", 208, "", false},
        };
        for (const auto& b : buttons) {
            QCOMPARE(b.button->text(), QString::fromUtf8(b.caption));
            QCOMPARE(b.button->geometry(), QRect(24, b.top, 137, 81));
            QCOMPARE(b.button->toolTip(), QString::fromUtf8(b.tip));
            QCOMPARE(!b.button->icon().isNull(), b.picture);
        }
        // The light-grey background of the pictures is transparent.
        const QImage picture = form->Command1->icon().pixmap(32, 32).toImage();
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);
        QVERIFY(qAlpha(picture.pixel(16, 16)) > 0);

        QCOMPARE(form->Command1->nextInFocusChain(), form->Command2);
        QCOMPARE(form->Command2->nextInFocusChain(), form->Command3);

        // Fixed border without minimise and maximise.
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!(form->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    }

    void menus() {
        Hlavni_Form* form = Hlavni_Form::instance();
        const QList<QAction*> bar = form->menuBar()->actions();
        QCOMPARE(bar.size(), 3);
        QCOMPARE(bar[0]->text(), QStringLiteral("Soubor"));
        QCOMPARE(bar[0]->menu()->actions(), QList<QAction*>{form->Konec});
        QCOMPARE(form->Konec->text(), QStringLiteral("Konec"));
        QCOMPARE(form->Konec->shortcut(), QKeySequence(QStringLiteral("Ctrl+K")));
        QCOMPARE(bar[1], form->Nastaveni);
        QCOMPARE(bar[1]->text(), QStringLiteral("Nastavení"));
        QVERIFY(!bar[1]->menu());
        QCOMPARE(bar[2]->text(), QStringLiteral("Nápověda"));
        QCOMPARE(bar[2]->menu()->actions(), (QList<QAction*>{form->Pomoc, form->OProgramu}));
        QCOMPARE(form->Pomoc->text(), QStringLiteral("Pomoc"));
        QCOMPARE(form->OProgramu->text(), QStringLiteral("O Programu"));
        // All three fit the narrow window.
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        for (QAction* action : bar) {
            const QRect item = form->menuBar()->actionGeometry(action);
            QVERIFY2(item.isValid() && item.right() < form->width(), qPrintable(action->text()));
        }
    }

    void waitDialogLayout() {
        Cekejte_form* wait = Cekejte_form::instance();
        QCOMPARE(wait->windowTitle(), QStringLiteral("Čekejte prosím"));
        QCOMPARE(wait->size(), QSize(312, 206)); // 4680 × 3090 twips
        QCOMPARE(wait->Label1->text(), QStringLiteral("Počkejte až proběhnou testy..."));
        QCOMPARE(wait->Label1->geometry(), QRect(40, 16, 225, 33));
        QCOMPARE(wait->Command1->text(), QStringLiteral("Zobrazit výsledky"));
        QCOMPARE(wait->Command1->geometry(), QRect(64, 64, 177, 33));
        QVERIFY(wait->testAttribute(Qt::WA_DeleteOnClose));
    }
};

QTEST_MAIN(TestHlavniForm)
#include "tst_hlavni_form.moc"
