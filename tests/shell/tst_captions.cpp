// The captions as the window system gets them: the X property _NET_WM_NAME
// of every window and of both kinds of message box, read with xprop, after
// the program has started the way main() starts it. Runs on a real X display
// only (its own Xvfb, platform xcb).
#include "TestSupport.h"
#include "WorkingFolder.h"
#include "common/DesktopLauncher.h"
#include "common/FormDisplay.h"
#include "common/MessageBox.h"
#include "contract/FolderLock.h"
#include "results/Vysledky2_Form.h"
#include "results/Vysledky_Form.h"
#include "settings/Nastaveni_Form.h"
#include "settings/Soubor_Form.h"
#include "shell/Cekejte_form.h"
#include "shell/FrontEnd.h"
#include "shell/Hlavni_Form.h"
#include "shell/OProgramu_Form.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QtTest>

namespace {

// The window's _NET_WM_NAME as the X server holds it.
QString netWmName(const QWidget* window) {
    QProcess xprop;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    xprop.setProcessEnvironment(environment);
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()),
                                          QStringLiteral("-notype"), QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(10000) || xprop.exitCode() != 0) {
        return QStringLiteral("<xprop failed: %1>").arg(QString::fromLocal8Bit(xprop.readAllStandardError()));
    }
    // _NET_WM_NAME = "Nastavení"
    const QString output = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype first = output.indexOf(QLatin1Char('"'));
    const qsizetype last = output.lastIndexOf(QLatin1Char('"'));
    return first >= 0 && last > first ? output.mid(first + 1, last - first - 1) : output;
}

} // namespace

class TestCaptions : public QObject {
    Q_OBJECT

    std::optional<WorkingFolder> m_folder;
    FolderLock m_lock;

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs an X display: run under tests/with-x-server.sh with QT_QPA_PLATFORM=xcb");
        }
        QVERIFY(m_folder.emplace().isValid());
        // A results log and a database, so that both results windows stay open.
        QVERIFY(
            TestSupport::writeRaw(QStringLiteral("vysledek.log"),
                                  QByteArray("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\n1\r\n1\r\n1\r\nkonec\r\n")));
        QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), QByteArray("P\r\n 5\r\nG\r\nM\r\n")));
        DesktopLauncher::startRecording();
        QVERIFY(FrontEnd::Start(m_lock));
    }
    void cleanupTestCase() {
        TestSupport::destroyAllWindows();
        DesktopLauncher::stopRecording();
        m_folder.reset();
    }

    void windows_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("caption");
        QTest::newRow("main window") << 0 << QStringLiteral("3D výkon");
        QTest::newRow("settings dialog") << 1 << QStringLiteral("Nastavení");
        QTest::newRow("scene picker") << 2 << QStringLiteral("Dialog Caption");
        QTest::newRow("wait dialog") << 3 << QStringLiteral("Čekejte prosím");
        QTest::newRow("about box") << 4 << QStringLiteral("O programu");
        QTest::newRow("results window") << 5 << QStringLiteral("Výsledky testů");
        QTest::newRow("comparison window") << 6 << QStringLiteral("Form1");
    }
    void windows() {
        QFETCH(int, window);
        QFETCH(QString, caption);
        MessageBox::startRecording();
        QWidget* const windows[] = {Hlavni_Form::instance(),    Nastaveni_Form::instance(),
                                    Soubor_Form::instance(),    Cekejte_form::instance(),
                                    OProgramu_Form::instance(), Vysledky_Form::instance(),
                                    Vysledky2_Form::instance()};
        QWidget* shown = windows[window];
        FormDisplay::showModeless(shown);
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        MessageBox::stopRecording();
        QCOMPARE(shown->windowTitle(), caption);
        QCOMPARE(netWmName(shown), caption);
    }

    void messageBoxes_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::newRow("application title")
            << int(MessageBox::Plain) << QString() << QStringLiteral("3D výkon");
        QTest::newRow("warning") << int(MessageBox::Warning) << QStringLiteral("Pozor")
                                 << QStringLiteral("Pozor");
    }
    void messageBoxes() {
        QFETCH(int, style);
        QFETCH(QString, title);
        QFETCH(QString, caption);
        QString seen = QStringLiteral("<no box>");
        // Read while the box stands open, then press its OK button.
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->windowHandle() && box->windowHandle()->isExposed()) {
                poll.stop();
                seen = netWmName(box) + u'|' + box->button(QMessageBox::Ok)->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        poll.start(50);
        MessageBox::show(QStringLiteral("Text"), style, title);
        // The button keeps its text with Qt's Czech translations loaded.
        QCOMPARE(seen, caption + QStringLiteral("|OK"));
    }

    // Qt's own dialogs, such as the save dialog of the details window, speak
    // Czech like the program, whatever the desktop's language.
    void qtDialogsInCzech() {
        QDialogButtonBox buttons(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Save)->text(), QStringLiteral("Uložit"));
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Zrušit"));
    }
};

QTEST_MAIN(TestCaptions)
#include "tst_captions.moc"
