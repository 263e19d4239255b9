// The about box opened from the main window's menu.
#include "SettingsTestSupport.h"

#include "common/Twips.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>

class TestOProgramuForm : public QObject {
    Q_OBJECT

    std::optional<FrontEndFolder> m_folder;

private slots:
    void init() { QVERIFY(m_folder.emplace().isValid()); }
    void cleanup() { m_folder.reset(); }

    void menuShowsItModelessAndOukejHidesIt() {
        Hlavni_Form::instance()->OProgramu->trigger();
        OProgramu_Form* about = OProgramu_Form::existing();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        QVERIFY(!about->isModal());
        QCOMPARE(about->windowTitle(), QStringLiteral("O programu"));
        QCOMPARE(about->Label1->text(), QStringLiteral("3D Trenzor - Test 3D výkonu počítače. Verze 1.0"));
        QVERIFY(!about->Label2->text().isEmpty());
        QVERIFY(!about->Label3->text().isEmpty());
        QCOMPARE(about->Command1->text(), QStringLiteral("Oukej"));
        QCOMPARE(about->size(), QSize(Twips::px(6075), Twips::px(2910)));
        QCOMPARE(about->minimumSize(), about->maximumSize());

        about->Command1->click();
        QVERIFY(!about->isVisible());
        Hlavni_Form::instance()->OProgramu->trigger();
        QCOMPARE(OProgramu_Form::existing(), about);
        QVERIFY(about->isVisible());
    }

    void pictureIsTheRendered373By488ImageScaledIntoItsPlace() {
        const QPixmap stored(QStringLiteral(":/oprogramu.jpg"));
        QCOMPARE(stored.size(), QSize(373, 488));
        // A rendered scene, not a blank: the picture has many colours.
        const QImage image = stored.toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 7) {
            for (int x = 0; x < image.width(); x += 7) {
                colours.insert(image.pixel(x, y));
            }
        }
        QVERIFY(colours.size() > 200);

        OProgramu_Form* about = OProgramu_Form::instance();
        QVERIFY(about->Image1->hasScaledContents());
        QCOMPARE(about->Image1->pixmap().size(), QSize(373, 488));
        QCOMPARE(about->Image1->geometry(), Twips::rect(120, 120, 2295, 2640));
    }

    void closeBoxDestroysItAndTheMenuCreatesItAgain() {
        Hlavni_Form::instance()->OProgramu->trigger();
        QPointer<OProgramu_Form> about = OProgramu_Form::existing();
        about->close();
        QTRY_VERIFY(!about);
        Hlavni_Form::instance()->OProgramu->trigger();
        QVERIFY(OProgramu_Form::existing());
        QVERIFY(OProgramu_Form::existing()->isVisible());
    }
};

QTEST_MAIN(TestOProgramuForm)
#include "tst_oprogramu_form.moc"
