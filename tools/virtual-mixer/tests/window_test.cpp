#include <gtest/gtest.h>

#include <QLabel>
#include <QSlider>
#include <QStringList>

#include "mixer_view.h"
#include "mixer_window.h"

namespace kestrava::vmixer {
namespace {

template <typename T>
T* child(const QWidget& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

TEST(MixerWindow, NamesSeventeenFadersAndTheFourStatusAddresses) {
    MixerWindow window;
    window.show();
    for (int i = 0; i < kFaderCount; ++i) {
        const auto* name = child<QLabel>(window, QStringLiteral("name%1").arg(i));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text().toStdString(), i < 16 ? std::to_string(i + 1) : "Main");
        const auto* fader = child<QSlider>(window, QStringLiteral("fader%1").arg(i));
        ASSERT_NE(fader, nullptr);
        EXPECT_EQ(fader->orientation(), Qt::Vertical);
        EXPECT_EQ(fader->maximum(), kFaderSteps);
    }
    QStringList texts;
    for (const auto* label : window.findChildren<QLabel*>()) {
        texts << label->text();
    }
    for (const auto address : kStatusAddresses) {
        EXPECT_TRUE(texts.contains(
            QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size()))))
            << address;
    }
}

TEST(MixerWindow, ShowsWhatItIsGiven) {
    MixerWindow window;
    window.set_listening(QStringLiteral("127.77.0.9:4000"));
    MixerView view;
    for (int i = 0; i < kFaderCount; ++i) {
        view.faders[static_cast<std::size_t>(i)] = {i * 50, "v" + std::to_string(i)};
    }
    view.status = {"s0", "s1", "s2", "s3"};
    view.messages = "12";
    view.malformed = "3";
    view.unknown_addresses = "4";
    view.rate = "56 msg/s";
    window.show_view(view);

    for (int i = 0; i < kFaderCount; ++i) {
        EXPECT_EQ(child<QSlider>(window, QStringLiteral("fader%1").arg(i))->value(), i * 50);
        EXPECT_EQ(child<QLabel>(window, QStringLiteral("value%1").arg(i))->text(),
                  QStringLiteral("v%1").arg(i));
    }
    for (int i = 0; i < kStatusCount; ++i) {
        EXPECT_EQ(child<QLabel>(window, QStringLiteral("status%1").arg(i))->text(),
                  QStringLiteral("s%1").arg(i));
    }
    EXPECT_EQ(child<QLabel>(window, QStringLiteral("messages"))->text(), "12");
    EXPECT_EQ(child<QLabel>(window, QStringLiteral("malformed"))->text(), "3");
    EXPECT_EQ(child<QLabel>(window, QStringLiteral("unknown"))->text(), "4");
    EXPECT_EQ(child<QLabel>(window, QStringLiteral("rate"))->text(), "56 msg/s");
    EXPECT_TRUE(window.windowTitle().contains(QStringLiteral("127.77.0.9:4000")));
}

}  // namespace
}  // namespace kestrava::vmixer
