#include "ui/qt/ipv4_field.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>

namespace kestrava {

Ipv4Field::Ipv4Field(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const QRegularExpression octet(QStringLiteral("25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9]"));
    for (int i = 0; i < 4; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setAlignment(Qt::AlignCenter);
        edit->setMaxLength(3);
        edit->setFrame(false);
        edit->setValidator(new QRegularExpressionValidator(octet, edit));
        edit->installEventFilter(this);
        // Tab treats the four parts as one control: only the first takes Tab focus.
        edit->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        connect(edit, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            emit activity();
            if (text.size() == 3 && i < 3) {
                focus_part(i + 1);
            }
        });
        parts_[static_cast<std::size_t>(i)] = edit;
        layout->addWidget(edit, 1);
        if (i < 3) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            layout->addWidget(dot);
        }
    }
    setFocusProxy(parts_[0]);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

Ipv4Parts Ipv4Field::parts() const {
    Ipv4Parts result;
    for (std::size_t i = 0; i < 4; ++i) {
        const QString text = parts_[i]->text();
        if (!text.isEmpty()) {
            result[i] = text.toInt();
        }
    }
    return result;
}

void Ipv4Field::set_parts(const std::array<int, 4>& parts) {
    for (std::size_t i = 0; i < 4; ++i) {
        parts_[i]->setText(QString::number(parts[i]));
    }
}

void Ipv4Field::focus_part(int index) {
    QLineEdit* edit = part(index);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

bool Ipv4Field::eventFilter(QObject* watched, QEvent* event) {
    const auto index =
        static_cast<int>(std::find(parts_.begin(), parts_.end(), watched) - parts_.begin());
    if (index >= 4) {
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        emit activity();
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->text() == QStringLiteral(".")) {
            if (index < 3 && !part(index)->text().isEmpty()) {
                focus_part(index + 1);
            }
            return true;
        }
        if (key->key() == Qt::Key_Backspace && index > 0 && part(index)->cursorPosition() == 0 &&
            !part(index)->hasSelectedText()) {
            focus_part(index - 1);
            part(index - 1)->end(false);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Ipv4Field::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Button);
    }
    QWidget::changeEvent(event);
}

}  // namespace kestrava
