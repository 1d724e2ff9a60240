// A Qt input plugin that plays the person at the keyboard for the install check: once the
// application's start-up has had its time, it answers every message box with Enter and then
// ends the application with Ctrl+Q, writing what it saw and did to standard error.
// Loaded into an unchanged CreateQuiltMap with QT_PLUGIN_PATH naming the folder that holds
// generic/ and QT_QPA_GENERIC_PLUGINS=quiltmapexitkey[:DELAY_MS] (default 2500).

#include <QApplication>
#include <QGenericPlugin>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <cstdio>

namespace {

class ExitKeyPlayer : public QObject
{
public:
    explicit ExitKeyPlayer(int delayMs)
    {
        m_steps.setInterval(100);
        connect(&m_steps, &QTimer::timeout, this, &ExitKeyPlayer::step);
        QTimer::singleShot(delayMs, &m_steps, qOverload<>(&QTimer::start));
    }

private:
    void step()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box != nullptr && box == m_answered)
            return;
        if (box != nullptr) {
            m_answered = box;
            std::fprintf(stderr, "quiltmapexitkey: message box: %s\n", qUtf8Printable(box->text()));
            press([box = QPointer(box)] {
                if (box)
                    QTest::keyClick(box, Qt::Key_Return);
            });
            return;
        }
        if (m_pressed)
            return;
        QWidget *window = QApplication::activeWindow();
        if (window == nullptr) {
            // A closed message box may leave no window active: bring the main window back, as
            // a click on it would, and press the key at the next step.
            for (QWidget *topLevel : QApplication::topLevelWidgets())
                if (qobject_cast<QMainWindow *>(topLevel) && topLevel->isVisible())
                    topLevel->activateWindow();
            return;
        }
        m_pressed = true;
        std::fprintf(stderr, "quiltmapexitkey: Ctrl+Q\n");
        press(
            [window] { QTest::keyClick(window->windowHandle(), Qt::Key_Q, Qt::ControlModifier); });
    }

    // A key may open a box whose event loop runs until the box closes: the key is pressed from a
    // timer of its own, so that the steps go on meanwhile.
    template<typename Press> void press(Press &&pressKey)
    {
        QTimer::singleShot(0, this, std::forward<Press>(pressKey));
    }

    QTimer m_steps;
    // The box whose Enter is on its way; null again once that box is gone.
    QPointer<QMessageBox> m_answered;
    bool m_pressed = false;
};

} // namespace

class ExitKeyPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "exit_key_plugin.json")

public:
    QObject *create(const QString &, const QString &parameters) override
    {
        bool ok = false;
        const int delayMs = parameters.toInt(&ok);
        return new ExitKeyPlayer(ok ? delayMs : 2500);
    }
};

#include "exit_key_plugin.moc"
