#include "common/ActivationTracker.h"
#include "common/FormDisplay.h"
#include "common/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

namespace {

// A top-level window that counts its activations.
class CountingWindow : public QWidget {
public:
    explicit CountingWindow(const QString& name) {
        setObjectName(name);
        resize(200, 100);
        ActivationTracker::instance().track(this, [this] {
            ++activations;
            if (onActivate) {
                onActivate();
            }
        });
    }
    int activations = 0;
    std::function<void()> onActivate;
};

// Runs an action once the next modal loop is running.
void whenModal(std::function<void()> action) {
    QTimer::singleShot(0, std::move(action));
}

} // namespace

class TestActivation : public QObject {
    Q_OBJECT

    std::vector<QPointer<QWidget>> m_windows;

    CountingWindow* window(const QString& name) {
        auto* w = new CountingWindow(name);
        m_windows.emplace_back(w);
        return w;
    }

private slots:
    void cleanup() {
        for (const QPointer<QWidget>& w : m_windows) {
            delete w.data();
        }
        m_windows.clear();
        QCoreApplication::processEvents();
    }

    void modelessShowActivatesOnce() {
        CountingWindow* a = window("a");
        FormDisplay::showModeless(a);
        QCOMPARE(a->activations, 1);
        QCoreApplication::processEvents();
        FormDisplay::showModeless(a); // already visible and active: only to the front
        QCoreApplication::processEvents();
        QCOMPARE(a->activations, 1);
    }

    void modalReturnReactivatesTheWindowBelow() {
        CountingWindow* below = window("below");
        CountingWindow* modal = window("modal");
        FormDisplay::showModeless(below);
        QCOMPARE(below->activations, 1);

        bool blocked = false;
        whenModal([&] {
            blocked = !below->isEnabled() || QApplication::activeModalWidget() == modal;
            modal->hide();
        });
        FormDisplay::showModal(modal);
        QVERIFY(blocked);
        QCOMPARE(modal->activations, 1);
        QCOMPARE(below->activations, 2);
        QCOMPARE(ActivationTracker::instance().lastActive(), below);
    }

    void secondModalShowingActivatesAgain() {
        CountingWindow* below = window("below");
        CountingWindow* modal = window("modal");
        FormDisplay::showModeless(below);
        for (int i = 0; i < 2; ++i) {
            whenModal([&] { modal->hide(); });
            FormDisplay::showModal(modal);
        }
        QCOMPARE(modal->activations, 2);
        QCOMPARE(below->activations, 3);
    }

    void modalWindowClosedByItsTitleBarButton() {
        CountingWindow* below = window("below");
        QPointer<CountingWindow> modal = window("modal");
        modal->setAttribute(Qt::WA_DeleteOnClose);
        FormDisplay::showModeless(below);
        whenModal([&] { modal->close(); });
        FormDisplay::showModal(modal);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(modal.isNull());
        QCOMPARE(below->activations, 2);
    }

    void handlerThatHidesItsWindowEndsTheModalShowing() {
        CountingWindow* below = window("below");
        CountingWindow* modal = window("modal");
        modal->onActivate = [modal] { modal->hide(); };
        FormDisplay::showModeless(below);
        FormDisplay::showModal(modal); // must return without any loop
        QCOMPARE(modal->activations, 1);
        QVERIFY(!modal->isVisible());
        QCOMPARE(below->activations, 2);
    }

    // A real message box of the window's own: closing it is no activation.
    void closingAMessageBoxDoesNotActivate() {
        CountingWindow* dialog = window("dialog");
        FormDisplay::showModeless(dialog);
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
        QCOMPARE(dialog->activations, 1);
        QTimer::singleShot(50, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            box->button(QMessageBox::Ok)->click();
        });
        MessageBox::show(QStringLiteral("Zpráva"), MessageBox::Warning);
        dialog->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
        QCoreApplication::processEvents();
        QCOMPARE(dialog->activations, 1);
    }

    void switchingBetweenWindowsActivates() {
        CountingWindow* a = window("a");
        CountingWindow* b = window("b");
        FormDisplay::showModeless(a);
        FormDisplay::showModeless(b);
        QCOMPARE(a->activations, 1);
        QCOMPARE(b->activations, 1);
        // A user switches windows only after the window system has settled.
        QVERIFY(QTest::qWaitForWindowActive(b));
        QTest::qWait(50);
        QCOMPARE(a->activations, 1);
        a->activateWindow();
        QTRY_COMPARE(a->activations, 2);
        QTest::qWait(50);
        b->activateWindow();
        QTRY_COMPARE(b->activations, 2);
        // Leaving for a window that is not the program's (as another program's
        // is) and coming back to the same window.
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &other);
        b->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), b);
        QCoreApplication::processEvents();
        QCOMPARE(b->activations, 2);
        QCOMPARE(a->activations, 2);
    }

    void hiddenWindowShownAgainActivates() {
        CountingWindow* a = window("a");
        FormDisplay::showModeless(a);
        a->hide();
        QCoreApplication::processEvents();
        FormDisplay::showModeless(a);
        QCOMPARE(a->activations, 2);
    }

    void untrackedWindowsAreIgnored() {
        CountingWindow* a = window("a");
        FormDisplay::showModeless(a);
        QWidget stranger;
        stranger.show();
        stranger.activateWindow();
        QCoreApplication::processEvents();
        ActivationTracker::instance().noteActivated(&stranger);
        QCOMPARE(ActivationTracker::instance().lastActive(), a);
        a->activateWindow();
        QCoreApplication::processEvents();
        QCOMPARE(a->activations, 1);
    }
};

QTEST_MAIN(TestActivation)
#include "tst_activation.moc"
