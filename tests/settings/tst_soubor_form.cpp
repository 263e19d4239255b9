// The scene picker on its own: the "*.bin" filter, the two steps, refused
// names, drives and directories, and its close button.
#include "SettingsTestSupport.h"

#include "common/FormDisplay.h"
#include "settings/DirectoryList.h"
#include "settings/FileList.h"
#include "settings/MountTable.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

class TestSouborForm : public QObject {
    Q_OBJECT

    std::optional<FrontEndFolder> m_folder;

    static QStringList listed(const QListWidget* list) {
        QStringList names;
        for (int i = 0; i < list->count(); ++i) {
            names.append(list->item(i)->text().trimmed());
        }
        return names;
    }

    static void select(Soubor_Form* picker, const QString& name) {
        const QList<QListWidgetItem*> found = picker->File1->findItems(name, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        picker->File1->setCurrentItem(found.first());
    }

    // Opens the picker the way the settings dialog does and runs the action.
    static void shown(Soubor_Form* picker, std::function<void()> action) {
        whileModal(picker, std::move(action));
        FormDisplay::showModal(picker);
    }

private slots:
    void init() { QVERIFY(m_folder.emplace().isValid()); }
    void cleanup() { m_folder.reset(); }

    void startsInTheCurrentDirectoryListingOnlyBinFiles() {
        QVERIFY(TestSupport::writeRaw("b.bin", ""));
        QVERIFY(TestSupport::writeRaw("a.bin", ""));
        QVERIFY(TestSupport::writeRaw("notes.txt", ""));
        QVERIFY(TestSupport::writeRaw("bin", ""));
        QDir().mkdir("sub.bin");
        Soubor_Form* picker = Soubor_Form::instance();
        QCOMPARE(picker->windowTitle(), QStringLiteral("Dialog Caption"));
        QCOMPARE(picker->Label1->text(), QStringLiteral("Vyberte soubor se scénou."));
        QCOMPARE(picker->Dir1->path(), QDir::currentPath());
        QCOMPARE(listed(picker->File1), (QStringList{"a.bin", "b.bin"}));
        QVERIFY(listed(picker->Dir1).contains("sub.bin"));
        QCOMPARE(picker->Drive1->itemText(0), QStringLiteral("/"));
        QCOMPARE(picker->Drive1->currentText(),
                 MountTable::DriveOf(QDir::currentPath(), MountTable::CurrentDrives()));
        QVERIFY(picker->cestakescene.isEmpty() && picker->cestakbrowseru.isEmpty() && !picker->cancelled);
    }

    void tabOrder() {
        Soubor_Form* picker = Soubor_Form::instance();
        QList<QWidget*> order;
        QWidget* widget = picker->OKButton;
        for (int i = 0; i < 5; ++i) {
            order.append(widget);
            do {
                widget = widget->nextInFocusChain();
            } while (!(widget->focusPolicy() & Qt::TabFocus));
        }
        QCOMPARE(order, (QList<QWidget*>{picker->OKButton, picker->CancelButton, picker->File1, picker->Dir1,
                                         picker->Drive1}));
    }

    void sceneStepThenBrowserStep() {
        QVERIFY(TestSupport::writeRaw("les.bin", ""));
        QVERIFY(TestSupport::writeRaw("browser.bin", ""));
        Soubor_Form* picker = Soubor_Form::instance();
        bool hidden = false;
        shown(picker, [&] {
            select(picker, "les.bin");
            picker->OKButton->click();
            hidden = !picker->isVisible();
        });
        QVERIFY(hidden);
        QCOMPARE(picker->cestakescene, QStringLiteral("les.bin"));
        QCOMPARE(picker->Label1->text(), QStringLiteral("Vyberte jméno souboru s browserem scény."));
        QCOMPARE(picker->File1->fileName(), QString());

        bool openAfterEmptyOk = false;
        shown(picker, [&] {
            // Right after the scene step nothing is selected.
            picker->OKButton->click();
            openAfterEmptyOk = picker->isVisible();
            select(picker, "les.bin");
            picker->OKButton->click();
        });
        QVERIFY(openAfterEmptyOk);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded().at(0).text, QStringLiteral("Musí být vybrán soubor!"));
        QCOMPARE(MessageBox::recorded().at(0).style, 0);
        QCOMPARE(MessageBox::recorded().at(0).title, MessageBox::applicationTitle());
        QCOMPARE(picker->cestakescene, QStringLiteral("les.bin"));
        // The same file for scene and browser is accepted.
        QCOMPARE(picker->cestakbrowseru, QStringLiteral("les.bin"));
        QCOMPARE(picker->Label1->text(), QStringLiteral("Vyberte jméno souboru s browserem scény."));
    }

    void cancelAndCloseButtonLeaveTheNames_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close box") << true;
    }
    void cancelAndCloseButtonLeaveTheNames() {
        QFETCH(bool, closeBox);
        QVERIFY(TestSupport::writeRaw("les.bin", ""));
        Soubor_Form* picker = Soubor_Form::instance();
        picker->cestakescene = QStringLiteral("earlier.bin");
        shown(picker, [&] {
            select(picker, "les.bin");
            if (closeBox) {
                picker->close();
            } else {
                picker->CancelButton->click();
            }
        });
        QVERIFY(Soubor_Form::existing());
        QVERIFY(picker->cancelled);
        QCOMPARE(picker->cestakescene, QStringLiteral("earlier.bin"));
        QCOMPARE(picker->cestakbrowseru, QString());
    }

    void nameFromAnotherDirectoryIsTheBareName() {
        QDir().mkpath("scenes/deeper");
        QVERIFY(TestSupport::writeRaw("scenes/deeper/hory.bin", ""));
        Soubor_Form* picker = Soubor_Form::instance();
        shown(picker, [&] {
            // Into "scenes", then "deeper", by activating the list entries.
            for (const QString& name : {QStringLiteral("scenes"), QStringLiteral("deeper")}) {
                QListWidgetItem* item = nullptr;
                for (int i = 0; i < picker->Dir1->count(); ++i) {
                    if (picker->Dir1->item(i)->text().trimmed() == name) {
                        item = picker->Dir1->item(i);
                    }
                }
                QVERIFY(item);
                emit picker->Dir1->itemActivated(item);
            }
            QCOMPARE(picker->File1->path(), QDir::current().filePath("scenes/deeper"));
            select(picker, "hory.bin");
            picker->OKButton->click();
        });
        QCOMPARE(picker->cestakescene, QStringLiteral("hory.bin"));
        // Next showing starts where the user left it.
        QCOMPARE(picker->Dir1->path(), QDir::current().filePath("scenes/deeper"));
    }

    // Names that cannot go into a quoted line of the engine configuration.
    void unsafeNamesAreRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("double quote") << QStringLiteral("a\"b.bin");
        QTest::newRow("line feed") << QStringLiteral("a\n*SAFE.bin");
        QTest::newRow("carriage return") << QStringLiteral("a\rb.bin");
        QTest::newRow("outside Windows-1250") << QStringLiteral("лес.bin");
    }
    void unsafeNamesAreRefused() {
        QFETCH(QString, name);
        QVERIFY(TestSupport::writeRaw(name, ""));
        QVERIFY(TestSupport::writeRaw("ok.bin", ""));
        Soubor_Form* picker = Soubor_Form::instance();
        bool stillOpen = false;
        shown(picker, [&] {
            select(picker, name);
            picker->OKButton->click();
            stillOpen = picker->isVisible();
        });
        QVERIFY(stillOpen);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded().at(0).style, 48);
        QVERIFY(MessageBox::recorded().at(0).text.contains(QStringLiteral("Windows-1250")));
        QVERIFY(picker->cestakescene.isEmpty());
        QVERIFY(!picker->cancelled);
    }

    void czechNamesAreAccepted() {
        const QString name = QStringLiteral("Žluťoučký kůň.bin");
        QVERIFY(TestSupport::writeRaw(name, ""));
        Soubor_Form* picker = Soubor_Form::instance();
        shown(picker, [&] {
            select(picker, name);
            picker->OKButton->click();
        });
        QCOMPARE(picker->cestakescene, name);
        QVERIFY(MessageBox::recorded().isEmpty());
    }

    void changingTheDriveMovesBothLists() {
        QTemporaryDir other;
        QVERIFY(TestSupport::writeRaw(QDir(other.path()).filePath("jinde.bin"), ""));
        Soubor_Form* picker = Soubor_Form::instance();
        picker->setDrives({QStringLiteral("/"), other.path()});
        picker->Drive1->setCurrentIndex(1);
        QCOMPARE(picker->Dir1->path(), other.path());
        QCOMPARE(picker->File1->path(), other.path());
        QCOMPARE(listed(picker->File1), QStringList{"jinde.bin"});
        picker->Drive1->setCurrentIndex(0);
        QCOMPARE(picker->Dir1->path(), QStringLiteral("/"));
        QCOMPARE(picker->File1->path(), QStringLiteral("/"));
    }

    void unreadableDriveIsNotEntered() {
        Soubor_Form* picker = Soubor_Form::instance();
        const QString start = picker->Dir1->path();
        const QString gone = m_folder->filePath("no-medium");
        picker->setDrives({QStringLiteral("/"), gone});
        const int before = picker->Drive1->currentIndex();
        picker->Drive1->setCurrentIndex(1);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded().at(0).style, 48);
        QVERIFY(MessageBox::recorded().at(0).text.contains(gone));
        QCOMPARE(picker->Dir1->path(), start);
        QCOMPARE(picker->File1->path(), start);
        QCOMPARE(picker->Drive1->currentIndex(), before);
    }
};

QTEST_MAIN(TestSouborForm)
#include "tst_soubor_form.moc"
