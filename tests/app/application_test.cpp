#include "app/application.h"
#include "app_harness.h"
#include "common/error_sink.h"

#include <QEvent>
#include <gtest/gtest.h>

namespace quiltmap::app::test {
namespace {

class FailingControl : public QWidget
{
protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User)
            throw Error(QStringLiteral("Ungültige Eingabe"));
        return QWidget::event(event);
    }
};

// This executable has no application object of its own: the test makes the real one.
TEST(QuiltMapApplication, ErrorsOfControlsAreReportedAndEventsGoOn)
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
    QEvent failing(QEvent::User);
    QApplication::sendEvent(&control, &failing);
    QApplication::sendEvent(&control, &failing);

    reportError(Error(QStringLiteral("'12a' ist kein gültiger Gleitkommawert")));

    ASSERT_EQ(prompts.errors.size(), 3u);
    EXPECT_EQ(prompts.errors[0].caption, u"Createquiltmap");
    EXPECT_EQ(prompts.errors[0].text, u"Ungültige Eingabe.");
    EXPECT_EQ(prompts.errors[2].text, u"'12a' ist kein gültiger Gleitkommawert.");
    application.setErrorReporter(nullptr);
}

} // namespace
} // namespace quiltmap::app::test
