#include "app/application.h"
#include "app_harness.h"
#include "common/error_sink.h"

#include <QEvent>
#include <gtest/gtest.h>
#include <stdexcept>

namespace quiltmap::app::test {
namespace {

class FailingControl : public QWidget
{
protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User)
            throw Error(QStringLiteral("Ungültige Eingabe"));
        if (event->type() == QEvent::User + 1)
            throw std::logic_error("drawn past the last tile");
        if (event->type() == QEvent::User + 2)
            throw std::bad_alloc();
        return QWidget::event(event);
    }
};

// This executable has no application object of its own: each test makes the real one.
struct RealApplication
{
    RealApplication() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

    int argc = 1;
    char name[15] = "CreateQuiltMap";
    char *argv[2] = { name, nullptr };
    QuiltMapApplication application { argc, argv };
};

TEST(QuiltMapApplication, ErrorsOfControlsAreReportedAndEventsGoOn)
{
    RealApplication real;
    FakePrompts prompts;
    const ErrorReporter errors(prompts, QStringLiteral("Createquiltmap"));
    installErrorReporter(&errors);

    FailingControl control;
    QEvent failing(QEvent::User);
    QApplication::sendEvent(&control, &failing);
    QApplication::sendEvent(&control, &failing);

    reportError(Error(QStringLiteral("'12a' ist kein gültiger Gleitkommawert")));
    QEvent outOfMemory(QEvent::Type(QEvent::User + 2));
    QApplication::sendEvent(&control, &outOfMemory);

    ASSERT_EQ(prompts.errors.size(), 4u);
    EXPECT_EQ(prompts.errors[0].caption, u"Createquiltmap");
    EXPECT_EQ(prompts.errors[0].text, u"Ungültige Eingabe.");
    EXPECT_EQ(prompts.errors[2].text, u"'12a' ist kein gültiger Gleitkommawert.");
    EXPECT_EQ(prompts.errors[3].text, u"Zu wenig Arbeitsspeicher.");
    installErrorReporter(nullptr);
}

// A programming error is never shown as the user's: it ends the process with its message.
TEST(QuiltMapApplicationDeathTest, ProgrammingErrorsEndTheProcessInsteadOfShowingABox)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            RealApplication real;
            FakePrompts prompts;
            const ErrorReporter errors(prompts, QStringLiteral("Createquiltmap"));
            installErrorReporter(&errors);
            FailingControl control;
            QEvent failing(QEvent::Type(QEvent::User + 1));
            QApplication::sendEvent(&control, &failing);
        },
        "drawn past the last tile");
}

} // namespace
} // namespace quiltmap::app::test
