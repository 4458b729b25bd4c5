#include "ui/qt/qt_toolkit.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QUrl>

#include "ui/layout.h"
#include "ui/qt/ipv4_field.h"
#include "ui/qt/main_window.h"

namespace kestrava {

namespace {

QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtToolkit::QtToolkit() {
    status_timer_.setInterval(kStatusTimerPeriodMs);
    QObject::connect(&status_timer_, &QTimer::timeout, [this] { queue().post(tick_event()); });
}

QtToolkit::~QtToolkit() = default;

void QtToolkit::load_status_font() {
    status_font_ = QFont(text_of(kStatusFontFace), kStatusFontPoints);
    status_font_.setStyleHint(QFont::SansSerif);
    status_font_.setWeight(QFont::Normal);
    status_font_loaded_ = true;
}

void QtToolkit::build_main_window(const WindowTexts& texts) {
    window_ = std::make_unique<MainWindow>(queue());
    if (status_font_loaded_) {
        window_->status_bar()->setFont(status_font_);
    }
    window_->status_bar()->setText(text_of(texts.credits_line));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        window_->move(area.x() + centred_origin(area.width(), window_->width()),
                      area.y() + centred_origin(area.height(), window_->height()));
    }
    window_->show();
    window_->activateWindow();
}

void QtToolkit::set_enabled(ControlId id, bool enabled) {
    if (QWidget* widget = window_->control(id)) {
        widget->setEnabled(enabled);
    }
}

void QtToolkit::set_progress(std::int64_t value) {
    QProgressBar* bar = window_->progress_bar();
    bar->setValue(progress_display_value(value));
    bar->repaint();
}

std::string QtToolkit::ip_text() {
    return ipv4_field_text(window_->ip_field()->parts());
}

void QtToolkit::set_ip_address(std::uint32_t value) {
    window_->ip_field()->set_parts(ipv4_field_parts(value));
}

void QtToolkit::show_status_text(std::string_view text) {
    window_->status_bar()->setText(text_of(text));
}

void QtToolkit::message_box(std::string_view title, std::string_view text) {
    QMessageBox box(QMessageBox::NoIcon, text_of(title), text_of(text), QMessageBox::Ok,
                    window_.get());
    if (on_message_box) {
        on_message_box(box);
    }
    box.exec();
}

void QtToolkit::open_web_address(std::string_view address) {
    QDesktopServices::openUrl(QUrl(text_of(address)));
}

void QtToolkit::start_status_timer() {
    status_timer_.start();
}

void QtToolkit::wait_native() {
    if (on_idle) {
        on_idle();
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtToolkit::process_pending_native() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace kestrava
