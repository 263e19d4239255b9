// Every writer of the front end made to fail for real, the way a user meets
// it: a folder where the file should be, a file-size limit, and a full file
// system. Each time the user must be told which file could not be written
// and why, the window must stay open and work once the cause is gone, and
// nothing in the working folder may change: the previous "systemy.dtb",
// "nastaveni.bnc" and "nastaveni.atr" stay byte for byte, and no half-written
// or temporary file is left behind.
#include "FrontEndFolder.h"
#include "LogFixture.h"
#include "TestSupport.h"
#include "WaitDialog.h"
#include "common/DesktopLauncher.h"
#include "common/FormDisplay.h"
#include "common/MessageBox.h"
#include "contract/Cp1250Codec.h"
#include "contract/EngineConfig.h"
#include "results/ComparisonList.h"
#include "results/Vysledky_Form.h"
#include "settings/Nastaveni_Form.h"
#include "settings/SettingsTestSupport.h"
#include "settings/Soubor_Form.h"
#include "settings/ValueCheckBox.h"
#include "shell/Cekejte_form.h"
#include "shell/Hlavni_Form.h"
#include "shell/OProgramu_Form.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QThreadPool>
#include <QToolButton>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/mount.h>
#include <unistd.h>

namespace {

enum class Obstacle { Folder, SizeLimit, FullDisk };

const QString kAtr = QStringLiteral("nastaveni.atr");
const QString kBnc = QStringLiteral("nastaveni.bnc");
const QString kDtb = QStringLiteral("systemy.dtb");
// Takes the last free space of the small file system.
const QString kFiller = QStringLiteral("zaplneni.bin");

// A state file: the seven tests, Check1, Check2, Check3, Check5, the three
// list positions, the mode.
QByteArray stateFile(const QList<int>& values) {
    QByteArray bytes;
    for (const int value : values) {
        bytes += (value < 0 ? QByteArray::number(value) : ' ' + QByteArray::number(value)) + " \r\n";
    }
    return bytes;
}

const QByteArray kStandardState = stateFile({1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 4, 0, 0, 1});
// The user's own settings: the last test left out.
const QByteArray kUserState = stateFile({1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 0, 4, 0, 0, 1});
const QByteArray kUserConfig = "*PLAYERCOUNT 1\r\n*RESOLUTION 640 480 16\r\n*SCENELIST 0 \"browser0.bin\"\r\n"
                               "*SCENELIST 0 \"test0.bin\"\r\n";

QByteArray cp1250(const QString& text) {
    return Cp1250Codec::encode(text).bytes;
}

QByteArray record(const QString& computer, const QByteArray& score) {
    return cp1250(computer) + "\r\n" + score + "\r\n" + cp1250(QStringLiteral("Karta Žluťoučká")) + "\r\n" +
           cp1250(QStringLiteral("Paměť 64 MB")) + "\r\n";
}

const QByteArray kDatabase =
    record(QStringLiteral("Počítač pomalý"), " 10") + record(QStringLiteral("Počítač rychlý"), " 40");

// The user's own version of each file, which no failure may touch.
QByteArray previousContent(const QString& name) {
    return name == kAtr ? kUserConfig : name == kBnc ? kUserState : kDatabase;
}

// A complete rated run scoring 30: seven blocks of one frame.
const QByteArray kRatedLog = LogFixture::log(QList<QList<double>>(7, {30.0}));

QList<qint16> testValues(const Nastaveni_Form* settings) {
    QList<qint16> values;
    for (const ValueCheckBox* box : settings->Check4) {
        values.append(box->Value());
    }
    return values;
}

} // namespace

class TestWriteFailures : public QObject {
    Q_OBJECT

    std::optional<FrontEndFolder> m_folder;
    bool m_mounted = false;
    Obstacle m_obstacle = Obstacle::Folder;
    std::optional<TestSupport::FileSizeLimit> m_limit;

    // Makes the working folder ready for the current row's obstacle (the
    // full disk needs a small file system of its own) and lays down the
    // user's previous versions of the named files. Empty when ready, else why
    // it cannot be.
    std::optional<QString> prepare(const QStringList& previousFiles) {
        QFETCH(Obstacle, obstacle);
        m_obstacle = obstacle;
        if (const std::optional<QString> reason = mountIfNeeded()) {
            return reason;
        }
        for (const QString& name : previousFiles) {
            if (!TestSupport::writeRaw(name, previousContent(name))) {
                return QStringLiteral("the previous %1 cannot be written").arg(name);
            }
        }
        return std::nullopt;
    }

    std::optional<QString> mountIfNeeded() {
        if (m_obstacle != Obstacle::FullDisk) {
            return std::nullopt;
        }
        const QByteArray path = QFile::encodeName(m_folder->path());
        if (::mount("tmpfs", path.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0) {
            return QStringLiteral("a small file system cannot be mounted here (%1); mounting needs root")
                .arg(QString::fromLocal8Bit(std::strerror(errno)));
        }
        m_mounted = true;
        // Enter the mounted file system rather than the folder beneath it.
        if (!QDir::setCurrent(m_folder->path())) {
            return QStringLiteral("the mounted file system cannot be entered");
        }
        return std::nullopt;
    }

    // Makes the next write of the named file fail.
    void block(const QString& name) {
        switch (m_obstacle) {
        case Obstacle::Folder:
            QFile::remove(name);
            QVERIFY(QDir().mkdir(name));
            break;
        case Obstacle::SizeLimit: {
            QFETCH(qint64, sizeLimit);
            m_limit.emplace(static_cast<rlim_t>(sizeLimit));
            break;
        }
        case Obstacle::FullDisk:
            fillTheDisk();
            break;
        }
    }

    // Takes the cause away, as the user would: the folder removed, the
    // limit lifted, space freed.
    void lift(const QString& name) {
        switch (m_obstacle) {
        case Obstacle::Folder:
            QVERIFY(QDir().rmdir(name));
            break;
        case Obstacle::SizeLimit:
            m_limit.reset();
            break;
        case Obstacle::FullDisk:
            QVERIFY(QFile::remove(kFiller));
            break;
        }
    }

    static void fillTheDisk() {
        const int fd = ::open(QFile::encodeName(kFiller).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        const QByteArray chunk(4096, 'x');
        int error = 0;
        for (;;) {
            if (::write(fd, chunk.constData(), static_cast<size_t>(chunk.size())) < 0) {
                error = errno;
                break;
            }
        }
        ::close(fd);
        QCOMPARE(error, ENOSPC);
    }

    // The system's reason each obstacle gives.
    QString expectedReason() const {
        const int error = m_obstacle == Obstacle::Folder      ? EISDIR
                          : m_obstacle == Obstacle::SizeLimit ? EFBIG
                                                              : ENOSPC;
        return QString::fromLocal8Bit(std::strerror(error));
    }

    // Everything in the working folder but the filler: files by their bytes,
    // folders as such.
    static QMap<QString, QByteArray> folderContents() {
        QMap<QString, QByteArray> contents;
        const QFileInfoList entries =
            QDir().entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries) {
            if (entry.fileName() != kFiller) {
                contents.insert(entry.fileName(), entry.isDir() ? QByteArray("<folder>")
                                                                : TestSupport::readAll(entry.fileName()));
            }
        }
        return contents;
    }

    // Exactly one warning, naming the file and the system's reason.
    void checkReported(const QString& name) const {
        QCOMPARE(MessageBox::recorded().size(), 1);
        const MessageBox::Shown& shown = MessageBox::recorded().first();
        QCOMPARE(shown.style, int(MessageBox::Warning));
        QVERIFY2(shown.text.contains(QStringLiteral("„%1“ nelze zapsat").arg(name)), qPrintable(shown.text));
        QVERIFY2(shown.text.contains(expectedReason()), qPrintable(shown.text));
    }

    static void writePrevious(const QString& name, const QByteArray& bytes) {
        QVERIFY(TestSupport::writeRaw(name, bytes));
    }

    // Opens the settings dialog from the main window and acts in it.
    static void inDialog(const std::function<void(Nastaveni_Form*)>& action) {
        Nastaveni_Form* settings = Nastaveni_Form::instance();
        whileModal(settings, [settings, action] { action(settings); });
        Hlavni_Form::instance()->Command2_Click();
    }

    static void addRows(qint64 sizeLimit) {
        QTest::addColumn<Obstacle>("obstacle");
        QTest::addColumn<qint64>("sizeLimit");
        QTest::newRow("folder in the file's place") << Obstacle::Folder << qint64(0);
        QTest::newRow("file-size limit") << Obstacle::SizeLimit << sizeLimit;
        QTest::newRow("full file system") << Obstacle::FullDisk << qint64(0);
    }

private slots:
    void init() { QVERIFY(m_folder.emplace().isValid()); }

    void cleanup() {
        m_limit.reset();
        if (m_mounted) {
            m_mounted = false;
            QVERIFY2(::umount2(QFile::encodeName(m_folder->path()).constData(), MNT_DETACH) == 0,
                     std::strerror(errno));
        }
        m_folder.reset();
    }

    // Start-up without "nastaveni.atr" writes the default configuration. A
    // limit that lets the directives through but not the scene list must not
    // leave a file without scenes, which every later start would keep.
    void startUpDefaultConfiguration_data() {
        addRows(100);
        QTest::newRow("file-size limit inside the scene list") << Obstacle::SizeLimit << qint64(380);
    }
    void startUpDefaultConfiguration() {
        if (const std::optional<QString> reason = prepare({kBnc, kDtb})) {
            QSKIP(qPrintable(*reason));
        }
        block(kAtr);
        const QMap<QString, QByteArray> before = folderContents();
        Hlavni_Form* form = Hlavni_Form::instance();
        m_limit.reset();
        checkReported(kAtr);
        QCOMPARE(folderContents(), before);

        FormDisplay::showModeless(form);
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        QCOMPARE(DesktopLauncher::recorded().size(), 1);

        // The next start, with the cause gone, writes the whole default file.
        lift(kAtr);
        delete Cekejte_form::existing();
        delete Nastaveni_Form::existing();
        delete form;
        MessageBox::clearRecorded();
        Hlavni_Form::instance();
        QVERIFY(MessageBox::recorded().isEmpty());
        QCOMPARE(TestSupport::readAll(kAtr), EngineConfig::StartUpFile());
    }

    // "OK" in the settings dialog: the engine configuration cannot be
    // written, so neither it nor the state file changes, and the dialog
    // stays open with the user's edit.
    void settingsConfirmation_data() { addRows(100); }
    void settingsConfirmation() {
        if (const std::optional<QString> reason = prepare({kAtr, kBnc, kDtb})) {
            QSKIP(qPrintable(*reason));
        }
        bool openAfterFailure = false;
        bool hiddenAfterRetry = false;
        QList<qint16> testsAfterFailure;
        QMap<QString, QByteArray> before;
        QMap<QString, QByteArray> after;
        inDialog([&](Nastaveni_Form* s) {
            s->Check4[2]->click();
            block(kAtr);
            before = folderContents();
            MessageBox::clearRecorded();
            s->Command1->click();
            m_limit.reset();
            after = folderContents();
            openAfterFailure = s->isVisible();
            testsAfterFailure = testValues(s);
            checkReported(kAtr);
            lift(kAtr);
            MessageBox::clearRecorded();
            s->Command1->click();
            hiddenAfterRetry = !s->isVisible();
        });
        QCOMPARE(after, before);
        QVERIFY(openAfterFailure);
        QCOMPARE(testsAfterFailure, (QList<qint16>{1, 1, 0, 1, 1, 1, 0}));
        QVERIFY(hiddenAfterRetry);
        QVERIFY(MessageBox::recorded().isEmpty());
        QCOMPARE(TestSupport::readAll(kBnc), stateFile({1, 1, 0, 1, 1, 1, 0, 0, 0, 1, 0, 4, 0, 0, 1}));
        QVERIFY(TestSupport::readAll(kAtr).endsWith("*SCENELIST 4 \"test5.bin\"\r\n"));
        QCOMPARE(TestSupport::readAll(kDtb), kDatabase);
    }

    // "Vybrat scénu" saves the dialog's state before the picker opens; when
    // that fails the picker does not open and the choices stay on screen.
    void sceneChoice_data() { addRows(16); }
    void sceneChoice() {
        if (const std::optional<QString> reason = prepare({kAtr, kBnc, kDtb})) {
            QSKIP(qPrintable(*reason));
        }
        bool pickerCreated = true;
        bool freeFlightKept = false;
        bool pickerShownOnRetry = false;
        QMap<QString, QByteArray> before;
        QMap<QString, QByteArray> after;
        inDialog([&](Nastaveni_Form* s) {
            s->Option2->click();
            block(kBnc);
            before = folderContents();
            MessageBox::clearRecorded();
            s->Command4->click();
            m_limit.reset();
            after = folderContents();
            pickerCreated = Soubor_Form::existing() != nullptr;
            freeFlightKept = s->isVisible() && s->Option2->isChecked() && s->Command4->isEnabled();
            checkReported(kBnc);
            lift(kBnc);
            MessageBox::clearRecorded();
            Soubor_Form* picker = Soubor_Form::instance();
            whileModal(picker, [&] {
                pickerShownOnRetry = true;
                picker->CancelButton->click();
            });
            s->Command4->click();
            s->Command2->click();
        });
        QCOMPARE(after, before);
        QVERIFY(!pickerCreated);
        QVERIFY(freeFlightKept);
        QVERIFY(pickerShownOnRetry);
        QVERIFY(MessageBox::recorded().isEmpty());
        QCOMPARE(TestSupport::readAll(kBnc), stateFile({1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 0, 4, 0, 0, 0}));
        QCOMPARE(TestSupport::readAll(kAtr), kUserConfig);
    }

    // The first activation without a state file saves the standard
    // settings; when that fails they are still shown, and the next
    // activation saves them.
    void firstActivationStandardSettings_data() { addRows(16); }
    void firstActivationStandardSettings() {
        if (const std::optional<QString> reason = prepare({kAtr, kDtb})) {
            QSKIP(qPrintable(*reason));
        }
        Hlavni_Form::instance();
        block(kBnc);
        const QMap<QString, QByteArray> before = folderContents();
        bool shownAsStandard = false;
        inDialog([&](Nastaveni_Form* s) {
            shownAsStandard = testValues(s) == QList<qint16>(7, 1) && s->Option1->isChecked() &&
                              s->ListsShowStandardEntries() && s->Check3->Value() == 1;
            s->Command2->click();
        });
        m_limit.reset();
        QCOMPARE(folderContents(), before);
        checkReported(kBnc);
        QVERIFY(shownAsStandard);
        QVERIFY(Hlavni_Form::instance()->isVisible());

        lift(kBnc);
        MessageBox::clearRecorded();
        inDialog([](Nastaveni_Form* s) { s->Command2->click(); });
        QVERIFY(MessageBox::recorded().isEmpty());
        QCOMPARE(TestSupport::readAll(kBnc), kStandardState);
        QCOMPARE(TestSupport::readAll(kAtr), kUserConfig);
        QCOMPARE(TestSupport::readAll(kDtb), kDatabase);
    }

    // "Uložit výsledek": the database that was read stays whole, the window
    // stays with its button, and a second press saves.
    void saveResult_data() { addRows(16); }
    void saveResult() {
        if (const std::optional<QString> reason = prepare({kAtr, kBnc, kDtb})) {
            QSKIP(qPrintable(*reason));
        }
        writePrevious(QStringLiteral("vysledek.log"), kRatedLog);
        Vysledky_Form* results = WaitDialog::showResults();
        QVERIFY(results && results->isVisible());
        // The run is kept in the history beside the showing; kept before the
        // failure, it does not write while the save fails.
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        QCOMPARE(results->Label2->text(), QStringLiteral(" 30 bodů"));
        QVERIFY(MessageBox::recorded().isEmpty());

        block(kDtb);
        const QMap<QString, QByteArray> before = folderContents();
        QTest::mouseClick(results->Command2, Qt::LeftButton);
        m_limit.reset();
        QCOMPARE(folderContents(), before);
        checkReported(kDtb);
        QVERIFY(results->isVisible());
        QVERIFY(results->Command2->isEnabled());
        QCOMPARE(results->ListView1->rows()->rows().size(), 3);

        lift(kDtb);
        MessageBox::clearRecorded();
        QTest::mouseClick(results->Command2, Qt::LeftButton);
        QVERIFY(MessageBox::recorded().isEmpty());
        QVERIFY(!results->Command2->isEnabled());
        QCOMPARE(TestSupport::readAll(kDtb),
                 record(QStringLiteral("Počítač pomalý"), " 10") +
                     cp1250(LogFixture::kProcessor + "\r\n 30\r\n" + LogFixture::kGraphics + "\r\n" +
                            LogFixture::kMemory + "\r\n") +
                     record(QStringLiteral("Počítač rychlý"), " 40"));
        QCOMPARE(TestSupport::readAll(kBnc), kUserState);
        QCOMPARE(TestSupport::readAll(kAtr), kUserConfig);
    }
};

QTEST_MAIN(TestWriteFailures)
#include "tst_writefailures.moc"
