#include "mixer_window.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include "mixer_view.h"

namespace kestrava::vmixer {

namespace {

// A fixed-pitch label wide enough for `widest`, so that changing values do not move
// the layout.
QLabel* value_label(QWidget* parent, const QString& name, const char* widest) {
    auto* label = new QLabel(QStringLiteral("\u2013"), parent);
    label->setObjectName(name);
    label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QLatin1String(widest)));
    return label;
}

constexpr const char* kWidestValue = "-0.0000";
constexpr const char* kWidestCount = "0000000000 msg/s";

}  // namespace

MixerWindow::MixerWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Virtual mixer"));

    auto* strips = new QHBoxLayout;
    for (int i = 0; i < kFaderCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        auto* strip = new QVBoxLayout;

        fader_values_[at] = value_label(this, QStringLiteral("value%1").arg(i), kWidestValue);
        fader_values_[at]->setAlignment(Qt::AlignHCenter);

        faders_[at] = new QSlider(Qt::Vertical, this);
        faders_[at]->setObjectName(QStringLiteral("fader%1").arg(i));
        faders_[at]->setRange(0, kFaderSteps);
        faders_[at]->setTickPosition(QSlider::TicksBothSides);
        faders_[at]->setTickInterval(kFaderSteps / 10);
        faders_[at]->setMinimumHeight(240);
        faders_[at]->setFocusPolicy(Qt::NoFocus);
        faders_[at]->setAttribute(Qt::WA_TransparentForMouseEvents);

        auto* name = new QLabel(QString::fromStdString(fader_name(i)), this);
        name->setObjectName(QStringLiteral("name%1").arg(i));
        name->setAlignment(Qt::AlignHCenter);

        strip->addWidget(fader_values_[at], 0, Qt::AlignHCenter);
        strip->addWidget(faders_[at], 1, Qt::AlignHCenter);
        strip->addWidget(name, 0, Qt::AlignHCenter);
        if (i == kFaderCount - 1) {
            strips->addSpacing(16);  // the main fader stands apart from the channels
        }
        strips->addLayout(strip);
    }

    auto* status_box = new QGroupBox(QStringLiteral("Status"), this);
    auto* status_form = new QFormLayout(status_box);
    for (int i = 0; i < kStatusCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        status_values_[at] =
            value_label(status_box, QStringLiteral("status%1").arg(i), kWidestValue);
        status_form->addRow(
            QString::fromLatin1(kStatusAddresses[at].data(),
                                static_cast<qsizetype>(kStatusAddresses[at].size())),
            status_values_[at]);
    }

    auto* counts_box = new QGroupBox(QStringLiteral("Received"), this);
    auto* counts_form = new QFormLayout(counts_box);
    messages_ = value_label(counts_box, QStringLiteral("messages"), kWidestCount);
    malformed_ = value_label(counts_box, QStringLiteral("malformed"), kWidestCount);
    unknown_addresses_ = value_label(counts_box, QStringLiteral("unknown"), kWidestCount);
    rate_ = value_label(counts_box, QStringLiteral("rate"), kWidestCount);
    counts_form->addRow(QStringLiteral("Messages"), messages_);
    counts_form->addRow(QStringLiteral("Malformed datagrams"), malformed_);
    counts_form->addRow(QStringLiteral("Unknown addresses"), unknown_addresses_);
    counts_form->addRow(QStringLiteral("Rate"), rate_);

    listening_ = new QLabel(this);
    listening_->setObjectName(QStringLiteral("listening"));

    auto* side = new QVBoxLayout;
    side->addWidget(status_box);
    side->addWidget(counts_box);
    side->addStretch(1);
    side->addWidget(listening_);

    auto* top = new QHBoxLayout(this);
    top->addLayout(strips, 1);
    top->addLayout(side);
}

void MixerWindow::set_listening(const QString& endpoint) {
    setWindowTitle(QStringLiteral("Virtual mixer \u2013 %1").arg(endpoint));
    listening_->setText(QStringLiteral("Listening on UDP %1").arg(endpoint));
}

void MixerWindow::show_view(const MixerView& view) {
    for (std::size_t i = 0; i < faders_.size(); ++i) {
        faders_[i]->setValue(view.faders[i].position);
        fader_values_[i]->setText(QString::fromStdString(view.faders[i].value));
    }
    for (std::size_t i = 0; i < status_values_.size(); ++i) {
        status_values_[i]->setText(QString::fromStdString(view.status[i]));
    }
    messages_->setText(QString::fromStdString(view.messages));
    malformed_->setText(QString::fromStdString(view.malformed));
    unknown_addresses_->setText(QString::fromStdString(view.unknown_addresses));
    rate_->setText(QString::fromStdString(view.rate));
}

}  // namespace kestrava::vmixer
