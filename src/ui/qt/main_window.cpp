#include "ui/qt/main_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "ui/layout.h"
#include "ui/qt/ipv4_field.h"

namespace kestrava {

namespace {

QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

MainWindow::MainWindow(EventQueue& queue) : queue_(queue) {
    setWindowTitle(text_of(kWindowTitle));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setCursor(Qt::ArrowCursor);

    QWidget* previous = nullptr;
    for (const ControlSpec& entry : kControls) {
        QWidget* widget = nullptr;
        switch (entry.kind) {
            case ControlKind::Label: {
                label_ = new QLabel(text_of(entry.text), this);
                label_->setTextFormat(Qt::PlainText);
                label_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
                label_->setFocusPolicy(Qt::NoFocus);
                widget = label_;
                break;
            }
            case ControlKind::Button: {
                auto* button = new QPushButton(text_of(entry.text), this);
                button->setFocusPolicy(Qt::StrongFocus);
                button->setAutoDefault(false);
                const ControlId id = entry.id;
                connect(button, &QPushButton::clicked, this, [this, id] { queue_.click(id); });
                widget = button;
                break;
            }
            case ControlKind::ProgressBar: {
                progress_ = new QProgressBar(this);
                progress_->setRange(0, kProgressMax);
                progress_->setValue(0);
                progress_->setTextVisible(false);
                progress_->setFocusPolicy(Qt::NoFocus);
                widget = progress_;
                break;
            }
            case ControlKind::IpField: {
                ip_field_ = new Ipv4Field(this);
                connect(ip_field_, &Ipv4Field::activity, this,
                        [this] { queue_.post(control_event(ControlId::IpField)); });
                widget = ip_field_;
                break;
            }
        }
        widget->setGeometry(entry.x, entry.y, entry.width, entry.height);
        if (entry.id != ControlId::None) {
            controls_[entry.id] = widget;
        }
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previous != nullptr) {
                setTabOrder(previous, widget);
            }
            previous = widget;
        }
    }

    status_ = new QLabel(this);
    status_->setTextFormat(Qt::PlainText);
    status_->setAlignment(Qt::AlignCenter);
    status_->setFrameShape(QFrame::Panel);
    status_->setFrameShadow(QFrame::Sunken);
    status_->setGeometry(0, kClientHeight - kStatusBarMinHeight, kClientWidth, kStatusBarMinHeight);
    controls_[ControlId::StatusBar] = status_;
}

QWidget* MainWindow::control(ControlId id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QPushButton* MainWindow::button(ControlId id) const {
    return qobject_cast<QPushButton*>(control(id));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    queue_.post(close_event());
}

}  // namespace kestrava
