#include "FrontEndFolder.h"
#include "ResultsFixture.h"
#include "common/FormDisplay.h"
#include "common/MessageBox.h"
#include "results/ComparisonList.h"
#include "results/Vysledky2_Form.h"
#include "shell/Hlavni_Form.h"

#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <unistd.h>

using namespace ResultsFixture;

class tst_Vysledky2_Form : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listsDatabase_data();
    void listsDatabase();
    void noDatabase();
    void unreadableDatabase();
    void everyActivationRebuilds();
    void okHidesAndTitleBarDestroys();

private:
    // Presses "Prohlédnout výsledky testování" in the main window.
    Vysledky2_Form* showFromMainWindow();

    std::optional<FrontEndFolder> m_folder;
};

void tst_Vysledky2_Form::init() {
    QVERIFY(m_folder.emplace().isValid());
}

void tst_Vysledky2_Form::cleanup() {
    m_folder.reset();
}

Vysledky2_Form* tst_Vysledky2_Form::showFromMainWindow() {
    Hlavni_Form* main = Hlavni_Form::instance();
    FormDisplay::showModeless(main);
    QTest::mouseClick(main->Command3, Qt::LeftButton);
    return Vysledky2_Form::existing();
}

void tst_Vysledky2_Form::listsDatabase_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<SystemRecord>>("rows");
    QTest::newRow("three records in file order")
        << database({" 40", " 10", " 3.33333333333333"})
        << QList<SystemRecord>{{"Počítač 40", " 40", "Karta 40", "Paměť 40"},
                               {"Počítač 10", " 10", "Karta 10", "Paměť 10"},
                               {"Počítač 3.33333333333333", " 3.33333333333333", "Karta 3.33333333333333",
                                "Paměť 3.33333333333333"}};
    QTest::newRow("empty file") << QByteArray() << QList<SystemRecord>{};
}

void tst_Vysledky2_Form::listsDatabase() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<SystemRecord>, rows);
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), bytes));
    Vysledky2_Form* window = showFromMainWindow();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Form1"));
    QVERIFY(MessageBox::recorded().isEmpty());
    QCOMPARE(window->ListView1->rows()->columnTitles(),
             (QStringList{"Počítač", "Počet bodů", "Grafická karta", "Operační paměť"}));
    QCOMPARE(window->ListView1->rows()->rows(), rows);
    const ComparisonModel* model = window->ListView1->rows();
    for (int row = 0; row < model->rowCount(); ++row) {
        QVERIFY(!model->data(model->index(row, 0), Qt::DecorationRole).value<QIcon>().isNull());
        QCOMPARE(model->data(model->index(row, 3), Qt::DisplayRole).toString(), rows.at(row).memoryText);
    }
    QCOMPARE(TestSupport::readAll(QStringLiteral("systemy.dtb")), bytes);
}

void tst_Vysledky2_Form::noDatabase() {
    Vysledky2_Form* window = showFromMainWindow();
    QCOMPARE(MessageBox::recorded().size(), 1);
    QCOMPARE(MessageBox::recorded().at(0).text, QStringLiteral("Nejsou k dispozici výsledky testů"));
    QCOMPARE(MessageBox::recorded().at(0).style, int(MessageBox::Plain));
    QCOMPARE(MessageBox::recorded().at(0).title, MessageBox::applicationTitle());
    QVERIFY(!window->isVisible());
    QVERIFY(Hlavni_Form::existing()->isVisible());
    QVERIFY(!QFile::exists(QStringLiteral("systemy.dtb")));
}

void tst_Vysledky2_Form::unreadableDatabase() {
    // A normal file whose reading fails at its start.
    QCOMPARE(::symlink("/proc/self/mem", "systemy.dtb"), 0);
    Vysledky2_Form* window = showFromMainWindow();
    QCOMPARE(MessageBox::recorded().size(), 1);
    QCOMPARE(MessageBox::recorded().at(0).style, int(MessageBox::Warning));
    QVERIFY(MessageBox::recorded().at(0).text.contains(QStringLiteral("systemy.dtb")));
    QVERIFY(!window->isVisible());
}

void tst_Vysledky2_Form::everyActivationRebuilds() {
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), database({" 10", " 20", " 30"})));
    Vysledky2_Form* window = showFromMainWindow();
    QCOMPARE(window->ListView1->rows()->rowCount(), 3);
    // A database saved meanwhile shows up on the next activation.
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), database({" 10", " 20", " 30", " 40"})));
    showFromMainWindow();
    QCOMPARE(window->ListView1->rows()->rowCount(), 4);
    QCOMPARE(window->ListView1->rows()->columnCount(), 4);
    QCOMPARE(window->ListView1->rows()->rows().at(3).scoreText, QStringLiteral(" 40"));
}

void tst_Vysledky2_Form::okHidesAndTitleBarDestroys() {
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), database({" 10"})));
    Vysledky2_Form* window = showFromMainWindow();
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(Vysledky2_Form::existing(), window);
    QCOMPARE(showFromMainWindow(), window);
    QVERIFY(window->isVisible());
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!Vysledky2_Form::existing());
    QVERIFY(showFromMainWindow()->isVisible());
}

QTEST_MAIN(tst_Vysledky2_Form)
#include "tst_Vysledky2_Form.moc"
