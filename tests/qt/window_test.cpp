#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "qt_main.h"
#include "ui/layout.h"
#include "ui/qt/ipv4_field.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_toolkit.h"
#include "ui/status.h"
#include "url_catcher.h"

namespace kestrava {
namespace {

const WindowTexts kTexts{std::string(kCreditsLine), "kestrava.example.org - Kestrava V2.3"};

class QtWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        toolkit_.load_status_font();
        toolkit_.build_main_window(kTexts);
        window_ = toolkit_.window();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
        toolkit_.pump_events();
    }
    std::string field_text() { return toolkit_.ip_text(); }

    QtToolkit toolkit_;
    MainWindow* window_ = nullptr;
};

TEST_F(QtWindow, HasItsTitleFixedClientSizeAndEveryControlInPlace) {
    EXPECT_EQ(window_->windowTitle().toStdString(), std::string(kWindowTitle));
    EXPECT_EQ(window_->size(), QSize(432, 240));
    EXPECT_EQ(window_->minimumSize(), window_->maximumSize());
    const auto flags = window_->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);

    for (const ControlSpec& entry : kControls) {
        QWidget* widget =
            entry.id == ControlId::None ? window_->label() : window_->control(entry.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), QRect(entry.x, entry.y, entry.width, entry.height))
            << static_cast<int>(entry.id);
        EXPECT_TRUE(widget->isEnabled());
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->text().toStdString(), std::string(entry.text));
            EXPECT_EQ(button->focusPolicy(), Qt::StrongFocus);
        }
    }
    EXPECT_EQ(window_->label()->text().toStdString(), "Enter your mixer IP");
    EXPECT_EQ(window_->label()->textFormat(), Qt::PlainText);  // "&" shows as itself
    EXPECT_EQ(window_->label()->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(window_->label()->alignment() & Qt::AlignHCenter);

    const QProgressBar* bar = window_->progress_bar();
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 94);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(bar->isTextVisible());
    EXPECT_EQ(bar->focusPolicy(), Qt::NoFocus);

    const QLabel* status = window_->status_bar();
    EXPECT_EQ(status->geometry().bottom(), 239);
    EXPECT_EQ(status->width(), 432);
    EXPECT_GE(status->height(), 30);
    EXPECT_TRUE(status->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(status->text().toStdString(), std::string(kCreditsLine));
    EXPECT_EQ(status->font().family().toStdString(), "Tahoma");
    EXPECT_EQ(status->font().pointSize(), 10);
    EXPECT_EQ(field_text(), "0.0.0.0");  // blank parts read as 0
    EXPECT_TRUE(window_->ip_field()->part(0)->text().isEmpty());
}

TEST_F(QtWindow, TabFollowsCreationOrderSkipsDisabledControlsAndWraps) {
    window_->button(ControlId::ConfirmIp)->setFocus();
    const std::vector<QWidget*> order{
        window_->control(ControlId::ResetAll), window_->control(ControlId::Stop),
        window_->control(ControlId::Updates),  window_->control(ControlId::Start),
        window_->ip_field()->part(0),          window_->control(ControlId::ConfirmIp)};
    for (QWidget* expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected);
    }
    toolkit_.set_enabled(ControlId::Stop, false);
    toolkit_.set_enabled(ControlId::Start, false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window_->control(ControlId::Updates));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window_->ip_field()->part(0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), window_->control(ControlId::Updates));
}

TEST_F(QtWindow, IpFieldReadsAndSetsItsFourParts) {
    const struct {
        std::uint32_t value;
        const char* shown;
    } cases[] = {
        {0, "0.0.0.0"},
        {0x0A01A8C0, "192.168.1.10"},
        {0xFFFFFFFF, "255.255.255.255"},
        {0x0000012C, "44.1.0.0"},
    };
    for (const auto& c : cases) {
        toolkit_.set_ip_address(c.value);
        EXPECT_EQ(field_text(), c.shown);
        EXPECT_FALSE(window_->ip_field()->part(3)->text().isEmpty());  // numbers, not blanks
    }
    EXPECT_TRUE(toolkit_.queue().empty());  // control operations produce no events
}

TEST_F(QtWindow, TypingMovesOnAtADotOrAThirdDigitAndRejectsWhatIsNotAPart) {
    const struct {
        const char* typed;
        const char* read;
    } cases[] = {
        {"192.168.1.10", "192.168.1.10"},
        {"1921681.7", "192.168.1.7"},  // third digits move on by themselves
        {"10.0.0", "10.0.0.0"},        // the last part left blank
        {"256.01.3.4", "25.0.3.4"},    // 6 would exceed 255; a leading zero is refused
        {"1..2", "1.2.0.0"},           // a dot in an empty part does nothing
    };
    for (const auto& c : cases) {
        for (int i = 0; i < 4; ++i) {
            window_->ip_field()->part(i)->clear();
        }
        window_->ip_field()->part(0)->setFocus();
        for (const char key : std::string(c.typed)) {
            QTest::keyClick(QApplication::focusWidget(), key);  // wherever the focus went
        }
        EXPECT_EQ(field_text(), c.read) << c.typed;
    }
    EXPECT_FALSE(toolkit_.queue().empty());  // typing is IP-field activity for the loop
}

TEST_F(QtWindow, ProgressBarShowsValuesAtOnceAndClampsToItsRange) {
    for (const auto& [value, shown] :
         std::vector<std::pair<std::int64_t, int>>{{0, 0}, {47, 47}, {94, 94}, {95, 94}, {-1, 0}}) {
        toolkit_.set_progress(value);
        EXPECT_EQ(window_->progress_bar()->value(), shown) << value;
    }
}

TEST_F(QtWindow, StatusBarAlternatesEverySixTicksAfterTheFirstTwelve) {
    std::int64_t ticker_count = 0;
    const QString credits = QString::fromUtf8(kTexts.credits_line.c_str());
    const QString web = QString::fromUtf8(kTexts.web_line.c_str());
    for (int tick = 1; tick <= 30; ++tick) {
        status_ticker(ticker_count, toolkit_, kTexts);
        const bool shows_web = (tick >= 12 && tick < 18) || (tick >= 24 && tick < 30);
        EXPECT_EQ(window_->status_bar()->text(), shows_web ? web : credits) << tick;
    }
}

TEST_F(QtWindow, CloseRequestsAndClicksBecomeEventsAndStopRunsInsideThePump) {
    window_->close();
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(toolkit_.wait_event(), close_event());

    int stops = 0;
    std::size_t queued_during_stop = 99;
    toolkit_.bind_stop_handler([&] {
        ++stops;
        queued_during_stop = toolkit_.queue().size();
    });
    QMetaObject::invokeMethod(window_->button(ControlId::Stop), &QPushButton::click,
                              Qt::QueuedConnection);
    toolkit_.pump_events();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(queued_during_stop, 0U);
    EXPECT_TRUE(toolkit_.queue().empty());  // the pump dropped the click's event

    window_->button(ControlId::ResetAll)->click();
    EXPECT_EQ(toolkit_.wait_event(), control_event(ControlId::ResetAll));
    toolkit_.set_enabled(ControlId::ResetAll, false);
    window_->button(ControlId::ResetAll)->click();  // a disabled button gives no click
    EXPECT_TRUE(toolkit_.queue().empty());
}

TEST_F(QtWindow, MessageBoxesHaveOneOkAndNoIconAndUpdatesOpensThePage) {
    toolkit_.on_message_box = [](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box.windowTitle().toStdString(), "NETWORK ERROR");
        EXPECT_EQ(box.text().toStdString(), "Can't initialize the network !");
        QTimer::singleShot(0, &box, &QMessageBox::accept);
    };
    toolkit_.message_box("NETWORK ERROR", "Can't initialize the network !");

    UrlCatcher browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
    on_updates(toolkit_, "https://kestrava.example.org/updates");
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(browser.opened.size(), 1U);
    EXPECT_EQ(browser.opened[0].toString().toStdString(), "https://kestrava.example.org/updates");
}

}  // namespace
}  // namespace kestrava

KESTRAVA_QT_TEST_MAIN
