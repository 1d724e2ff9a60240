#include "app/application.h"
#include "app_harness.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace quiltmap::app::test {
namespace {

class FailingControl : public QWidget
{
protected:
    void keyPressEvent(QKeyEvent *) override { throw Error(QStringLiteral("Ungültige Eingabe")); }
};

// This executable has no application object of its own: the test makes the real one.
TEST(QuiltMapApplication, ErrorOfAControlIsReportedAndEventsGoOn)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "CreateQuiltMap";
    char *argv[] = { name, nullptr };
    QuiltMapApplication application(argc, argv);
    FakePrompts prompts;
    const ErrorReporter errors(prompts, QStringLiteral("Createquiltmap"));
    application.setErrorReporter(&errors);

    FailingControl control;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier, QStringLiteral("+"));
    QApplication::sendEvent(&control, &press);
    QApplication::sendEvent(&control, &press);

    ASSERT_EQ(prompts.errors.size(), 2u);
    EXPECT_EQ(prompts.errors[0].caption, u"Createquiltmap");
    EXPECT_EQ(prompts.errors[0].text, u"Ungültige Eingabe.");
    application.setErrorReporter(nullptr);
}

} // namespace
} // namespace quiltmap::app::test
